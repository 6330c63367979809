#include "Platform.h"
#include "RecordingCatalogue.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(RecordingEntry)

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// A recording of the given size in bytes.
QString makeRecording(const QString &folder, const QString &name, qint64 bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes))
        return QString();
    return path;
}

} // namespace

class TestRecordingCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void writtenForm_data();
    void writtenForm();
    void writtenFormLoadsBack();

    void sizeText_data();
    void sizeText();
    void entryOfRealFile();
    void entryOfMissingFile();

    void appendAndRemoveRewriteTheFile();
    void removeTakesEveryEntryOfThatName();

    void unreadableFileIsMovedAside_data();
    void unreadableFileIsMovedAside();
    void asideNameTakesCounter();
    void readableFileIsNotMovedAside();
    void readingRulesForOddElements();

    void failedWriteIsLoggedAndKeptInMemory();
    void fullDiskKeepsPreviousFile();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString catalogueFile() const { return m_dir->path() + QStringLiteral("/Brevane.json"); }
};

void TestRecordingCatalogue::init()
{
    m_dir.reset(new QTemporaryDir(TestSupport::testRoot() + QStringLiteral("/catalogue-XXXXXX")));
    QVERIFY(m_dir->isValid());
    Platform::setApplicationDirForTesting(m_dir->path());
}

void TestRecordingCatalogue::writtenForm_data()
{
    QTest::addColumn<QVector<RecordingEntry>>("entries");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QVector<RecordingEntry>() << QByteArray("[\n]\n");
    QTest::newRow("one entry") << QVector<RecordingEntry>{{"10_20_30.mp3", "1.23MB", "2024-03-05 10:20:31",
                                                           "00:01:02"}}
                               << QByteArray("[\n"
                                             "    {\n"
                                             "        \"audioLength\": \"00:01:02\",\n"
                                             "        \"date\": \"2024-03-05 10:20:31\",\n"
                                             "        \"fileName\": \"10_20_30.mp3\",\n"
                                             "        \"size\": \"1.23MB\"\n"
                                             "    }\n"
                                             "]\n");
    QTest::newRow("two entries") << QVector<RecordingEntry>{{"01_00_00.mp3", "0.00MB", "", "00:00:00"},
                                                            {"02_00_00.mp3", "12.35MB", "2024-03-06 02:00:01",
                                                             "01:02:03"}}
                                 << QByteArray("[\n"
                                               "    {\n"
                                               "        \"audioLength\": \"00:00:00\",\n"
                                               "        \"date\": \"\",\n"
                                               "        \"fileName\": \"01_00_00.mp3\",\n"
                                               "        \"size\": \"0.00MB\"\n"
                                               "    },\n"
                                               "    {\n"
                                               "        \"audioLength\": \"01:02:03\",\n"
                                               "        \"date\": \"2024-03-06 02:00:01\",\n"
                                               "        \"fileName\": \"02_00_00.mp3\",\n"
                                               "        \"size\": \"12.35MB\"\n"
                                               "    }\n"
                                               "]\n");
    QTest::newRow("quote, backslash, tab, CJK")
        << QVector<RecordingEntry>{{QString::fromUtf8("say \"hi\"\\\t录音.mp3"), "0.00MB", "", "00:00:01"}}
        << QByteArray("[\n"
                      "    {\n"
                      "        \"audioLength\": \"00:00:01\",\n"
                      "        \"date\": \"\",\n"
                      "        \"fileName\": \"say \\\"hi\\\"\\\\\\t\xe5\xbd\x95\xe9\x9f\xb3.mp3\",\n"
                      "        \"size\": \"0.00MB\"\n"
                      "    }\n"
                      "]\n");
}

void TestRecordingCatalogue::writtenForm()
{
    QFETCH(QVector<RecordingEntry>, entries);
    QFETCH(QByteArray, expected);
    QCOMPARE(RecordingCatalogue::writtenForm(entries), expected);

    // What the catalogue itself writes, after loading that form, is the same.
    writeBytes(catalogueFile(), expected);
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QCOMPARE(catalogue.entries(), entries);
    QVERIFY(catalogue.write());
    QCOMPARE(fileBytes(catalogueFile()), expected);
}

