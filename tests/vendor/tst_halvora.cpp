// The vendor library as the program uses it: links by key (built-in pages and
// links.json beside the library), the about box, the update notice, the
// recommendation strip, and calls in any order.

#include "Halvora.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <dlfcn.h>
#include <functional>

namespace {
using OpenLinkFunction = void (*)(const QString &, const QString &);

QPixmap filled(const QColor &color, int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(color);
    return pixmap;
}

QColor centreColour(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// What a modal about box showed before it was closed with its button.
struct AboutBoxSeen
{
    bool shown = false;
    bool closedByButton = true;
    QStringList texts;
    QPixmap image;
};

// Runs `show` (which is expected to block in a modal dialog) and lets
// `onShown` look at the dialog once it is up. Polls by count, not by clock.
void whileModal(const std::function<void()> &show, const std::function<void(QWidget *)> &onShown)
{
    QTimer poll;
    poll.setInterval(10);
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++tries > 1000)
                poll.stop();
            return;
        }
        poll.stop();
        onShown(modal);
    });
    poll.start();
    show();
}

AboutBoxSeen showAboutBox(HalvoraHelper &helper)
{
    AboutBoxSeen seen;
    whileModal([&] { helper.showAboutBox(); },
               [&](QWidget *modal) {
                   seen.shown = true;
                   const auto labels = modal->findChildren<QLabel *>();
                   for (QLabel *label : labels) {
                       if (!label->isVisible())
                           continue;
                       if (!label->text().isEmpty())
                           seen.texts << label->text();
                       const QPixmap pixmap = label->pixmap(Qt::ReturnByValue);
                       if (!pixmap.isNull())
                           seen.image = pixmap;
                   }
                   QPushButton *button = modal->findChild<QPushButton *>();
                   if (button)
                       QTest::mouseClick(button, Qt::LeftButton);
                   // A box the button did not close is closed here, so that the test fails instead of
                   // hanging.
                   QTimer::singleShot(0, modal, [modal, &seen] {
                       if (modal->isVisible()) {
                           seen.closedByButton = false;
                           modal->close();
                       }
                   });
               });
    return seen;
}

QList<QMessageBox *> visibleMessageBoxes()
{
    QList<QMessageBox *> boxes;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}
} // namespace

