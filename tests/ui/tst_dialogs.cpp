#include "QBaseDialog.h"
#include "QToolTipWidget.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The close confirmation of the main window, as the program builds it.
void configure(QToolTipWidget &tip, bool firstVisible = true)
{
    tip.setTipText1(QStringLiteral("您是否要关闭软件？"));
    tip.setTipText2(QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空"), Qt::AlignLeft);
    tip.setBtnOpera1(QStringLiteral("继续录制"), firstVisible);
    tip.setBtnOpera2(QStringLiteral("仍然关闭"), true);
}

bool showAt(QWidget &w, const QPoint &pos)
{
    w.move(pos);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

QPoint inWindow(QWidget *w, const QPoint &local)
{
    return w->mapTo(w->window(), local);
}

// Records what the dialog looked like at the moment a signal arrived.
struct SignalProbe
{
    int count = 0;
    bool visibleAtSignal = false;
    int resultAtSignal = -2;
};

class EscapeKeeper : public QBaseDialog
{
public:
    int escapes = 0;
    void onEscape() override { ++escapes; }
};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initDialogMakesAFramelessShadowedToolWindow();
    void drag_data();
    void drag();
    void moveWithoutButtonDoesNotDrag();
    void keys_data();
    void keys();
    void derivedDialogOverridesEscape();
    void onCloseLeavesItsDebugLine();

    void messageActions_data();
    void messageActions();
    void hiddenFirstButton();
    void longMessageWraps();
};

void TestDialogs::initDialogMakesAFramelessShadowedToolWindow()
{
    QToolTipWidget tip;
    QVERIFY(tip.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(tip.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(tip.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QCOMPARE(tip.property("dialog"), QVariant(true));
    QVERIFY(tip.graphicsEffect() != nullptr);
    QVERIFY(!tip.styleSheet().isEmpty());
    QVERIFY(tip.isHidden());
}

void TestDialogs::drag_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("buttonValue");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left on the title") << "labelTitle" << int(Qt::LeftButton) << true;
    QTest::newRow("left on the message") << "labelTipText2" << int(Qt::LeftButton) << true;
    QTest::newRow("left on the shadow margin") << "" << int(Qt::LeftButton) << true;
    QTest::newRow("right on the title") << "labelTitle" << int(Qt::RightButton) << false;
    QTest::newRow("middle on the message") << "labelTipText2" << int(Qt::MiddleButton) << false;
}

void TestDialogs::drag()
{
    QFETCH(QString, target);
    QFETCH(int, buttonValue);
    const auto button = Qt::MouseButton(buttonValue);
    QFETCH(bool, moves);

    QToolTipWidget tip;
    configure(tip);
    QVERIFY(showAt(tip, QPoint(300, 250)));
    QWindow *window = tip.windowHandle();
    const QPoint start = tip.pos();

    QWidget *under = target.isEmpty() ? static_cast<QWidget *>(&tip) : tip.findChild<QWidget *>(target);
    QVERIFY(under);
    const QPoint grab = target.isEmpty() ? QPoint(2, 100) : inWindow(under, QPoint(5, 5));
    QCOMPARE(tip.childAt(grab), target.isEmpty() ? nullptr : under);

    const QPoint travel(60, 45);
    QTest::mousePress(window, button, Qt::NoModifier, grab);
    QTest::mouseMove(window, grab + QPoint(20, 15));
    if (moves)
        QTRY_COMPARE(window->position(), start + QPoint(20, 15));
    QTest::mouseMove(window, grab + travel - QPoint(20, 15));
    if (moves)
        QTRY_COMPARE(window->position(), start + travel);
    QTest::mouseRelease(window, button, Qt::NoModifier, grab);

    if (moves) {
        // The point that was grabbed is still under the cursor.
        QCOMPARE(tip.pos(), start + travel);
        QCOMPARE(tip.mapToGlobal(grab), start + travel + grab);
    } else {
        QTest::qWait(50);
        QCOMPARE(tip.pos(), start);
        QCOMPARE(window->position(), start);
    }
    QVERIFY(tip.isVisible());

    // A move after the release does not drag any more.
    const QPoint settled = tip.pos();
    QTest::mouseMove(window, grab + QPoint(30, 30));
    QTest::qWait(50);
    QCOMPARE(tip.pos(), settled);
}

// The release can be lost (it went to another window): a move without any
// button held must not drag, even though the press set the drag flag. Such
// moves reach the dialog only while it tracks the mouse.
void TestDialogs::moveWithoutButtonDoesNotDrag()
{
    QToolTipWidget tip;
    configure(tip);
    tip.setMouseTracking(true);
    QVERIFY(showAt(tip, QPoint(300, 250)));
    QWindow *window = tip.windowHandle();
    const QPoint start = tip.pos();
    auto *title = tip.findChild<QWidget *>(QStringLiteral("labelTitle"));
    QVERIFY(title);
    const QPoint grab = inWindow(title, QPoint(5, 5));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, grab);

    const QPoint local = grab + QPoint(40, 30);
    QMouseEvent move(QEvent::MouseMove, local, tip.mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&tip, &move);
    QTest::qWait(50);
    QCOMPARE(tip.pos(), start);
    QCOMPARE(window->position(), start);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, grab);
}

void TestDialogs::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("result");
    QTest::newRow("Esc rejects") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << int(QDialog::Rejected);
    QTest::newRow("Return accepts") << int(Qt::Key_Return) << Qt::KeyboardModifiers()
                                    << int(QDialog::Accepted);
    QTest::newRow("keypad Enter accepts")
        << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << int(QDialog::Accepted);
}

