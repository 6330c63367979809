// Turning the segments of a recording into the final file, with the real
// ffmpeg on short MP3 segments made here.

#include "AudioTestSupport.h"
#include "EngineLog.h"
#include "Platform.h"
#include "SegmentJoiner.h"

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
    void segmentsWithoutAudioAreLeftOut_data();
    void segmentsWithoutAudioAreLeftOut();
    void nothingRecordedLeavesNoFile();
    void shortJoinKeepsSegments();
    void backslashedSegmentPaths();
    void unwritableListRunsNoJoin();
    void emptySegmentList();
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

    SegmentJoiner joiner;
    QStringList segmentList = paths;
    const QString output = folder + "10_20_30.mp3";
    joiner.finalise(segmentList, pauses, output);

    QCOMPARE(joiner.writtenPath(), output);
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

    SegmentJoiner joiner;
    QStringList segmentList = paths;
    joiner.finalise(segmentList, pauses, folder + "08_00_00.mp3");

    for (const QString &name : existing)
        QCOMPARE(readFile(folder + name), "earlier recording " + name.toUtf8());
    QCOMPARE(joiner.writtenPath(), folder + expectedName);
    QCOMPARE(packetHashes(folder + expectedName), expectedPackets);
    for (const QString &p : paths)
        QVERIFY(!QFile::exists(p));
}

