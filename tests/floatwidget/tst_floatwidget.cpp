#include "FloatWidget.h"
#include "TestSupport.h"
#include "UiScale.h"

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMetaMethod>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

namespace {

const QString kPlayStyle = QStringLiteral(" background-image: url(:/images/floatPlay.png);");
const QString kPauseStyle = QStringLiteral("background-image:url(:/images/floatPause.png);");
const QString kResetStyle = QStringLiteral("background-image:url(:/images/floatPlay.png)");

// A point on the visible shape above the form's widgets: the background itself.
const QPoint kBackgroundPoint(83, 6);

template <typename T> T *child(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("missing %s", name);
    return found;
}

// Where a click hits a start or stop button: on its image, right of and
// below the margins its style sheet gives it.
QPoint imagePoint(QPushButton *button)
{
    return QPoint(button->width() - 8, button->height() - 8);
}

std::unique_ptr<FloatWidget> showFloat(const QPoint &pos)
{
    auto w = std::make_unique<FloatWidget>();
    w->move(pos);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("floating window not exposed");
    return w;
}

// Every signal of the window by name, in the order they fired.
class SignalLog
{
public:
    explicit SignalLog(FloatWidget *w)
    {
        const QMetaObject *meta = &FloatWidget::staticMetaObject;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            const QString name = QString::fromLatin1(method.name());
            spies.emplace(name, std::make_unique<QSignalSpy>(w, method));
        }
    }
    QStringList fired() const
    {
        QStringList names;
        for (const auto &spy : spies)
            for (int n = 0; n < spy.second->count(); ++n)
                names << spy.first;
        return names;
    }

private:
    std::map<QString, std::unique_ptr<QSignalSpy>> spies;
};

// Runs `act` on the popup menu as soon as it is open. The menu runs its own
// event loop inside the right press, so this has to be armed beforehand.
class PopupHandler : public QObject
{
public:
    explicit PopupHandler(std::function<void(QMenu *)> onOpen) : act(std::move(onOpen))
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            timer.stop();
            seen = true;
            this->act(menu);
        });
        timer.start(20);
    }
    bool seen = false;

private:
    std::function<void(QMenu *)> act;
    QTimer timer;
};

// A plain window that notes where it was pressed.
class PressRecorder : public QWidget
{
public:
    QList<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent *event) override { presses << event->globalPos(); }
};

QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(15000) || process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList pointArgs(const QPoint &p)
{
    return {QString::number(p.x()), QString::number(p.y())};
}

// The visible shape of the window: the opaque part of its background image.
QRegion imageShape()
{
    return QRegion(QPixmap(QStringLiteral(":/images/floatWidgetBackground.png")).mask());
}

bool covered(const QRegion &shape, const QRect &rect)
{
    return (QRegion(rect) - shape).isEmpty();
}

} // namespace

class TestFloatWidget : public QObject
{
    Q_OBJECT

private slots:
    void init() { uiScale = 1.0f; }
    void cleanup() { uiScale = 1.0f; }

    void startButtonFollowsRecorder();
    void stopButtonResets_data();
    void stopButtonResets();
    void unknownStateChangesNothing_data();
    void unknownStateChangesNothing();

    void menuCommand_data();
    void menuCommand();

    void leftDragMoves_data();
    void leftDragMoves();
    void rightPressOpensMenuWithoutMoving();
    void pointerOnShapeAndOnTransparentCorner();

    void toolWindowOnTop();

    void placeBetweenShowings_data();
    void placeBetweenShowings();
    void firstPlaceNearMainWindow_data();
    void firstPlaceNearMainWindow();
    void firstPlaceOnlyBeforeFirstShowing();

    void wholeAtScale_data();
    void wholeAtScale();
};

