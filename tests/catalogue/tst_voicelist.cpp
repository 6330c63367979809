#include "Platform.h"
#include "RecordingCatalogue.h"
#include "RecordingFileActions.h"
#include "TestSupport.h"
#include "UiScale.h"
#include "VoiceList.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

namespace {

// The whole text of a row's cell: a text cut to its column's width shows
// whole as the cell's tool tip.
QString cell(QWidget *row, const char *name)
{
    auto *label = row->findChild<QLabel *>(QLatin1String(name));
    if (!label)
        return QStringLiteral("<no %1>").arg(QLatin1String(name));
    return label->toolTip().isEmpty() ? label->text() : label->toolTip();
}

QWidget *rowAt(VoiceList &list, int index)
{
    auto *widget = list.findChild<QListWidget *>(QStringLiteral("FileListWidget"));
    return widget->itemWidget(widget->item(index));
}

int rowCount(VoiceList &list)
{
    return list.findChild<QListWidget *>(QStringLiteral("FileListWidget"))->count();
}

void click(QWidget *row, const char *button)
{
    auto *b = row->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestVoiceList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyOrUnreadableCatalogueShowsNoRows_data();
    void emptyOrUnreadableCatalogueShowsNoRows();
    void newestFirst();
    void rowsRelayTheirButtons();
    void sharedNameSendsSameNameFromBothRows();
    void refreshAfterDeleteDropsRow();
    void longCatalogueRowsAppearAsScrolledTo();
    void textsTooWideForTheirColumnEndInAnEllipsis();
    void escapeAndCloseHide();
    void dragsWithLeftButtonOnly();
    void screenshots_data();
    void screenshots();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_save;
    QString catalogueFile() const { return m_dir->path() + QStringLiteral("/Brevane.json"); }
    void writeCatalogue(const QVector<RecordingEntry> &entries);
};

void TestVoiceList::init()
{
    uiScale = 1.0f;
    m_dir.reset(new QTemporaryDir(TestSupport::testRoot() + QStringLiteral("/list-XXXXXX")));
    QVERIFY(m_dir->isValid());
    m_save = m_dir->path() + QStringLiteral("/save/");
    QVERIFY(QDir().mkpath(m_save));
    Platform::setApplicationDirForTesting(m_dir->path());
}

void TestVoiceList::cleanup()
{
    uiScale = 1.0f;
}

void TestVoiceList::writeCatalogue(const QVector<RecordingEntry> &entries)
{
    QFile file(catalogueFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(RecordingCatalogue::writtenForm(entries));
}

void TestVoiceList::emptyOrUnreadableCatalogueShowsNoRows_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty array") << QByteArray("[\n]\n") << true;
    QTest::newRow("top-level object") << QByteArray("{\"fileName\": \"a.mp3\"}") << true;
    QTest::newRow("bad syntax") << QByteArray("[{") << true;
}

void TestVoiceList::emptyOrUnreadableCatalogueShowsNoRows()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, present);
    if (present) {
        QFile file(catalogueFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    VoiceList list(catalogueFile());
    QCOMPARE(rowCount(list), 0);
    QCOMPARE(list.findChild<QLabel *>(QStringLiteral("labelAudioName"))->text(), QStringLiteral("音频名称"));
    // The list never changes the file.
    QCOMPARE(QFile::exists(catalogueFile()), present);
}

void TestVoiceList::newestFirst()
{
    // The program's own catalogue file is the default.
    RecordingCatalogue catalogue(RecordingCatalogue::defaultFilePath());
    catalogue.load();
    VoiceList list;
    QCOMPARE(rowCount(list), 0);

    const QStringList names{"08_00_00.mp3", "09_30_00.mp3", "11_15_45.mp3"};
    for (int i = 0; i < names.size(); ++i) {
        QFile file(m_save + names.at(i));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(1234567 * (i + 1)));
        file.close();
        catalogue.append(m_save + names.at(i), QStringLiteral("00:0%1:00").arg(i + 1));
        list.refresh();
    }
    QCOMPARE(rowCount(list), 3);
    for (int i = 0; i < 3; ++i) {
        QWidget *row = rowAt(list, i);
        const RecordingEntry entry = catalogue.entries().at(2 - i);
        QCOMPARE(cell(row, "labelFileName"), names.at(2 - i));
        QCOMPARE(cell(row, "labelAudioLength"), QStringLiteral("00:0%1:00").arg(3 - i));
        QCOMPARE(cell(row, "labelFileSize"), entry.size);
        QCOMPARE(cell(row, "labelFileTime"), entry.date);
    }
    QCOMPARE(cell(rowAt(list, 0), "labelFileSize"), QStringLiteral("3.70MB"));
}