void tst_Finalisation::segmentsWithoutAudioAreLeftOut_data()
{
    QTest::addColumn<int>("silentSegment");
    QTest::addColumn<int>("segments");
    QTest::addColumn<QByteArray>("content");

    // A capture ended before its first frame leaves an empty file, a file
    // with only the tag and the info frame, or (killed) nothing readable.
    // ffmpeg would fail the whole join on such a first segment, and skip a
    // later one while still exiting with 0.
    const QByteArray header = "ID3\x04\x00\x00\x00\x00\x00\x00";
    QByteArray garbage(5000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    QTest::newRow("first segment empty") << 0 << 2 << QByteArray();
    QTest::newRow("middle segment only a tag") << 1 << 3 << header;
    QTest::newRow("last segment unreadable") << 2 << 3 << garbage;
    QTest::newRow("second of two empty: the first is renamed") << 1 << 2 << QByteArray();
}

void tst_Finalisation::segmentsWithoutAudioAreLeftOut()
{
    QFETCH(int, silentSegment);
    QFETCH(int, segments);
    QFETCH(QByteArray, content);

    const QString folder = m_saveDir->path() + "/";
    const QStringList paths = makeSegments(folder, segments);
    QVERIFY(writeFile(paths.at(silentSegment), content));
    QStringList expectedPackets;
    for (int i = 0; i < paths.size(); ++i) {
        if (i != silentSegment)
            expectedPackets += packetHashes(paths.at(i));
    }

    SegmentJoiner joiner;
    QStringList segmentList = paths;
    QCOMPARE(joiner.finalise(segmentList, segments - 1, folder + "09_00_00.mp3"), SegmentJoiner::Written);

    QCOMPARE(joiner.writtenPath(), folder + "09_00_00.mp3");
    QCOMPARE(packetHashes(joiner.writtenPath()), expectedPackets);
    for (const QString &p : paths)
        QVERIFY2(!QFile::exists(p), qPrintable(p));
    QVERIFY(logText().contains("segment without audio left out: " + paths.at(silentSegment) + "\n"));
}

void tst_Finalisation::nothingRecordedLeavesNoFile()
{
    const QString folder = m_saveDir->path() + "/";
    QVERIFY(writeFile(folder + "0.mp3", QByteArray()));
    QVERIFY(writeFile(folder + "1.mp3", "ID3\x04\x00\x00\x00\x00\x00\x00"));

    SegmentJoiner joiner;
    QStringList segmentList{folder + "0.mp3", folder + "1.mp3", folder + "2.mp3"};
    QCOMPARE(joiner.finalise(segmentList, 2, folder + "09_00_00.mp3"), SegmentJoiner::NothingRecorded);
    QVERIFY(joiner.writtenPath().isEmpty());
    QVERIFY(!joiner.failureReason().isEmpty());
    QVERIFY(QDir(folder).isEmpty());
}

void tst_Finalisation::shortJoinKeepsSegments()
{
    // A join that ends with 0 although its output lacks audio (as ffmpeg
    // does on a full disk or a skipped file): the segments stay, the partial
    // output goes. The tool here copies only the first listed segment.
    const QString folder = m_saveDir->path() + "/";
    const QStringList paths = makeSegments(folder, 3);
    QList<QByteArray> before;
    for (const QString &p : paths)
        before << readFile(p);
    QVERIFY(writeToolScript(
        m_toolDir->path(),
        "list=\"$6\"; out=\"$9\"\n"
        "first=$(head -n1 \"$list\" | sed \"s/^file '//; s/'$//\")\n"
        "cp \"$first\" \"$out\"\necho 'Error writing trailer of out: No space left on device' >&2\n"
        "exit 0\n"));

    SegmentJoiner joiner;
    QStringList segmentList = paths;
    QCOMPARE(joiner.finalise(segmentList, 2, folder + "09_00_00.mp3"), SegmentJoiner::Failed);

    QVERIFY(joiner.writtenPath().isEmpty());
    QVERIFY(!QFile::exists(folder + "09_00_00.mp3"));
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(readFile(paths.at(i)), before.at(i));
    QVERIFY2(joiner.failureReason().contains(QDir::toNativeSeparators(m_saveDir->path())),
             qPrintable(joiner.failureReason()));
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

    // Backslashes are separators only on the target platform; here the
    // stored entries name the same files once turned back.
    SegmentJoiner joiner;
    QStringList segmentList;
    for (QString p : paths)
        segmentList << p.replace('/', '\\');
    joiner.finalise(segmentList, 1, folder + "10_00_00.mp3");

    QCOMPARE(segmentList, paths);
    QCOMPARE(readFile(m_appDir->path() + "/merge.txt"),
             ("file '" + paths.at(0) + "'\nfile '" + paths.at(1) + "'\n").toUtf8());
    QCOMPARE(joiner.writtenPath(), folder + "10_00_00.mp3");
    QCOMPARE(packetHashes(joiner.writtenPath()), expectedPackets);
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

    SegmentJoiner joiner;
    QStringList segmentList = paths;
    joiner.finalise(segmentList, 1, folder + "09_30_00.mp3");

    QVERIFY(joiner.writtenPath().isEmpty());
    QVERIFY(!QFile::exists(folder + "09_30_00.mp3"));
    for (const QString &p : paths)
        QVERIFY(QFile::exists(p));
    const QString log = logText();
    QVERIFY2(log.split('\n').contains("create merge.txt fail;"), qPrintable(log));
    QVERIFY(!log.contains("concat"));
}

void tst_Finalisation::emptySegmentList()
{
    const QString folder = m_saveDir->path() + "/";
    SegmentJoiner joiner;
    QStringList segmentList;
    QCOMPARE(joiner.finalise(segmentList, 0, folder + "11_00_00.mp3"), SegmentJoiner::Failed);
    QVERIFY(logText().endsWith("file list is empty;\n"));
}

void tst_Finalisation::negativeSegmentIndexFinalisesNothing()
{
    const QString folder = m_saveDir->path() + "/";
    QVERIFY(writeFile(folder + "0.mp3", "segment 0"));
    QVERIFY(writeFile(folder + "1.mp3", "segment 1"));
    SegmentJoiner joiner;
    QStringList segmentList{folder + "0.mp3", folder + "1.mp3"};
    QCOMPARE(joiner.finalise(segmentList, -1, folder + "12_00_00.mp3"), SegmentJoiner::NotRun);

    QVERIFY(joiner.writtenPath().isEmpty());
    QCOMPARE(readFile(folder + "0.mp3"), QByteArray("segment 0"));
    QCOMPARE(readFile(folder + "1.mp3"), QByteArray("segment 1"));
    QVERIFY(!QFile::exists(folder + "12_00_00.mp3"));
    QVERIFY(!QFile::exists(m_appDir->path() + "/merge.txt"));
    QVERIFY(logText().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Finalisation)
#include "tst_finalisation.moc"