// The main window answers each press: idle -> recording -> paused ->
// recording, and calls setPlay with the state it entered.
void TestFloatWidget::startButtonFollowsRecorder()
{
    auto w = showFloat(QPoint(200, 200));
    auto *btnStart = child<QPushButton>(w.get(), "btnStart");
    QVERIFY(btnStart);
    const QImage playLook = btnStart->grab().toImage();

    int state = 0;
    connect(w.get(), &FloatWidget::signal_clickedStart, w.get(), [&] {
        state = state == 1 ? 2 : 1;
        w->setPlay(state);
    });

    QImage firstPauseLook;
    const struct
    {
        int state;
        QString style;
    } steps[] = {{1, kPauseStyle}, {2, kPlayStyle}, {1, kPauseStyle}};
    for (const auto &step : steps) {
        SignalLog log(w.get());
        QTest::mouseClick(btnStart, Qt::LeftButton, {}, imagePoint(btnStart));
        QCOMPARE(log.fired(), QStringList{"signal_clickedStart"});
        QCOMPARE(state, step.state);
        QCOMPARE(btnStart->styleSheet(), step.style);
        const QImage look = btnStart->grab().toImage();
        if (step.state == 2) {
            QCOMPARE(look, playLook);
        } else {
            QVERIFY(look != playLook);
            if (firstPauseLook.isNull())
                firstPauseLook = look;
            QCOMPARE(look, firstPauseLook);
        }
    }

    // Nobody answers (the start failed): the button shows play, not pause.
    w->disconnect(w.get());
    SignalLog log(w.get());
    QTest::mouseClick(btnStart, Qt::LeftButton, {}, imagePoint(btnStart));
    QCOMPARE(log.fired(), QStringList{"signal_clickedStart"});
    QCOMPARE(btnStart->grab().toImage(), playLook);
}

void TestFloatWidget::stopButtonResets_data()
{
    QTest::addColumn<int>("recordStat");
    QTest::addColumn<QString>("time");
    QTest::newRow("idle") << 0 << "00:00:00";
    QTest::newRow("recording") << 1 << "00:01:05";
    QTest::newRow("paused") << 2 << "01:00:42";
}

void TestFloatWidget::stopButtonResets()
{
    QFETCH(int, recordStat);
    QFETCH(QString, time);
    auto w = showFloat(QPoint(200, 200));
    auto *btnStart = child<QPushButton>(w.get(), "btnStart");
    auto *btnEnd = child<QPushButton>(w.get(), "btnEnd");
    auto *labelTime = child<QLabel>(w.get(), "labelTime");
    QVERIFY(btnStart && btnEnd && labelTime);
    const QImage playLook = btnStart->grab().toImage();
    w->setPlay(recordStat);
    w->setTimeText(time);
    QCOMPARE(labelTime->text(), time);

    SignalLog log(w.get());
    QTest::mouseClick(btnEnd, Qt::LeftButton, {}, imagePoint(btnEnd));
    QCOMPARE(log.fired(), QStringList{"signal_clickedEnd"});
    QCOMPARE(labelTime->text(), QStringLiteral("00:00:00"));
    QCOMPARE(btnStart->styleSheet(), kResetStyle);
    QCOMPARE(btnStart->grab().toImage(), playLook);

    // The main window's own reset after every recording emits nothing.
    w->setPlay(1);
    w->setTimeText(QStringLiteral("00:00:09"));
    SignalLog quiet(w.get());
    w->setStop();
    QCOMPARE(quiet.fired(), QStringList());
    QCOMPARE(labelTime->text(), QStringLiteral("00:00:00"));
    QCOMPARE(btnStart->styleSheet(), kResetStyle);
}

void TestFloatWidget::unknownStateChangesNothing_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("value");
    QTest::newRow("5 while recording") << 1 << 5;
    QTest::newRow("5 while paused") << 2 << 5;
    QTest::newRow("-1 while recording") << 1 << -1;
    QTest::newRow("3 while recording") << 1 << 3;
}

void TestFloatWidget::unknownStateChangesNothing()
{
    QFETCH(int, before);
    QFETCH(int, value);
    auto w = showFloat(QPoint(200, 200));
    auto *btnStart = child<QPushButton>(w.get(), "btnStart");
    QVERIFY(btnStart);
    w->setPlay(before);
    const QString style = btnStart->styleSheet();
    const QImage look = btnStart->grab().toImage();
    w->setPlay(value);
    QCOMPARE(btnStart->styleSheet(), style);
    QCOMPARE(btnStart->grab().toImage(), look);
}

void TestFloatWidget::menuCommand_data()
{
    QTest::addColumn<int>("pick"); // -1: the menu is dismissed
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("显示主界面") << 0 << false << QStringList{"signal_showMainWindow"};
    QTest::newRow("打开文件夹") << 1 << false << QStringList{"signal_openDir"};
    QTest::newRow("联系客服") << 2 << false << QStringList{"signal_customer"};
    QTest::newRow("隐藏悬浮框") << 3 << false << QStringList{"signal_hideFloat"};
    QTest::newRow("定时录制") << 4 << false << QStringList{"signal_recordByTime"};
    QTest::newRow("定时录制 by keys") << 4 << true << QStringList{"signal_recordByTime"};
    QTest::newRow("dismissed by Escape") << -1 << true << QStringList();
    QTest::newRow("dismissed by a click outside") << -1 << false << QStringList();
}

