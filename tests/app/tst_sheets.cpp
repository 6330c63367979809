// The style sheets on the program's real windows, photographed at two scales
// and checked at a few telling pixels.
#include "Brevane.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordByTime.h"
#include "RecordingCatalogue.h"
#include "TestSupport.h"
#include "UiScale.h"
#include "VoiceList.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QString shotsDir()
{
    return TestSupport::shotsDir(QStringLiteral("sheets"));
}

// The window as it shows on screen, over a light desktop so the translucent
// shadow margin is visible in the saved picture.
QImage shoot(QWidget *w, const QString &name)
{
    const QImage grabbed = w->grab().toImage();
    QImage shot(grabbed.size() + QSize(24, 24), QImage::Format_RGB32);
    shot.fill(QColor(0xEC, 0xEC, 0xEC));
    QPainter p(&shot);
    p.drawImage(12, 12, grabbed);
    p.end();
    shot.save(QDir(shotsDir()).filePath(name + QStringLiteral(".png")));
    return grabbed;
}

bool near(const QColor &a, const QColor &b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor at(const QImage &image, QWidget *window, QWidget *child, const QPoint &local)
{
    return image.pixelColor(child->mapTo(window, local));
}

template <typename T> T *find(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("missing %s", name);
    return found;
}

bool showAt(QWidget *w, const QPoint &pos)
{
    w->move(pos);
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    QTest::qWait(30);
    return true;
}

QString tag(float scale)
{
    return QString::number(double(scale), 'f', 1);
}

} // namespace

void scales()
{
    QTest::addColumn<float>("scale");
    QTest::newRow("1.0") << 1.0f;
    QTest::newRow("1.5") << 1.5f;
}

class TestSheets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_appDir.isValid());
        Platform::setApplicationDirForTesting(m_appDir.path());
    }
    void cleanup() { uiScale = 1.0f; }
    void mainWindowWearsItsSheet_data() { scales(); }
    void mainWindowWearsItsSheet();
    void listWindowWearsItsSheet_data() { scales(); }
    void listWindowWearsItsSheet();
    void floatingWindowWearsItsSheet_data() { scales(); }
    void floatingWindowWearsItsSheet();
    void taskDialogWearsItsSheet_data() { scales(); }
    void taskDialogWearsItsSheet();
    void messageDialogWearsItsSheet_data() { scales(); }
    void messageDialogWearsItsSheet();

private:
    QTemporaryDir m_appDir;
};

void TestSheets::mainWindowWearsItsSheet()
{
    QFETCH(float, scale);
    uiScale = scale;
    std::unique_ptr<QWidget> w(new Brevane);
    QVERIFY(showAt(w.get(), QPoint(100, 50)));
    const QImage image = shoot(w.get(), QStringLiteral("main-") + tag(scale));

    QCOMPARE(find<QLabel>(w.get(), "label_4")->font().pixelSize(), int(14 * scale));
    QCOMPARE(find<QPushButton>(w.get(), "btnStart")->font().pixelSize(), int(14 * scale));
    QCOMPARE(find<QLabel>(w.get(), "labelTime")->font().pixelSize(), 49);

    // The header picture is blue; the start button is blue with its glyph at the left.
    QWidget *top = find<QWidget>(w.get(), "frameTop");
    const QColor header = at(image, w.get(), top, QPoint(100, 100));
    QVERIFY2(header.blue() > header.red() + 80, qPrintable(header.name()));
    QPushButton *start = find<QPushButton>(w.get(), "btnStart");
    const QColor startColour = at(image, w.get(), start, QPoint(start->width() - 8, 6));
    QVERIFY2(startColour.blue() > startColour.red() + 100, qPrintable(startColour.name()));
    QPushButton *end = find<QPushButton>(w.get(), "btnEnd");
    QVERIFY(near(at(image, w.get(), end, QPoint(end->width() / 2, 0)), QColor(0x1C, 0x8E, 0xEF), 30));
    // Letter-spaced captions still fit their buttons.
    for (const char *name : {"btnEnd", "btnVoiceList", "btnRecordByTime", "btnChangeDir"}) {
        QPushButton *b = find<QPushButton>(w.get(), name);
        const int needed = b->fontMetrics().horizontalAdvance(b->text()) + (b->icon().isNull() ? 0 : 14);
        QVERIFY2(needed <= b->width(), name);
    }
    // The shadow lies in the transparent margin.
    QVERIFY(image.pixelColor(5, w->height() / 2).alpha() > 0);
    QCOMPARE(image.pixelColor(0, 0).alpha() < 80, true);

    // The help menu, as its button opens it.
    find<QPushButton>(w.get(), "btnHelp")->click();
    auto *menu = w->findChild<QMenu *>();
    QVERIFY(menu);
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::qWait(30);
    shoot(menu, QStringLiteral("main-menu-") + tag(scale));
    menu->close();
    // The companion windows have no parent; they go with the program.
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window != w.get() && !window->parent())
            window->hide();
}