void TestRecordingCatalogue::writtenFormLoadsBack()
{
    const QVector<RecordingEntry> entries{
        {QString::fromUtf8("a\"b\\c 录音.mp3"), "1.00MB", "2024-01-01 00:00:00", "00:00:09"},
        {"x.mp3", "", "", ""}};
    writeBytes(catalogueFile(), RecordingCatalogue::writtenForm(entries));
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QCOMPARE(catalogue.entries(), entries);
    QCOMPARE(RecordingCatalogue::readEntries(catalogueFile()), entries);
}

void TestRecordingCatalogue::sizeText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0.00MB";
    QTest::newRow("1,234,567") << qint64(1234567) << "1.23MB";
    // Single precision: double precision would give 0.01MB and 0.99MB.
    QTest::newRow("5,000") << qint64(5000) << "0.00MB";
    QTest::newRow("995,000") << qint64(995000) << "1.00MB";
    QTest::newRow("12,345,678") << qint64(12345678) << "12.35MB";
}

void TestRecordingCatalogue::sizeText()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(RecordingCatalogue::sizeText(bytes), text);
    // The same through a real file of that size.
    const QString path = makeRecording(m_dir->path(), QStringLiteral("sized.mp3"), bytes);
    QVERIFY(!path.isEmpty());
    QCOMPARE(RecordingCatalogue::entryFor(path, QStringLiteral("00:00:01")).size, text);
}

