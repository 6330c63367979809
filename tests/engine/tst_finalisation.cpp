// Turning the segments of a recording into the final file, with the real
// ffmpeg on short MP3 segments made here.

#include "EngineLog.h"
#include "EngineTestSupport.h"
#include "Platform.h"
#include "RecordAudioCore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace EngineTest;

class tst_Finalisation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void finalFileHoldsSegmentsInOrder_data();
    void finalFileHoldsSegmentsInOrder();
    void existingFinalFileIsKept_data();
    void existingFinalFileIsKept();
    void failedJoinKeepsSegments_data();
    void failedJoinKeepsSegments();
    void backslashedSegmentPaths();
    void unwritableListRunsNoJoin();
    void missingSingleSegment();
    void negativeSegmentIndexFinalisesNothing();

private:
    // Makes segments 0.mp3, 1.mp3, … in folder, one tone each.
    QStringList makeSegments(const QString &folder, int count);
    QString logText() const { return QString::fromUtf8(readFile(m_appDir->path() + "/log.txt")); }

    QScopedPointer<QTemporaryDir> m_appDir;
    QScopedPointer<QTemporaryDir> m_saveDir;
    QScopedPointer<QTemporaryDir> m_toolDir;
    QScopedPointer<PathGuard> m_path;
};

void tst_Finalisation::init()
{
    m_appDir.reset(new QTemporaryDir);
    m_saveDir.reset(new QTemporaryDir);
    m_toolDir.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid() && m_saveDir->isValid() && m_toolDir->isValid());
    Platform::setApplicationDirForTesting(m_appDir->path());
    // Only the join runs here, and that is plain ffmpeg.
    QVERIFY(writeToolScript(m_toolDir->path(), "exec /usr/bin/ffmpeg \"$@\"\n"));
    m_path.reset(new PathGuard(m_toolDir->path()));
}

void tst_Finalisation::cleanup()
{
    m_path.reset();
    Platform::setApplicationDirForTesting(QString());
}

QStringList tst_Finalisation::makeSegments(const QString &folder, int count)
{
    static const int frequencies[] = {300, 500, 700, 900};
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QString::number(i) + ".mp3";
        if (!makeTone(path, frequencies[i % 4], 0.6 + 0.2 * i))
            return QStringList();
        paths << path;
    }
    return paths;
}

void tst_Finalisation::finalFileHoldsSegmentsInOrder_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<int>("segments");
    QTest::addColumn<int>("pauses");

    QTest::newRow("no pause: renamed") << "rec" << 1 << 0;
    QTest::newRow("paused then stopped: one segment joined") << "rec" << 1 << 1;
    QTest::newRow("two segments") << "rec" << 2 << 1;
    QTest::newRow("three segments") << "rec" << 3 << 2;
    QTest::newRow("folder with blank, quote, non-ASCII") << QString::fromUtf8("Tom's récords 录音") << 2 << 1;
    QTest::newRow("rename into folder with quote") << QString::fromUtf8("Tom's récords 录音") << 1 << 0;
}

void tst_Finalisation::finalFileHoldsSegmentsInOrder()
{
    QFETCH(QString, folderName);
    QFETCH(int, segments);
    QFETCH(int, pauses);

    QVERIFY(QDir(m_saveDir->path()).mkpath(folderName));
    const QString folder = m_saveDir->path() + "/" + folderName + "/";
    const QStringList paths = makeSegments(folder, segments);
    QCOMPARE(paths.size(), segments);
    QStringList expectedPackets;
    double expectedDuration = 0;
    for (const QString &p : paths) {
        expectedPackets += packetHashes(p);
        expectedDuration += probe(p).duration;
    }
    QVERIFY(!expectedPackets.isEmpty());

    RecordAudioCore engine(nullptr);
    engine.segmentFiles = paths;
    engine.segmentIndex = pauses;
    const QString output = folder + "10_20_30.mp3";
    engine.stopRecord(output);

    QCOMPARE(engine.writtenPath, output);
    QVERIFY(QFile::exists(output));
    QCOMPARE(packetHashes(output), expectedPackets);
    QVERIFY(qAbs(probe(output).duration - expectedDuration) < 0.027); // one MP3 frame
    for (const QString &p : paths)
        QVERIFY2(!QFile::exists(p), qPrintable(p));

    const QString log = logText();
    if (pauses == 0) {
        QVERIFY(!QFile::exists(m_appDir->path() + "/merge.txt"));
        QVERIFY(!log.contains("concat"));
        return;
    }
    QByteArray list;
    for (QString p : paths)
        list += "file '" + p.replace("'", "'\\''").toUtf8() + "'\n";
    QCOMPARE(readFile(m_appDir->path() + "/merge.txt"), list);
    const QString command = "ffmpeg.exe -f concat -safe 0 -i \"" + m_appDir->path() +
                            "/merge.txt\"  -c copy \"" + output + "\" -y";
    QVERIFY2(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d concat success:" +
                                QRegularExpression::escape(command) + "\n")
                 .match(log)
                 .hasMatch(),
             qPrintable(log));
    // What the join prints is logged as it came, read as UTF-8.
    QVERIFY2(log.contains("Output #0, mp3, to '" + output + "'"), qPrintable(log));
}