// A plain frameless dialog whose focus sits in a line edit: the key passes
// through the editor to the dialog.
void TestDialogs::keys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, result);

    QBaseDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new QLineEdit;
    layout->addWidget(new QLabel(QStringLiteral("名称")));
    layout->addWidget(edit);
    dialog.initDialog(QStringLiteral(":/tooltip.css"));
    dialog.resize(240, 120);
    QVERIFY(showAt(dialog, QPoint(200, 200)));
    dialog.activateWindow();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    dialog.setResult(-1);

    int finished = 0;
    connect(&dialog, &QDialog::finished, this, [&finished] { ++finished; });
    QTest::keyClick(dialog.windowHandle(), Qt::Key(key), modifiers);

    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), result);
    QCOMPARE(finished, 1);
}

void TestDialogs::derivedDialogOverridesEscape()
{
    EscapeKeeper dialog;
    dialog.initDialog(QStringLiteral(":/tooltip.css"));
    dialog.resize(200, 100);
    QVERIFY(showAt(dialog, QPoint(200, 200)));
    dialog.activateWindow();
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
    QCOMPARE(dialog.escapes, 1);
    QTest::qWait(20);
    QVERIFY(dialog.isVisible());
}

void TestDialogs::onCloseLeavesItsDebugLine()
{
    QBaseDialog dialog;
    dialog.initDialog(QStringLiteral(":/tooltip.css"));
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    dialog.setResult(-1);
    QTest::ignoreMessage(QtDebugMsg, "on close:");
    dialog.onClose();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    QVERIFY(showAt(dialog, QPoint(100, 100)));
    dialog.onOK();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestDialogs::messageActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("opera1");
    QTest::addColumn<int>("opera2");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("closeLine");
    QTest::newRow("first button") << "btnOpera1" << 1 << 0 << int(QDialog::Accepted) << false;
    QTest::newRow("second button") << "btnOpera2" << 0 << 1 << int(QDialog::Rejected) << true;
    QTest::newRow("close button") << "btnClose" << 0 << 0 << int(QDialog::Rejected) << true;
    QTest::newRow("Esc") << "Esc" << 0 << 0 << int(QDialog::Rejected) << false;
    QTest::newRow("Enter") << "Enter" << 0 << 0 << int(QDialog::Accepted) << false;
}