void TestFloatWidget::menuCommand()
{
    QFETCH(int, pick);
    QFETCH(bool, byKey);
    QFETCH(QStringList, expected);
    auto w = showFloat(QPoint(300, 300));

    QStringList texts;
    QVariantList data;
    PopupHandler handler([&](QMenu *menu) {
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions) {
            texts << action->text();
            data << action->data();
        }
        if (byKey) {
            for (int n = 0; n <= pick; ++n)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, pick < 0 ? Qt::Key_Escape : Qt::Key_Return);
        } else {
            const QPoint at = pick < 0 ? QPoint(-20, -20) : menu->actionGeometry(actions.at(pick)).center();
            QTest::mouseMove(menu, at);
            QTest::mouseClick(menu, Qt::LeftButton, {}, at);
        }
    });
    SignalLog log(w.get());
    QTest::mousePress(w->windowHandle(), Qt::RightButton, {}, kBackgroundPoint);
    QTest::mouseRelease(w->windowHandle(), Qt::RightButton, {}, kBackgroundPoint);

    QVERIFY(handler.seen);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(texts, (QStringList{"显示主界面", "打开文件夹", "联系客服", "隐藏悬浮框", "定时录制"}));
    QCOMPARE(data, (QVariantList{0, 1, 2, 3, 4}));
    QCOMPARE(log.fired(), expected);
}

void TestFloatWidget::leftDragMoves_data()
{
    QTest::addColumn<QString>("grip"); // where the drag starts
    QTest::addColumn<QPoint>("travel");
    QTest::newRow("background, right and down") << "background" << QPoint(180, 90);
    QTest::newRow("background, left and up") << "background" << QPoint(-150, -120);
    QTest::newRow("time label") << "labelTime" << QPoint(240, -60);
}

void TestFloatWidget::leftDragMoves()
{
    QFETCH(QString, grip);
    QFETCH(QPoint, travel);
    auto w = showFloat(QPoint(500, 400));
    QWindow *window = w->windowHandle();
    QPoint gripPoint = kBackgroundPoint;
    if (grip == QLatin1String("labelTime")) {
        auto *label = child<QLabel>(w.get(), "labelTime");
        QVERIFY(label);
        gripPoint = label->geometry().center();
    }
    QVERIFY(imageShape().contains(gripPoint));
    const QPoint start = w->pos();
    const QPoint pressed = start + gripPoint;

    QTest::mousePress(window, Qt::LeftButton, {}, gripPoint);
    const int steps = 3;
    for (int n = 1; n <= steps; ++n) {
        const QPoint cursor = pressed + travel * n / steps;
        QTest::mouseMove(window, cursor - window->position());
        QTRY_COMPARE(window->position(), start + travel * n / steps);
    }
    QTest::mouseRelease(window, Qt::LeftButton, {}, pressed + travel - window->position());
    QCOMPARE(w->pos(), start + travel);

    // Moving the pointer after the release takes the window nowhere.
    QTest::mouseMove(window, gripPoint + QPoint(30, 30));
    QCOMPARE(w->pos(), start + travel);
}