void tst_Finalisation::existingFinalFileIsKept_data()
{
    QTest::addColumn<int>("pauses");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expectedName");

    QTest::newRow("rename, name taken") << 0 << QStringList{"08_00_00.mp3"} << "08_00_00(1).mp3";
    QTest::newRow("join, name taken") << 1 << QStringList{"08_00_00.mp3"} << "08_00_00(1).mp3";
    QTest::newRow("join, name and (1) taken")
        << 1 << QStringList{"08_00_00.mp3", "08_00_00(1).mp3"} << "08_00_00(2).mp3";
    QTest::newRow("rename, (1) taken only") << 0 << QStringList{"08_00_00(1).mp3"} << "08_00_00.mp3";
}

void tst_Finalisation::existingFinalFileIsKept()
{
    QFETCH(int, pauses);
    QFETCH(QStringList, existing);
    QFETCH(QString, expectedName);

    const QString folder = m_saveDir->path() + "/";
    for (const QString &name : existing)
        QVERIFY(writeFile(folder + name, "earlier recording " + name.toUtf8()));
    const QStringList paths = makeSegments(folder, pauses + 1);
    QStringList expectedPackets;
    for (const QString &p : paths)
        expectedPackets += packetHashes(p);

    RecordAudioCore engine(nullptr);
    engine.segmentFiles = paths;
    engine.segmentIndex = pauses;
    engine.stopRecord(folder + "08_00_00.mp3");

    for (const QString &name : existing)
        QCOMPARE(readFile(folder + name), "earlier recording " + name.toUtf8());
    QCOMPARE(engine.writtenPath, folder + expectedName);
    QCOMPARE(packetHashes(folder + expectedName), expectedPackets);
    for (const QString &p : paths)
        QVERIFY(!QFile::exists(p));
}

void tst_Finalisation::failedJoinKeepsSegments_data()
{
    QTest::addColumn<int>("corruptSegment");
    QTest::addColumn<int>("segments");

    // ffmpeg fails outright when the first listed file is unreadable, but
    // skips an unreadable later one and still ends with exit code 0.
    QTest::newRow("first segment corrupt") << 0 << 2;
    QTest::newRow("middle segment corrupt") << 1 << 3;
    QTest::newRow("last segment corrupt") << 2 << 3;
}