void TestDialogs::messageActions()
{
    QFETCH(QString, action);
    QFETCH(int, opera1);
    QFETCH(int, opera2);
    QFETCH(int, result);
    QFETCH(bool, closeLine);

    QToolTipWidget tip;
    configure(tip);
    SignalProbe first, second;
    auto probe = [&tip](SignalProbe &p) {
        return [&tip, &p] {
            ++p.count;
            p.visibleAtSignal = tip.isVisible();
            p.resultAtSignal = tip.result();
        };
    };
    connect(&tip, &QToolTipWidget::signal_opera1, this, probe(first));
    connect(&tip, &QToolTipWidget::signal_opera2, this, probe(second));
    QVERIFY(showAt(tip, QPoint(400, 300)));
    tip.activateWindow();
    QTRY_VERIFY(tip.isActiveWindow());
    tip.setResult(-1);

    if (closeLine)
        QTest::ignoreMessage(QtDebugMsg, "on close:");
    QWindow *window = tip.windowHandle();
    if (action == QLatin1String("Esc")) {
        QTest::keyClick(window, Qt::Key_Escape);
    } else if (action == QLatin1String("Enter")) {
        // Whatever button holds the focus, Enter confirms the dialog itself.
        QTest::keyClick(window, Qt::Key_Return);
    } else {
        auto *button = tip.findChild<QPushButton *>(action);
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, inWindow(button, button->rect().center()));
    }

    QTRY_VERIFY(!tip.isVisible());
    QCOMPARE(tip.result(), result);
    QCOMPARE(first.count, opera1);
    QCOMPARE(second.count, opera2);
    // The signal comes while the dialog is still open and undecided.
    for (const SignalProbe *p : {&first, &second}) {
        if (p->count) {
            QVERIFY(p->visibleAtSignal);
            QCOMPARE(p->resultAtSignal, -1);
        }
    }
}

void TestDialogs::hiddenFirstButton()
{
    QToolTipWidget tip;
    configure(tip, false);
    int first = 0;
    connect(&tip, &QToolTipWidget::signal_opera1, this, [&first] { ++first; });
    QVERIFY(showAt(tip, QPoint(400, 300)));

    auto *button1 = tip.findChild<QPushButton *>(QStringLiteral("btnOpera1"));
    auto *button2 = tip.findChild<QPushButton *>(QStringLiteral("btnOpera2"));
    auto *content = tip.findChild<QFrame *>(QStringLiteral("frameContent"));
    QVERIFY(button1 && button2 && content);
    QVERIFY(!button1->isVisible());
    QVERIFY(button2->isVisible());
    QCOMPARE(button1->text(), QStringLiteral("继续录制"));
    QVERIFY(content->rect().contains(
        button2->geometry().translated(button2->parentWidget()->mapTo(content, QPoint()))));

    // A click on the row's left side hits no hidden button.
    const QPoint left = inWindow(content, QPoint(40, button2->mapTo(content, QPoint(0, 19)).y()));
    QTest::mouseClick(tip.windowHandle(), Qt::LeftButton, Qt::NoModifier, left);
    QTest::qWait(20);
    QCOMPARE(first, 0);
    QVERIFY(!button1->isVisible());
    QVERIFY(tip.isVisible());
}

void TestDialogs::longMessageWraps()
{
    QToolTipWidget tip;
    configure(tip);
    tip.setTipText2(QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空。") +
                        QStringLiteral("已经安排的开始和结束时间都会丢失，需要重新创建。"),
                    Qt::AlignLeft);
    QVERIFY(showAt(tip, QPoint(400, 300)));
    auto *text1 = tip.findChild<QLabel *>(QStringLiteral("labelTipText1"));
    auto *text2 = tip.findChild<QLabel *>(QStringLiteral("labelTipText2"));
    auto *content = tip.findChild<QFrame *>(QStringLiteral("frameContent"));
    QVERIFY(text1 && text2 && content);
    QVERIFY(text1->height() <= 24);
    QVERIFY(!text1->wordWrap());
    QVERIFY(text2->height() >= 2 * text2->fontMetrics().height());
    QVERIFY(text2->geometry().right() <= content->width() - 30);
    QCOMPARE(text2->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