class TestHalvora : public QObject
{
    Q_OBJECT

public slots:
    void recordUrl(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase();
    void cleanup();

    void callsInAnyOrderAreHarmless();
    void builtInPages_data();
    void builtInPages();
    void pagesBesideCopiedLibrary_data();
    void pagesBesideCopiedLibrary();
    void aboutBox_data();
    void aboutBox();
    void aboutBoxSurvivesItsWindowClosing();
    void updateCheck_data();
    void updateCheck();
    void recommendationStrip_data();
    void recommendationStrip();

private:
    QList<QUrl> m_opened;
    // Inside the test environment's own folder, which is removed even after a crash.
    QTemporaryDir m_temp{qEnvironmentVariable("QUELLIN_TEST_ROOT", QDir::tempPath()) + "/halvora-XXXXXX"};
    QString m_copyDir;
    OpenLinkFunction m_copiedOpenLink = nullptr;
};

void TestHalvora::initTestCase()
{
    // Nothing may reach a real browser or mail program.
    for (const char *scheme : {"file", "http", "https", "mailto", "quellin-help"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "recordUrl");
    QVERIFY(m_temp.isValid());

    // A copy of the program folder's library and pages, loaded a second time
    // from its new place: it must find its pages there, not where it was built.
    Dl_info linked{};
    QVERIFY(dladdr(reinterpret_cast<void *>(&halvoraOpenLink), &linked) != 0);
    QVERIFY(linked.dli_sname);
    const QString linkedFile = QFile::decodeName(linked.dli_fname);
    QCOMPARE(QFileInfo(linkedFile).canonicalPath(),
             QDir(QStringLiteral(QUELLIN_PROGRAM_DIR)).canonicalPath());

    m_copyDir = m_temp.filePath(QStringLiteral("copied program"));
    QVERIFY(QDir().mkpath(m_copyDir + "/halvora"));
    const QString copiedLibrary = m_copyDir + "/" + QFileInfo(linkedFile).fileName();
    QVERIFY(QFile::copy(linkedFile, copiedLibrary));
    const QDir pages(QStringLiteral(QUELLIN_PROGRAM_DIR "/halvora"));
    for (const QString &page : pages.entryList({"*.html"}, QDir::Files))
        QVERIFY(QFile::copy(pages.filePath(page), m_copyDir + "/halvora/" + page));

    void *handle = dlopen(QFile::encodeName(copiedLibrary).constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(handle, dlerror());
    m_copiedOpenLink = reinterpret_cast<OpenLinkFunction>(dlsym(handle, linked.dli_sname));
    QVERIFY(m_copiedOpenLink);
    QVERIFY(m_copiedOpenLink != &halvoraOpenLink);
}

void TestHalvora::cleanup()
{
    m_opened.clear();
    QCoreApplication::setApplicationVersion(QString());
    for (QMessageBox *box : visibleMessageBoxes())
        box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestHalvora::callsInAnyOrderAreHarmless()
{
    QWidget window;
    HalvoraHelper helper(&window);

    // Before init.
    halvoraRelease();
    halvoraStopHttp();
    halvoraStartHttp(3);
    halvoraSetAppTitle(QStringLiteral("early"));
    helper.showRecommendations(nullptr);

    // Twice of everything, and a release with the HTTP client still running.
    halvoraInit();
    halvoraInit();
    halvoraStartHttp(3);
    halvoraStartHttp(0);
    halvoraStopHttp();
    halvoraStopHttp();
    halvoraStartHttp(-1);
    halvoraRelease();
    halvoraRelease();

    // After release, then the life the program gives it.
    halvoraSetAboutImage(QStringLiteral(":/Images/icon.png"));
    halvoraStopHttp();
    helper.checkForUpdates(false);
    halvoraInit();
    halvoraStartHttp(3);
    halvoraSetAppTitle(QStringLiteral("Quellin(Zelto联运版)"));
    const AboutBoxSeen seen = showAboutBox(helper);
    QVERIFY(seen.shown);
    QVERIFY(seen.texts.contains(QStringLiteral("Quellin(Zelto联运版)")));
    halvoraStopHttp();
    halvoraRelease();
    halvoraInit();
}

void TestHalvora::builtInPages_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("mustMention");

    QTest::newRow("tutorial") << "tutorial"
                              << "tutorial.html"
                              << QStringList{"仅系统声音", "仅麦克风声音",     "全部",         "开始录制",
                                             "暂停",       "结束录制",         "F7",           "F8",
                                             "F9",         "ZeltoAudioRecord", "时_分_秒.mp3", "录音列表",
                                             "更改目录",   "定时录制",         "打开悬浮"};
    QTest::newRow("home") << "home"
                          << "home.html" << QStringList{"Quellin"};
    QTest::newRow("customer service") << "chatwithus"
                                      << "chatwithus.html" << QStringList{"客服", "log.txt"};
    QTest::newRow("unknown key") << "weather" << QString() << QStringList();
    QTest::newRow("empty key") << "" << QString() << QStringList();
}

void TestHalvora::builtInPages()
{
    QFETCH(QString, key);
    QFETCH(QString, page);
    QFETCH(QStringList, mustMention);

    halvoraOpenLink(key, QString(""));

    if (page.isEmpty()) {
        QVERIFY2(m_opened.isEmpty(), qPrintable(m_opened.value(0).toString()));
        return;
    }
    QCOMPARE(m_opened.size(), 1);
    const QUrl url = m_opened.first();
    QVERIFY(url.isLocalFile());
    QVERIFY(!url.hasQuery());
    const QDir pages(QStringLiteral(QUELLIN_PROGRAM_DIR "/halvora"));
    QCOMPARE(QFileInfo(url.toLocalFile()).canonicalFilePath(),
             QFileInfo(pages.filePath(page)).canonicalFilePath());

    QFile file(url.toLocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const QString &word : mustMention)
        QVERIFY2(html.contains(word), qPrintable(page + " does not mention " + word));
    // The pages work without a network and link only to each other.
    QVERIFY(!html.contains(QLatin1String("http://")) && !html.contains(QLatin1String("https://")));
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
    for (auto match = href.globalMatch(html); match.hasNext();) {
        const QString target = match.next().captured(1);
        QVERIFY2(pages.exists(target), qPrintable(page + " links to missing " + target));
    }
}

void TestHalvora::pagesBesideCopiedLibrary_data()
{
    QTest::addColumn<QByteArray>("config"); // content of halvora/links.json; null: no file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("opened"); // "@" stands for the copied folder; empty: nothing opened

    const QByteArray homeMoved = R"({"home": "custom/home.html"})";
    QTest::newRow("built-in page of the copy") << QByteArray() << "tutorial"
                                               << ""
                                               << "@/halvora/tutorial.html";
    QTest::newRow("extra becomes the query") << QByteArray() << "tutorial"
                                             << "from=menu"
                                             << "@/halvora/tutorial.html?from=menu";
    QTest::newRow("relative override") << homeMoved << "home"
                                       << ""
                                       << "@/halvora/custom/home.html";
    QTest::newRow("other keys keep built-in pages") << homeMoved << "chatwithus"
                                                    << ""
                                                    << "@/halvora/chatwithus.html";
    QTest::newRow("URL override") << QByteArray(R"({"chatwithus": "quellin-help:chat"})") << "chatwithus"
                                  << ""
                                  << "quellin-help:chat";
    QTest::newRow("added key") << QByteArray(R"({"faq": "custom/home.html"})") << "faq"
                               << ""
                               << "@/halvora/custom/home.html";
    QTest::newRow("empty page disables the key") << QByteArray(R"({"home": ""})") << "home"
                                                 << ""
                                                 << "";
    QTest::newRow("page file missing") << QByteArray(R"({"home": "gone.html"})") << "home"
                                       << ""
                                       << "";
    QTest::newRow("broken file: built-in pages") << QByteArray(R"({"home": "custom/home.html")") << "home"
                                                 << ""
                                                 << "@/halvora/home.html";
    QTest::newRow("not an object: built-in pages") << QByteArray(R"(["custom/home.html"])") << "home"
                                                   << ""
                                                   << "@/halvora/home.html";
    QTest::newRow("non-string page ignored") << QByteArray(R"({"home": 5})") << "home"
                                             << ""
                                             << "@/halvora/home.html";
}

void TestHalvora::pagesBesideCopiedLibrary()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, key);
    QFETCH(QString, extra);
    QFETCH(QString, opened);

    const QString pageDir = m_copyDir + "/halvora";
    QVERIFY(QDir().mkpath(pageDir + "/custom"));
    QFile customHome(pageDir + "/custom/home.html");
    QVERIFY(customHome.open(QIODevice::WriteOnly));
    customHome.close();
    QFile configFile(pageDir + "/links.json");
    if (config.isNull()) {
        QVERIFY(!configFile.exists() || configFile.remove());
    } else {
        QVERIFY(configFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        configFile.write(config);
        configFile.close();
    }

    m_copiedOpenLink(key, extra);

    if (opened.isEmpty()) {
        QVERIFY2(m_opened.isEmpty(), qPrintable(m_opened.value(0).toString()));
        return;
    }
    QCOMPARE(m_opened.size(), 1);
    opened.replace(QLatin1String("@"), QUrl::fromLocalFile(m_copyDir).toString());
    QCOMPARE(m_opened.first(), QUrl(opened));

    // The library the program links is not affected by the copy's file.
    m_opened.clear();
    halvoraOpenLink(QStringLiteral("home"), QString());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(QFileInfo(m_opened.first().toLocalFile()).canonicalFilePath(),
             QFileInfo(QStringLiteral(QUELLIN_PROGRAM_DIR "/halvora/home.html")).canonicalFilePath());
}

void TestHalvora::aboutBox_data()
{
    QTest::addColumn<QString>("appVersion");
    QTest::addColumn<QString>("imagePath"); // "@" stands for a 200×100 blue image file
    QTest::addColumn<bool>("windowIcon");   // the window has a red icon
    QTest::addColumn<QString>("version");
    QTest::addColumn<QColor>("image"); // invalid: no image shown

    QTest::newRow("missing image: window icon") << "3.1.4"
                                                << ":/images/none.png" << true << "3.1.4" << QColor(Qt::red);
    QTest::newRow("no version, no image, no icon") << ""
                                                   << ":/Images/none.png" << false << "2.0.0.3" << QColor();
    // Resource paths are case-sensitive; the program hands over ":/Images/icon.png".
    const QColor iconCentre =
        centreColour(QPixmap(QStringLiteral(":/images/icon.png"))
                         .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    QTest::newRow("resource path in other letter case")
        << "3.1.4"
        << ":/Images/icon.png" << true << "3.1.4" << iconCentre;
    QTest::newRow("image file, scaled") << ""
                                        << "@" << true << "2.0.0.3" << QColor(Qt::blue);
}

void TestHalvora::aboutBox()
{
    QFETCH(QString, appVersion);
    QFETCH(QString, imagePath);
    QFETCH(bool, windowIcon);
    QFETCH(QString, version);
    QFETCH(QColor, image);

    if (imagePath == QLatin1String("@")) {
        imagePath = m_temp.filePath(QStringLiteral("about.png"));
        QVERIFY(filled(Qt::blue, 200, 100).save(imagePath));
    }
    QCoreApplication::setApplicationVersion(appVersion);
    halvoraSetAppTitle(QStringLiteral("Quellin(Zelto联运版)"));
    halvoraSetAboutImage(imagePath);
    QWidget window;
    if (windowIcon)
        window.setWindowIcon(QIcon(filled(Qt::red, 32, 32)));
    HalvoraHelper helper(&window);

    // Shown twice: nothing is left over from the first box.
    for (int round = 0; round < 2; ++round) {
        const AboutBoxSeen seen = showAboutBox(helper);
        QVERIFY(seen.shown);
        QVERIFY(seen.closedByButton);
        QVERIFY2(seen.texts.contains(QStringLiteral("Quellin(Zelto联运版)")),
                 qPrintable(seen.texts.join('|')));
        QVERIFY2(seen.texts.filter(version).size() == 1, qPrintable(seen.texts.join('|')));
        if (!image.isValid()) {
            QVERIFY(seen.image.isNull());
            continue;
        }
        QVERIFY(!seen.image.isNull());
        QCOMPARE(centreColour(seen.image), image);
        QVERIFY(seen.image.width() <= 64 && seen.image.height() <= 64);
    }
    QVERIFY(!QApplication::activeModalWidget());
}

void TestHalvora::aboutBoxSurvivesItsWindowClosing()
{
    auto *window = new QWidget;
    QPointer<QWidget> windowGuard(window);
    auto *helper = new HalvoraHelper(window);
    bool shown = false;
    whileModal([helper] { helper->showAboutBox(); },
               [&](QWidget *) {
                   shown = true;
                   delete window; // takes the helper and the box with it
               });
    QVERIFY(shown);
    QVERIFY(windowGuard.isNull());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestHalvora::updateCheck_data()
{
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<QString>("appVersion");
    QTest::addColumn<QString>("version");

    QTest::newRow("asked by the user") << true << ""
                                       << "2.0.0.3";
    QTest::newRow("asked by the user, version set") << true << "5.6"
                                                    << "5.6";
    QTest::newRow("in the background: silent") << false << ""
                                               << "";
}

void TestHalvora::updateCheck()
{
    QFETCH(bool, interactive);
    QFETCH(QString, appVersion);
    QFETCH(QString, version);

    QCoreApplication::setApplicationVersion(appVersion);
    QWidget window;
    HalvoraHelper helper(&window);
    helper.checkForUpdates(interactive); // returns at once

    const QList<QMessageBox *> boxes = visibleMessageBoxes();
    if (!interactive) {
        QVERIFY(boxes.isEmpty());
        return;
    }
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->text().contains(QStringLiteral("当前已是最新版本")));
    QVERIFY(boxes.first()->text().contains(version));
    QPointer<QMessageBox> box = boxes.first();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box.isNull());
}

void TestHalvora::recommendationStrip_data()
{
    QTest::addColumn<bool>("hostHasLayout");

    QTest::newRow("bare host") << false;
    QTest::newRow("host with a layout and a child") << true;
}

void TestHalvora::recommendationStrip()
{
    QFETCH(bool, hostHasLayout);

    QWidget window;
    auto *host = new QWidget(&window);
    QLabel *existing = nullptr;
    if (hostHasLayout) {
        auto *layout = new QVBoxLayout(host);
        existing = new QLabel(QStringLiteral("existing"), host);
        layout->addWidget(existing);
    }
    HalvoraHelper helper(&window);
    helper.showRecommendations(host);
    helper.showRecommendations(host);

    QList<QLabel *> strips = host->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    strips.removeAll(existing);
    QCOMPARE(strips.size(), 1);
    QVERIFY(!strips.first()->text().isEmpty());
    QVERIFY(host->layout());
    QVERIFY(host->layout()->indexOf(strips.first()) >= 0);
    QCOMPARE(host->layout()->count(), hostHasLayout ? 2 : 1);
}

QTEST_MAIN(TestHalvora)
#include "tst_halvora.moc"