void tst_Finalisation::failedJoinKeepsSegments()
{
    QFETCH(int, corruptSegment);
    QFETCH(int, segments);

    const QString folder = m_saveDir->path() + "/";
    const QStringList paths = makeSegments(folder, segments);
    QByteArray garbage(5000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    QVERIFY(writeFile(paths.at(corruptSegment), garbage));
    QList<QByteArray> before;
    for (const QString &p : paths)
        before << readFile(p);

    RecordAudioCore engine(nullptr);
    engine.segmentFiles = paths;
    engine.segmentIndex = segments - 1;
    engine.stopRecord(folder + "09_00_00.mp3");

    QVERIFY(engine.writtenPath.isEmpty());
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(readFile(paths.at(i)), before.at(i));
    const QString log = logText();
    QVERIFY2(QRegularExpression(
                 "\\d\\d:\\d\\d:\\d\\d concat failffmpeg\\.exe -f concat .*\nffmpeg concat fail or use "
                 "too long time\\.\n")
                 .match(log)
                 .hasMatch(),
             qPrintable(log));
    QVERIFY(!log.contains("concat success:"));
}

void tst_Finalisation::backslashedSegmentPaths()
{
    // A save folder given with backslashes: the list and the stored entries
    // use forward slashes, and the segments are found again for removal.
    const QString folder = m_saveDir->path() + "/";
    const QStringList paths = makeSegments(folder, 2);
    QCOMPARE(paths.size(), 2);
    QStringList expectedPackets;
    for (const QString &p : paths)
        expectedPackets += packetHashes(p);

    RecordAudioCore engine(nullptr);
    for (QString p : paths)
        engine.segmentFiles << p.replace('/', '\\');
    engine.segmentIndex = 1;
    engine.stopRecord(folder + "10_00_00.mp3");

    QCOMPARE(engine.segmentFiles, paths);
    QCOMPARE(readFile(m_appDir->path() + "/merge.txt"),
             ("file '" + paths.at(0) + "'\nfile '" + paths.at(1) + "'\n").toUtf8());
    QCOMPARE(engine.writtenPath, folder + "10_00_00.mp3");
    QCOMPARE(packetHashes(engine.writtenPath), expectedPackets);
    for (const QString &p : paths)
        QVERIFY2(!QFile::exists(p), qPrintable(p));
}

void tst_Finalisation::unwritableListRunsNoJoin()
{
    // An earlier recording's list stays behind a folder of that name: it can
    // neither be rewritten nor be joined again by mistake.
    const QString folder = m_saveDir->path() + "/";
    QVERIFY(QDir(m_appDir->path()).mkdir("merge.txt"));
    const QStringList paths = makeSegments(folder, 2);

    RecordAudioCore engine(nullptr);
    engine.segmentFiles = paths;
    engine.segmentIndex = 1;
    engine.stopRecord(folder + "09_30_00.mp3");

    QVERIFY(engine.writtenPath.isEmpty());
    QVERIFY(!QFile::exists(folder + "09_30_00.mp3"));
    for (const QString &p : paths)
        QVERIFY(QFile::exists(p));
    const QString log = logText();
    QVERIFY2(log.contains("\ncreate merge.txt fail;\n"), qPrintable(log));
    QVERIFY(!log.contains("concat"));
}

void tst_Finalisation::missingSingleSegment()
{
    // A capture that never started leaves no segment to rename.
    const QString folder = m_saveDir->path() + "/";
    RecordAudioCore engine(nullptr);
    engine.segmentFiles = QStringList{folder + "0.mp3"};
    engine.stopRecord(folder + "11_00_00.mp3");
    QVERIFY(engine.writtenPath.isEmpty());
    QVERIFY(logText().contains("\nrename fail: " + folder + "11_00_00.mp3\n"));

    engine.segmentFiles.clear();
    engine.stopRecord(folder + "11_00_00.mp3");
    QVERIFY(logText().endsWith("\nfile list is empty;\n"));
}

void tst_Finalisation::negativeSegmentIndexFinalisesNothing()
{
    const QString folder = m_saveDir->path() + "/";
    QVERIFY(writeFile(folder + "0.mp3", "segment 0"));
    QVERIFY(writeFile(folder + "1.mp3", "segment 1"));
    RecordAudioCore engine(nullptr);
    engine.segmentFiles = QStringList{folder + "0.mp3", folder + "1.mp3"};
    engine.segmentIndex = -1;
    engine.stopRecord(folder + "12_00_00.mp3");

    QVERIFY(engine.writtenPath.isEmpty());
    QCOMPARE(readFile(folder + "0.mp3"), QByteArray("segment 0"));
    QCOMPARE(readFile(folder + "1.mp3"), QByteArray("segment 1"));
    QVERIFY(!QFile::exists(folder + "12_00_00.mp3"));
    QVERIFY(!QFile::exists(m_appDir->path() + "/merge.txt"));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d stop record: fail\n$")
                .match(logText())
                .hasMatch());
}

QTEST_GUILESS_MAIN(tst_Finalisation)
#include "tst_finalisation.moc"