void TestFloatWidget::rightPressOpensMenuWithoutMoving()
{
    auto w = showFloat(QPoint(500, 400));
    QWindow *window = w->windowHandle();
    const QPoint start = w->pos();
    PopupHandler handler([&](QMenu *menu) {
        QTest::mouseMove(window, kBackgroundPoint + QPoint(50, 30));
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    QTest::mousePress(window, Qt::RightButton, {}, kBackgroundPoint);
    QVERIFY(handler.seen);
    QTest::mouseMove(window, kBackgroundPoint + QPoint(60, 40));
    QTest::mouseRelease(window, Qt::RightButton, {}, kBackgroundPoint + QPoint(60, 40));
    QTest::qWait(50);
    QCOMPARE(w->pos(), start);
    QCOMPARE(window->position(), start);
}

// Real X pointer events (XTest through xdotool): the X server sends presses on
// the visible shape to the floating window and presses on its transparent
// corner to the window below.
void TestFloatWidget::pointerOnShapeAndOnTransparentCorner()
{
    PressRecorder below;
    below.setWindowTitle(QStringLiteral("below"));
    below.setGeometry(300, 300, 500, 300);
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));

    auto w = showFloat(QPoint(400, 380));
    w->raise();
    QTest::qWait(100);
    const QPoint corner(1, 1);
    QVERIFY(!imageShape().contains(corner));

    // A drag on the shape moves the floating window and never reaches below.
    const QPoint grip = w->mapToGlobal(kBackgroundPoint);
    const QPoint travel(60, 40);
    run(QStringLiteral("xdotool"), QStringList{"mousemove", "--sync"} + pointArgs(grip) +
                                       QStringList{"mousedown", "1", "mousemove", "--sync"} +
                                       pointArgs(grip + travel) + QStringList{"mouseup", "1"});
    QTRY_COMPARE(w->pos(), QPoint(400, 380) + travel);

    // A click on the transparent corner lands below.
    const QPoint cornerOnScreen = w->mapToGlobal(corner);
    QVERIFY(below.geometry().contains(cornerOnScreen));
    run(QStringLiteral("xdotool"),
        QStringList{"mousemove", "--sync"} + pointArgs(cornerOnScreen) + QStringList{"click", "1"});
    QTRY_VERIFY(!below.presses.isEmpty());
    QCOMPARE(below.presses, QList<QPoint>{cornerOnScreen});
}

void TestFloatWidget::toolWindowOnTop()
{
    auto w = showFloat(QPoint(200, 200));
    QCOMPARE(w->windowFlags(), Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QVERIFY(w->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(w->size(), QSize(166, 74));

    const QString id = QString::number(w->winId());
    const QString type = run(QStringLiteral("xprop"), {"-id", id, "_NET_WM_WINDOW_TYPE"});
    // The first type is the one a window manager goes by.
    QVERIFY2(
        type.section(QLatin1Char('='), 1).trimmed().startsWith(QLatin1String("_NET_WM_WINDOW_TYPE_UTILITY,")),
        qPrintable(type));
    // Without a window manager nobody answers Qt's requests; the state Qt
    // gives the window before mapping it stays as its property.
    const QString state = run(QStringLiteral("xprop"), {"-id", id, "_NET_WM_STATE"});
    QVERIFY2(state.contains(QLatin1String("_NET_WM_STATE_ABOVE")), qPrintable(state));
    // No decorations: the Motif hints ask for none.
    // Fields: flags, functions, decorations, ...; the decorations flag is set
    // and the decorations field is 0.
    const QString motif = run(QStringLiteral("xprop"), {"-id", id, "_MOTIF_WM_HINTS"});
    const QStringList fields = motif.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    QVERIFY2(fields.size() >= 3, qPrintable(motif));
    QVERIFY2(fields.at(0).trimmed().toUInt(nullptr, 16) & 0x2, qPrintable(motif));
    QVERIFY2(fields.at(2).trimmed().toUInt(nullptr, 16) == 0, qPrintable(motif));
}

void TestFloatWidget::placeBetweenShowings_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("shownAt");
    // The fixture's screen is 1400 x 1000, the window 166 x 74.
    QTest::newRow("on the screen") << QPoint(500, 300) << QPoint(500, 300);
    QTest::newRow("hanging over the right edge, centre on screen") << QPoint(1300, 200) << QPoint(1300, 200);
    QTest::newRow("at the top-left corner") << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("centre beyond the right edge") << QPoint(1340, 300) << QPoint(1234, 300);
    QTest::newRow("beyond the right edge (monitor unplugged)") << QPoint(1900, 300) << QPoint(1234, 300);
    QTest::newRow("below the bottom") << QPoint(300, 1200) << QPoint(300, 926);
    QTest::newRow("far up and left") << QPoint(-4000, -3000) << QPoint(0, 0);
}

void TestFloatWidget::placeBetweenShowings()
{
    QFETCH(QPoint, stored);
    QFETCH(QPoint, shownAt);
    QCOMPARE(QGuiApplication::screens().size(), 1);
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1400, 1000));

    auto w = showFloat(QPoint(200, 200));
    w->hide();
    w->move(stored);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->pos(), shownAt);
    QTRY_COMPARE(w->windowHandle()->position(), shownAt);

    // Hidden and shown again, it stays there.
    w->hide();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->pos(), shownAt);
}