void TestSheets::listWindowWearsItsSheet()
{
    QFETCH(float, scale);
    uiScale = scale;
    // Three recordings in the catalogue the list reads.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RecordingCatalogue catalogue(dir.filePath(QStringLiteral("Brevane.json")));
    for (const char *name : {"09_05_31.mp3", "10_15_00.mp3", "21_40_12.mp3"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1234567, 'x'));
        file.close();
        catalogue.append(file.fileName(), QStringLiteral("00:12:34"));
    }
    auto *list = new VoiceList(catalogue.filePath());
    list->refresh();
    std::unique_ptr<QWidget> w(list);
    QVERIFY(showAt(w.get(), QPoint(100, 50)));
    const QImage image = shoot(w.get(), QStringLiteral("voiceList-") + tag(scale));

    QCOMPARE(find<QLabel>(w.get(), "labelAudioName")->font().pixelSize(), int(14 * scale));
    QCOMPARE(find<QLabel>(w.get(), "labelFileName")->font().pixelSize(), int(14 * scale));
    // The accent rule under the list title.
    QWidget *head = find<QWidget>(w.get(), "frame");
    QVERIFY(near(at(image, w.get(), head, QPoint(head->width() / 2, head->height() - 1)),
                 QColor(0x34, 0x7A, 0xEB)));
    // The row buttons show their images: grey strokes on white.
    QPushButton *play = find<QPushButton>(w.get(), "btnPlay");
    const QImage playImage = play->grab().toImage();
    int grey = 0;
    for (int y = 0; y < playImage.height(); ++y)
        for (int x = 0; x < playImage.width(); ++x)
            grey += near(playImage.pixelColor(x, y), QColor(0x99, 0x99, 0x99), 10) ? 1 : 0;
    QVERIFY2(grey > 10, "play button shows no picture");
}

void TestSheets::floatingWindowWearsItsSheet()
{
    QFETCH(float, scale);
    uiScale = scale;
    std::unique_ptr<QWidget> w(new FloatWidget);
    QVERIFY(showAt(w.get(), QPoint(900, 100)));
    const QImage image = shoot(w.get(), QStringLiteral("floatWidget-") + tag(scale));

    QCOMPARE(w->size(), QSize(166, 74));
    QCOMPARE(find<QLabel>(w.get(), "labelTime")->font().pixelSize(), int(14 * scale));
    QVERIFY(!w->mask().contains(QPoint(0, 0)));
    QVERIFY(w->mask().contains(QPoint(83, 37)));
    const QColor body = image.pixelColor(83, 10);
    QVERIFY2(body.value() < 100, qPrintable(body.name()));

    // The context menu runs while it is open; it is photographed from inside.
    QImage menuImage;
    QTimer::singleShot(200, [&menuImage, scale] {
        if (QWidget *menu = QApplication::activePopupWidget()) {
            menuImage = shoot(menu, QStringLiteral("floatWidget-menu-") + tag(scale));
            menu->close();
        }
    });
    static_cast<FloatWidget *>(w.get())->slot_showContextMenu();
    QTRY_VERIFY(!menuImage.isNull());
    QVERIFY(
        near(menuImage.pixelColor(menuImage.width() - 4, menuImage.height() / 2 + 3), QColor(53, 57, 66),
             8) ||
        near(menuImage.pixelColor(menuImage.width() - 4, menuImage.height() / 2 + 3), QColor(0, 0, 0), 8));
}

void TestSheets::taskDialogWearsItsSheet()
{
    QFETCH(float, scale);
    uiScale = scale;
    std::unique_ptr<QWidget> w(new RecordByTime);
    QVERIFY(showAt(w.get(), QPoint(100, 50)));
    const QImage image = shoot(w.get(), QStringLiteral("RecordByTime-") + tag(scale));

    QPushButton *create = find<QPushButton>(w.get(), "btnCreateTask");
    QCOMPARE(create->font().pixelSize(), int(16 * scale));
    QCOMPARE(find<QLabel>(w.get(), "label_2")->font().pixelSize(), int(14 * scale));
    QVERIFY(near(at(image, w.get(), create, QPoint(6, 6)), QColor(28, 142, 239)));
    QWidget *titleFrame = find<QWidget>(w.get(), "frame_6");
    QVERIFY(near(at(image, w.get(), titleFrame, QPoint(titleFrame->width() / 2, titleFrame->height() - 1)),
                 QColor(0x34, 0x7A, 0xEB)));
    // The checked source shows the accent dot of its indicator image.
    QWidget *radio = find<QWidget>(w.get(), "radioButton3");
    const QImage radioImage = radio->grab().toImage();
    bool accent = false;
    for (int x = 0; x < 24 && !accent; ++x)
        accent = near(radioImage.pixelColor(x, radioImage.height() / 2), QColor(0x34, 0x7A, 0xEB), 12);
    QVERIFY2(accent, "checked indicator not drawn");
}

void TestSheets::messageDialogWearsItsSheet()
{
    QFETCH(float, scale);
    uiScale = scale;
    auto *tip = new QToolTipWidget;
    tip->setTipText1(QStringLiteral("您是否要关闭软件？"));
    tip->setTipText2(QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空"), Qt::AlignLeft);
    tip->setBtnOpera1(QStringLiteral("继续录制"), true);
    tip->setBtnOpera2(QStringLiteral("仍然关闭"), true);
    std::unique_ptr<QWidget> w(tip);
    QVERIFY(showAt(w.get(), QPoint(500, 300)));
    const QImage image = shoot(w.get(), QStringLiteral("tooltip-") + tag(scale));

    QCOMPARE(find<QLabel>(w.get(), "labelTipText1")->font().pixelSize(), int(16 * scale));
    QCOMPARE(find<QLabel>(w.get(), "labelTipText2")->font().pixelSize(), int(14 * scale));
    QPushButton *second = find<QPushButton>(w.get(), "btnOpera2");
    QVERIFY(near(at(image, w.get(), second, QPoint(4, second->height() - 4)), QColor(0x34, 0x7A, 0xEB)));
    QPushButton *first = find<QPushButton>(w.get(), "btnOpera1");
    QVERIFY(near(at(image, w.get(), first, QPoint(first->width() / 2, 0)), QColor(0xD6, 0xD6, 0xD6), 10));
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