void TestVoiceList::rowsRelayTheirButtons()
{
    writeCatalogue({{"10_00_00.mp3", "0.10MB", "2024-01-01 10:00:00", "00:00:10"}, {"", "", "", ""}});
    VoiceList list(catalogueFile());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy play(&list, &VoiceList::signal_play);
    QSignalSpy openDir(&list, &VoiceList::signal_openDir);
    QSignalSpy deleteFile(&list, &VoiceList::signal_deleteFile);

    QWidget *older = rowAt(list, 1);
    click(older, "btnPlay");
    QCOMPARE(play.size(), 1);
    QCOMPARE(play.first().first().toString(), QStringLiteral("10_00_00.mp3"));
    click(older, "btnOpenDir");
    QCOMPARE(openDir.size(), 1);
    QCOMPARE(deleteFile.size(), 0);
    click(older, "btnDelete");
    QCOMPARE(deleteFile.size(), 1);
    QCOMPARE(deleteFile.first().first().toString(), QStringLiteral("10_00_00.mp3"));
    QCOMPARE(play.size(), 1);

    // An entry with empty texts: empty cells, and the buttons still send.
    QWidget *blank = rowAt(list, 0);
    QCOMPARE(cell(blank, "labelFileName"), QString());
    QCOMPARE(cell(blank, "labelFileTime"), QString());
    click(blank, "btnDelete");
    QCOMPARE(deleteFile.size(), 2);
    QCOMPARE(deleteFile.last().first().toString(), QString());
}

void TestVoiceList::sharedNameSendsSameNameFromBothRows()
{
    writeCatalogue({{"07_00_00.mp3", "0.10MB", "2024-01-01 07:00:00", "00:00:10"},
                    {"07_00_00.mp3", "0.20MB", "2024-01-02 07:00:00", "00:00:20"}});
    VoiceList list(catalogueFile());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(rowCount(list), 2);
    QCOMPARE(cell(rowAt(list, 0), "labelFileSize"), QStringLiteral("0.20MB"));
    QSignalSpy play(&list, &VoiceList::signal_play);
    click(rowAt(list, 0), "btnPlay");
    click(rowAt(list, 1), "btnPlay");
    QCOMPARE(play.size(), 2);
    QCOMPARE(play.at(0).first().toString(), QStringLiteral("07_00_00.mp3"));
    QCOMPARE(play.at(1).first().toString(), QStringLiteral("07_00_00.mp3"));
}