void TestRecordingCatalogue::entryOfRealFile()
{
    const QString path = makeRecording(m_dir->path(), QStringLiteral("09_08_07.mp3"), 1234567);
    const RecordingEntry entry = RecordingCatalogue::entryFor(path, QStringLiteral("00:02:03"));
    QCOMPARE(entry.fileName, QStringLiteral("09_08_07.mp3"));
    QCOMPARE(entry.size, QStringLiteral("1.23MB"));
    QCOMPARE(entry.audioLength, QStringLiteral("00:02:03"));
    const QDateTime born = QFileInfo(path).birthTime();
    if (born.isValid())
        QCOMPARE(entry.date, born.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    else
        QCOMPARE(entry.date, QString());
    QVERIFY(entry.date.isEmpty() ||
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                .match(entry.date)
                .hasMatch());
}

void TestRecordingCatalogue::entryOfMissingFile()
{
    const RecordingEntry entry =
        RecordingCatalogue::entryFor(m_dir->path() + QStringLiteral("/gone.mp3"), QStringLiteral("00:00:04"));
    QCOMPARE(entry, (RecordingEntry{"gone.mp3", "0.00MB", "", "00:00:04"}));
}

void TestRecordingCatalogue::appendAndRemoveRewriteTheFile()
{
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QVERIFY(!QFile::exists(catalogueFile()));

    const QString first = makeRecording(m_dir->path(), QStringLiteral("01_02_03.mp3"), 5000);
    const QString second = makeRecording(m_dir->path(), QStringLiteral("04_05_06.mp3"), 995000);
    const RecordingEntry a = catalogue.append(first, QStringLiteral("00:00:01"));
    const RecordingEntry b = catalogue.append(second, QStringLiteral("00:01:00"));
    QCOMPARE(a.size, QStringLiteral("0.00MB"));
    QCOMPARE(b.size, QStringLiteral("1.00MB"));
    QCOMPARE(catalogue.entries(), (QVector<RecordingEntry>{a, b}));
    QCOMPARE(fileBytes(catalogueFile()), RecordingCatalogue::writtenForm({a, b}));

    // A name no entry has still rewrites the file, with the same content.
    QVERIFY(QFile::remove(catalogueFile()));
    QCOMPARE(catalogue.removeEntries(QStringLiteral("nothing.mp3")), 0);
    QCOMPARE(fileBytes(catalogueFile()), RecordingCatalogue::writtenForm({a, b}));

    // Names compare exactly and case-sensitively.
    QCOMPARE(catalogue.removeEntries(QStringLiteral("01_02_03.MP3")), 0);
    QCOMPARE(catalogue.removeEntries(QStringLiteral("01_02_03.mp3")), 1);
    QCOMPARE(fileBytes(catalogueFile()), RecordingCatalogue::writtenForm({b}));
    QCOMPARE(catalogue.removeEntries(QStringLiteral("04_05_06.mp3")), 1);
    QCOMPARE(fileBytes(catalogueFile()), QByteArray("[\n]\n"));
}

void TestRecordingCatalogue::removeTakesEveryEntryOfThatName()
{
    const RecordingEntry x{"10_00_00.mp3", "0.10MB", "2024-01-01 10:00:00", "00:00:10"};
    const RecordingEntry y{"11_00_00.mp3", "0.20MB", "2024-01-01 11:00:00", "00:00:20"};
    const RecordingEntry x2{"10_00_00.mp3", "0.30MB", "2024-01-02 10:00:00", "00:00:30"};
    writeBytes(catalogueFile(), RecordingCatalogue::writtenForm({x, x2, y, x}));
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QCOMPARE(catalogue.removeEntries(QStringLiteral("10_00_00.mp3")), 3);
    QCOMPARE(catalogue.entries(), QVector<RecordingEntry>{y});
    QCOMPARE(RecordingCatalogue::readEntries(catalogueFile()), QVector<RecordingEntry>{y});
}

void TestRecordingCatalogue::unreadableFileIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("bad syntax") << QByteArray("[\n    {\n        \"fileName\": \"a.mp3\",\n");
    QTest::newRow("top-level object") << QByteArray("{\"fileName\": \"a.mp3\", \"size\": \"1.00MB\"}\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("bytes from a crash") << QByteArray("\0\0\0\0\xff\xfe[", 7);
}

void TestRecordingCatalogue::unreadableFileIsMovedAside()
{
    QFETCH(QByteArray, content);
    writeBytes(catalogueFile(), content);

    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QVERIFY(catalogue.entries().isEmpty());
    QVERIFY(RecordingCatalogue::readEntries(catalogueFile()).isEmpty());
    QCOMPARE(fileBytes(catalogueFile()), content); // loading never touches it

    const QString recording = makeRecording(m_dir->path(), QStringLiteral("12_00_00.mp3"), 2000000);
    const RecordingEntry entry = catalogue.append(recording, QStringLiteral("00:00:12"));

    const QString aside = catalogueFile() + QStringLiteral(".unreadable");
    QCOMPARE(fileBytes(aside), content);
    QCOMPARE(fileBytes(catalogueFile()), RecordingCatalogue::writtenForm({entry}));
    QVERIFY2(TestSupport::logText(m_dir->path()).contains(aside),
             qPrintable(TestSupport::logText(m_dir->path())));

    // Only the first write moves anything.
    catalogue.removeEntries(QStringLiteral("12_00_00.mp3"));
    QCOMPARE(fileBytes(aside), content);
    QVERIFY(!QFile::exists(aside + QStringLiteral(".1")));
}

void TestRecordingCatalogue::asideNameTakesCounter()
{
    writeBytes(catalogueFile(), "{}");
    writeBytes(catalogueFile() + QStringLiteral(".unreadable"), "earlier");
    writeBytes(catalogueFile() + QStringLiteral(".unreadable.1"), "earlier 1");

    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    catalogue.append(m_dir->path() + QStringLiteral("/missing.mp3"), QStringLiteral("00:00:01"));

    QCOMPARE(fileBytes(catalogueFile() + QStringLiteral(".unreadable")), QByteArray("earlier"));
    QCOMPARE(fileBytes(catalogueFile() + QStringLiteral(".unreadable.1")), QByteArray("earlier 1"));
    QCOMPARE(fileBytes(catalogueFile() + QStringLiteral(".unreadable.2")), QByteArray("{}"));
    QCOMPARE(RecordingCatalogue::readEntries(catalogueFile()).size(), 1);
}

void TestRecordingCatalogue::readableFileIsNotMovedAside()
{
    const RecordingEntry old{"08_00_00.mp3", "0.50MB", "2024-01-01 08:00:00", "00:00:50"};
    writeBytes(catalogueFile(), RecordingCatalogue::writtenForm({old}));
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    const RecordingEntry added =
        catalogue.append(m_dir->path() + QStringLiteral("/x.mp3"), QStringLiteral("00:00:02"));
    QCOMPARE(fileBytes(catalogueFile()), RecordingCatalogue::writtenForm({old, added}));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("Brevane.json*")}, QDir::Files),
             QStringList{QStringLiteral("Brevane.json")});
    QCOMPARE(TestSupport::logText(m_dir->path()), QString());
}