void TestFloatWidget::firstPlaceNearMainWindow_data()
{
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<QPoint>("expected"); // null: anywhere clear of the main window
    QTest::newRow("main window in the middle") << QRect(450, 300, 500, 400) << QPoint(1218, 16);
    QTest::newRow("main window at the top-left") << QRect(0, 0, 600, 500) << QPoint(1218, 16);
    QTest::newRow("main window in the top-right corner") << QRect(900, 0, 500, 400) << QPoint();
    QTest::newRow("main window along the right side") << QRect(1000, 0, 400, 1000) << QPoint();
    QTest::newRow("main window across the top") << QRect(0, 0, 1400, 300) << QPoint();
    QTest::newRow("main window hanging off the top-right") << QRect(1100, -50, 500, 300) << QPoint();
}

void TestFloatWidget::firstPlaceNearMainWindow()
{
    QFETCH(QRect, mainFrame);
    QFETCH(QPoint, expected);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    FloatWidget w;
    w.placeNear(mainFrame);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect frame = w.frameGeometry();
    QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
    QVERIFY(!frame.intersects(mainFrame));
    if (!expected.isNull())
        QCOMPARE(frame.topLeft(), expected);
    // Near the top-right: in the right half or the top half of the screen.
    QVERIFY(frame.center().x() > area.center().x() || frame.center().y() < area.center().y());
}

void TestFloatWidget::firstPlaceOnlyBeforeFirstShowing()
{
    const QRect mainFrame(450, 300, 500, 400);
    FloatWidget w;
    w.placeNear(mainFrame);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.hide();
    w.move(100, 120);
    w.placeNear(mainFrame);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.pos(), QPoint(100, 120));
}

void TestFloatWidget::wholeAtScale_data()
{
    QTest::addColumn<float>("scale");
    QTest::newRow("1.0") << 1.0f;
    QTest::newRow("1.25") << 1.25f;
    QTest::newRow("1.5") << 1.5f;
}

void TestFloatWidget::wholeAtScale()
{
    QFETCH(float, scale);
    uiScale = scale;
    auto w = showFloat(QPoint(200, 200));
    auto *labelTime = child<QLabel>(w.get(), "labelTime");
    auto *btnStart = child<QPushButton>(w.get(), "btnStart");
    auto *btnEnd = child<QPushButton>(w.get(), "btnEnd");
    QVERIFY(labelTime && btnStart && btnEnd);
    // Saved before the checks, to be looked at also when they fail.
    const QString tag = QString::number(double(scale), 'f', 2);
    const QString dir = TestSupport::shotsDir(QStringLiteral("floatwidget"));
    QVERIFY(!TestSupport::saveScreenshot(w.get(), dir, QStringLiteral("float-") + tag).isEmpty());
    w->setPlay(1);
    w->setTimeText(QStringLiteral("12:34:56"));
    QTest::qWait(30);
    QVERIFY(!TestSupport::saveScreenshot(w.get(), dir, QStringLiteral("float-recording-") + tag).isEmpty());
    w->setStop();

    QCOMPARE(w->size(), QSize(166, 74));
    const QRegion shape = imageShape();
    QCOMPARE(w->mask(), shape);

    // The label's text: all of "00:00:00" fits its contents and lies on the shape.
    QCOMPARE(labelTime->text(), QStringLiteral("00:00:00"));
    const QFontMetrics metrics(labelTime->font());
    const QRect contents = labelTime->contentsRect();
    const int textWidth = metrics.horizontalAdvance(labelTime->text());
    QVERIFY2(textWidth <= contents.width(),
             qPrintable(QStringLiteral("text %1 > room %2").arg(textWidth).arg(contents.width())));
    const QRect text(contents.left(), contents.center().y() - metrics.height() / 2, textWidth,
                     metrics.height());
    QVERIFY(covered(shape, text.translated(labelTime->pos())));

    // Both buttons lie wholly on the shape.
    QVERIFY2(covered(shape, btnStart->geometry()), "btnStart leaves the shape");
    QVERIFY2(covered(shape, btnEnd->geometry()), "btnEnd leaves the shape");
    QVERIFY(btnStart->geometry().right() < btnEnd->geometry().left());

    PopupHandler handler([&](QMenu *menu) {
        QTest::qWait(50);
        TestSupport::saveScreenshot(menu, dir, QStringLiteral("float-menu-") + tag);
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    QTest::mousePress(w->windowHandle(), Qt::RightButton, {}, kBackgroundPoint);
    QTest::mouseRelease(w->windowHandle(), Qt::RightButton, {}, kBackgroundPoint);
    QVERIFY(handler.seen);
}

QTEST_MAIN(TestFloatWidget)
#include "tst_floatwidget.moc"