void TestVoiceList::refreshAfterDeleteDropsRow()
{
    for (const char *name : {"01_00_00.mp3", "02_00_00.mp3"}) {
        QFile file(m_save + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    catalogue.append(m_save + QStringLiteral("01_00_00.mp3"), QStringLiteral("00:00:01"));
    catalogue.append(m_save + QStringLiteral("02_00_00.mp3"), QStringLiteral("00:00:02"));

    // The main window's wiring: the row's delete reaches the file actions,
    // then the list is refreshed.
    VoiceList list(catalogueFile());
    connect(&list, &VoiceList::signal_deleteFile, &list, [&](const QString &name) {
        RecordingFileActions::deleteRecording(catalogue, m_save, name);
        list.refresh();
    });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(rowCount(list), 2);
    click(rowAt(list, 1), "btnDelete");
    QCOMPARE(rowCount(list), 1);
    QCOMPARE(cell(rowAt(list, 0), "labelFileName"), QStringLiteral("02_00_00.mp3"));
    QVERIFY(!QFile::exists(m_save + QStringLiteral("01_00_00.mp3")));
    QVERIFY(QFile::exists(m_save + QStringLiteral("02_00_00.mp3")));
}

void TestVoiceList::longCatalogueRowsAppearAsScrolledTo()
{
    // A long catalogue: every entry is a row, newest first, and the oldest
    // one at the end works like any other once scrolled to.
    QVector<RecordingEntry> entries;
    for (int i = 0; i < 600; ++i)
        entries.append({QStringLiteral("rec%1.mp3").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("0.10MB"),
                        QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("00:00:10")});
    writeCatalogue(entries);
    VoiceList list(catalogueFile());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(rowCount(list), 600);
    QVERIFY(rowAt(list, 0));
    QCOMPARE(cell(rowAt(list, 0), "labelFileName"), QStringLiteral("rec599.mp3"));

    auto *view = list.findChild<QListWidget *>(QStringLiteral("FileListWidget"));
    view->scrollToBottom();
    QTRY_VERIFY(rowAt(list, 599));
    QWidget *oldest = rowAt(list, 599);
    QCOMPARE(cell(oldest, "labelFileName"), QStringLiteral("rec000.mp3"));
    QTRY_VERIFY(oldest->isVisible());
    QSignalSpy play(&list, &VoiceList::signal_play);
    click(oldest, "btnPlay");
    QCOMPARE(play.size(), 1);
    QCOMPARE(play.first().first().toString(), QStringLiteral("rec000.mp3"));
}

void TestVoiceList::textsTooWideForTheirColumnEndInAnEllipsis()
{
    // At a larger scale only the fonts grow: a date too wide for its column
    // ends in "…" and keeps the whole text as its tool tip, and the columns
    // keep their places under the headers.
    uiScale = 1.5f;
    writeCatalogue({{"10_00_00.mp3", "0.10MB", "2024-01-01 10:00:00", "00:00:10"}});
    VoiceList list(catalogueFile());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QWidget *row = rowAt(list, 0);
    auto *date = row->findChild<QLabel *>(QStringLiteral("labelFileTime"));
    QTRY_VERIFY(date->text().endsWith(QChar(0x2026)));
    QCOMPARE(date->toolTip(), QStringLiteral("2024-01-01 10:00:00"));
    QVERIFY(date->fontMetrics().horizontalAdvance(date->text()) <= date->width());
    auto *size = row->findChild<QLabel *>(QStringLiteral("labelFileSize"));
    QVERIFY(size->geometry().right() < date->geometry().left() + 1);
}

void TestVoiceList::escapeAndCloseHide()
{
    VoiceList list(catalogueFile());
    QVERIFY(list.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(list.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(list.windowTitle(), QStringLiteral("录音列表"));

    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTest::keyClick(&list, Qt::Key_Escape);
    QTRY_VERIFY(!list.isVisible());

    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::mouseClick(list.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    QTRY_VERIFY(!list.isVisible());

    // Hidden, not gone: it shows again with its rows.
    writeCatalogue({{"05_00_00.mp3", "0.10MB", "", "00:00:01"}});
    list.refresh();
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(rowCount(list), 1);
}

void TestVoiceList::dragsWithLeftButtonOnly()
{
    VoiceList list(catalogueFile());
    list.move(100, 100);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QWidget *title = list.findChild<QWidget *>(QStringLiteral("frameTitle"));
    QVERIFY(title);
    const QPoint start = list.pos();
    // Events go through the window, as the windowing system delivers them,
    // so the held buttons travel with every move.
    QWindow *window = list.windowHandle();
    const QPoint grip = title->mapTo(&list, QPoint(200, 20));

    QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, grip);
    QTest::mouseMove(window, grip + QPoint(40, 30));
    QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, grip + QPoint(40, 30));
    QTest::qWait(50);
    QCOMPARE(list.pos(), start);

    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(window, grip + QPoint(40, 30));
    QTRY_COMPARE(list.pos(), start + QPoint(40, 30));
    // The cursor is now at grip in the moved window; after the release a
    // move does not carry the window along.
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(window, grip + QPoint(10, 10));
    QTest::qWait(50);
    QCOMPARE(list.pos(), start + QPoint(40, 30));
}

void TestVoiceList::screenshots_data()
{
    QTest::addColumn<float>("scale");
    QTest::newRow("1.0") << 1.0f;
    QTest::newRow("1.5") << 1.5f;
}

void TestVoiceList::screenshots()
{
    QFETCH(float, scale);
    uiScale = scale;
    writeCatalogue({{"08_00_00.mp3", "1.23MB", "2024-03-05 08:00:01", "00:01:17"},
                    {QString::fromUtf8("会议记录.mp3"), "0.00MB", "", "00:00:00"},
                    {"17_45_09.mp3", "12.35MB", "2024-03-06 17:45:10", "01:02:03"}});
    VoiceList list(catalogueFile());
    list.move(50, 50);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::qWait(200);
    const QString path =
        TestSupport::saveScreenshot(&list, TestSupport::shotsDir(QStringLiteral("catalogue")),
                                    QStringLiteral("voicelist-%1").arg(double(scale)));
    QVERIFY(!path.isEmpty());
    qInfo("screenshot: %s", qPrintable(path));
}

QTEST_MAIN(TestVoiceList)
#include "tst_voicelist.moc"