void TestRecordingCatalogue::readingRulesForOddElements()
{
    writeBytes(catalogueFile(),
               "[ 7, {\"fileName\": 3, \"size\": \"1.00MB\"}, \"text\", {\"fileName\": \"a.mp3\"} ]");
    const QVector<RecordingEntry> expected{
        {"", "", "", ""}, {"", "1.00MB", "", ""}, {"", "", "", ""}, {"a.mp3", "", "", ""}};
    QCOMPARE(RecordingCatalogue::readEntries(catalogueFile()), expected);
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    QCOMPARE(catalogue.entries(), expected);
}

void TestRecordingCatalogue::failedWriteIsLoggedAndKeptInMemory()
{
    // The catalogue's folder does not exist yet: every write fails.
    const QString folder = m_dir->path() + QStringLiteral("/later");
    const QString file = folder + QStringLiteral("/Brevane.json");
    RecordingCatalogue catalogue(file);
    catalogue.load();
    const RecordingEntry entry =
        catalogue.append(m_dir->path() + QStringLiteral("/r.mp3"), QStringLiteral("00:00:03"));
    QVERIFY(!QFile::exists(file));
    const QStringList lines = TestSupport::logLines(m_dir->path());
    QCOMPARE(lines.size(), 1);
    QVERIFY2(
        lines.first().startsWith(QStringLiteral("catalogue write failed: ") + file + QStringLiteral(": ")),
        qPrintable(lines.first()));
    QVERIFY(lines.first().size() >
            (QStringLiteral("catalogue write failed: ") + file + QStringLiteral(": ")).size());
    QCOMPARE(catalogue.entries(), QVector<RecordingEntry>{entry});

    // The next write that succeeds stores the change.
    QVERIFY(QDir().mkpath(folder));
    catalogue.removeEntries(QStringLiteral("other.mp3"));
    QCOMPARE(fileBytes(file), RecordingCatalogue::writtenForm({entry}));
}

void TestRecordingCatalogue::fullDiskKeepsPreviousFile()
{
    const QString mountPoint = m_dir->path() + QStringLiteral("/small");
    QVERIFY(QDir().mkpath(mountPoint));
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint}) !=
        0)
        QSKIP("cannot mount a small tmpfs here");
    struct Unmount
    {
        QString point;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {point}); }
    } unmount{mountPoint};

    const QString file = mountPoint + QStringLiteral("/Brevane.json");
    const RecordingEntry old{"07_00_00.mp3", "0.70MB", "2024-01-01 07:00:00", "00:00:07"};
    writeBytes(file, RecordingCatalogue::writtenForm({old}));
    const QByteArray before = fileBytes(file);

    // Fill the disk to the last byte.
    QProcess::execute(QStringLiteral("dd"),
                      {"if=/dev/zero", "of=" + mountPoint + "/filler", "bs=1", "status=none"});
    QFile probe(mountPoint + QStringLiteral("/probe"));
    QVERIFY(probe.open(QIODevice::WriteOnly));
    QVERIFY(probe.write("x", 1) != 1 || !probe.flush());
    probe.close();
    probe.remove();

    RecordingCatalogue catalogue(file);
    catalogue.load();
    for (int i = 0; i < 50; ++i)
        catalogue.append(m_dir->path() + QStringLiteral("/r%1.mp3").arg(i), QStringLiteral("00:00:01"));

    QCOMPARE(fileBytes(file), before);
    const QStringList lines = TestSupport::logLines(m_dir->path());
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.first().startsWith(QStringLiteral("catalogue write failed: ") + file),
             qPrintable(lines.first()));
    QCOMPARE(catalogue.entries().size(), 51);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{QStringLiteral("Brevane.json"), QStringLiteral("filler")}));
}

QTEST_GUILESS_MAIN(TestRecordingCatalogue)
#include "tst_recordingcatalogue.moc"
