#include "Platform.h"
#include "RecordingCatalogue.h"
#include "RecordingFileActions.h"
#include "TestSupport.h"

#include "UrlRecorder.h"
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QUrl>

#include <QtTest>

namespace {

using Result = RecordingFileActions::DeleteResult;

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and folder under root with its content, to see that nothing
// else was touched.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> result;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        result.insert(QDir(root).relativeFilePath(path),
                      it.fileInfo().isDir() ? QByteArray("<dir>") : fileBytes(path));
    }
    return result;
}

QByteArray errOut()
{
    return fileBytes(QDir::current().filePath(QStringLiteral("errOut.txt")));
}

} // namespace

// Receives what the desktop services would hand to the associated program.
class TestFileActions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deleteRemovesOneFileAndEveryEntry();
    void deleteOfMissingFileDropsEntry();
    void hostileNames_data();
    void hostileNames();
    void undeletableFileKeepsEntry();

    void playOpensLocalFileUrl_data();
    void playOpensLocalFileUrl();
    void playOfMissingFileWritesErrorFile_data();
    void playOfMissingFileWritesErrorFile();

private:
    // root/ holds "outside" files and the save folder, whose name is awkward
    // on purpose: blanks, quotes, shell characters and CJK letters.
    QScopedPointer<QTemporaryDir> m_root;
    QString m_save;
    QString m_appDir;
    QScopedPointer<UrlRecorder> m_catcher;
    QString catalogueFile() const { return m_appDir + QStringLiteral("/Brevane.json"); }
    void listNames(RecordingCatalogue &catalogue, const QStringList &names);
};

void TestFileActions::init()
{
    m_root.reset(new QTemporaryDir(TestSupport::testRoot() + QStringLiteral("/actions-XXXXXX")));
    QVERIFY(m_root->isValid());
    m_appDir = m_root->path() + QStringLiteral("/program");
    m_save = m_root->path() + QString::fromUtf8("/my \"rec\" & it's; $(touch x) 录音/");
    QVERIFY(QDir().mkpath(m_appDir));
    QVERIFY(QDir().mkpath(m_save));
    Platform::setApplicationDirForTesting(m_appDir);
    QFile::remove(QStringLiteral("errOut.txt"));
    m_catcher.reset(new UrlRecorder);
}

void TestFileActions::cleanup()
{
    m_catcher.reset();
    // The undeletable fixture is a folder; QTemporaryDir removes it recursively.
}

void TestFileActions::listNames(RecordingCatalogue &catalogue, const QStringList &names)
{
    for (const QString &name : names)
        catalogue.append(m_save + name, QStringLiteral("00:00:01"));
}

void TestFileActions::deleteRemovesOneFileAndEveryEntry()
{
    writeBytes(m_save + QStringLiteral("10_00_00.mp3"), "recording");
    writeBytes(m_save + QStringLiteral("11_00_00.mp3"), "other");
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    listNames(catalogue, {"10_00_00.mp3", "11_00_00.mp3", "10_00_00.mp3"});

    const Result result =
        RecordingFileActions::deleteRecording(catalogue, m_save, QStringLiteral("10_00_00.mp3"));
    QCOMPARE(result.outcome, Result::Deleted);
    QCOMPARE(result.entriesRemoved, 2);
    QVERIFY(!result.keptEntry());
    QVERIFY(!QFile::exists(m_save + QStringLiteral("10_00_00.mp3")));
    QCOMPARE(fileBytes(m_save + QStringLiteral("11_00_00.mp3")), QByteArray("other"));
    const QVector<RecordingEntry> left = RecordingCatalogue::readEntries(catalogueFile());
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().fileName, QStringLiteral("11_00_00.mp3"));

    // The save folder may be given without its trailing separator too.
    QString folder = m_save;
    folder.chop(1);
    QCOMPARE(RecordingFileActions::deleteRecording(catalogue, folder, QStringLiteral("11_00_00.mp3")).outcome,
             Result::Deleted);
    QVERIFY(!QFile::exists(m_save + QStringLiteral("11_00_00.mp3")));
    QVERIFY(catalogue.entries().isEmpty());
}

void TestFileActions::deleteOfMissingFileDropsEntry()
{
    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    listNames(catalogue, {"09_00_00.mp3"});
    const Result result =
        RecordingFileActions::deleteRecording(catalogue, m_save, QStringLiteral("09_00_00.mp3"));
    QCOMPARE(result.outcome, Result::AlreadyGone);
    QCOMPARE(result.entriesRemoved, 1);
    QCOMPARE(fileBytes(catalogueFile()), QByteArray("[\n]\n"));
}

void TestFileActions::hostileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    // Unsafe names: the entries go, no file is touched.
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << QStringLiteral(".") << false;
    QTest::newRow("dot dot") << QStringLiteral("..") << false;
    QTest::newRow("parent file") << QStringLiteral("../outside.mp3") << false;
    QTest::newRow("into a subfolder") << QStringLiteral("sub/inner.mp3") << false;
    QTest::newRow("backslash") << QStringLiteral("sub\\inner.mp3") << false;
    QTest::newRow("NUL") << QString::fromUtf8("keep.mp3\0.txt", 13) << false;
    QTest::newRow("absolute outside") << QStringLiteral("@ROOT@/outside.mp3") << false;
    // Plain names: exactly that one file goes.
    QTest::newRow("blanks") << QStringLiteral(" a b .mp3") << true;
    QTest::newRow("quotes") << QStringLiteral("say \"hi\" 'there'.mp3") << true;
    QTest::newRow("ampersand") << QStringLiteral("a & del keep.mp3") << true;
    QTest::newRow("semicolon") << QStringLiteral("a; rm -rf keep.mp3") << true;
    QTest::newRow("command substitution") << QStringLiteral("$(rm keep.mp3).mp3") << true;
    QTest::newRow("backticks and pipe") << QStringLiteral("`rm keep.mp3` | x.mp3") << true;
    QTest::newRow("CJK") << QString::fromUtf8("录音 一.mp3") << true;
    QTest::newRow("wildcard, no such file") << QStringLiteral("*.mp3") << true;
    QTest::newRow("dash") << QStringLiteral("-rf") << true;
}

void TestFileActions::hostileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    name.replace(QStringLiteral("@ROOT@"), m_root->path());
    QCOMPARE(RecordingFileActions::isPlainFileName(name), plain);

    // Bystanders inside and outside the save folder.
    writeBytes(m_root->path() + QStringLiteral("/outside.mp3"), "outside");
    writeBytes(m_root->path() + QStringLiteral("/keep.mp3"), "outside keep");
    writeBytes(m_save + QStringLiteral("keep.mp3"), "keep");
    writeBytes(m_save + QStringLiteral("keep.mp3.txt"), "keep txt");
    QVERIFY(QDir().mkpath(m_save + QStringLiteral("sub")));
    writeBytes(m_save + QStringLiteral("sub/inner.mp3"), "inner");
    writeBytes(m_save + QStringLiteral("sub\\inner.mp3"), "backslash name");
    const bool targetExists = plain && name != QLatin1String("*.mp3");
    if (targetExists)
        writeBytes(m_save + name, "target");

    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    listNames(catalogue, {"keep.mp3"});
    catalogue.append(m_save + QStringLiteral("ignored"), QStringLiteral("00:00:02"));
    {
        // The hostile entry as an editor could have written it.
        QVector<RecordingEntry> entries = catalogue.entries();
        entries.append(RecordingEntry{name, "0.00MB", "", "00:00:03"});
        QFile file(catalogueFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(RecordingCatalogue::writtenForm(entries));
    }
    catalogue.load();
    QMap<QString, QByteArray> before = snapshot(m_root->path());

    const Result result = RecordingFileActions::deleteRecording(catalogue, m_save, name);

    QCOMPARE(result.entriesRemoved, 1);
    QVERIFY(!result.keptEntry());
    for (const RecordingEntry &entry : RecordingCatalogue::readEntries(catalogueFile()))
        QVERIFY(entry.fileName != name);
    if (targetExists) {
        QCOMPARE(result.outcome, Result::Deleted);
        QVERIFY(!QFileInfo(m_save + name).exists());
        const QString key = QDir(m_root->path()).relativeFilePath(m_save + name);
        QVERIFY2(before.remove(key) == 1, qPrintable(key));
    } else {
        QCOMPARE(result.outcome, plain ? Result::AlreadyGone : Result::UnsafeName);
    }
    // The catalogue file itself changed; everything else is as it was.
    const QString catalogueKey = QDir(m_root->path()).relativeFilePath(catalogueFile());
    QMap<QString, QByteArray> after = snapshot(m_root->path());
    before.remove(catalogueKey);
    after.remove(catalogueKey);
    before.remove(QStringLiteral("program/log.txt"));
    after.remove(QStringLiteral("program/log.txt"));
    QCOMPARE(after, before);
    if (!plain)
        QVERIFY(TestSupport::logText(m_appDir).contains(QStringLiteral("not a plain file name")));
}

void TestFileActions::undeletableFileKeepsEntry()
{
    // As root a file delete cannot remove a non-empty folder of that name.
    QVERIFY(QDir().mkpath(m_save + QStringLiteral("12_00_00.mp3")));
    writeBytes(m_save + QStringLiteral("12_00_00.mp3/inside"), "x");
    writeBytes(m_save + QStringLiteral("13_00_00.mp3"), "fine");

    RecordingCatalogue catalogue(catalogueFile());
    catalogue.load();
    listNames(catalogue, {"12_00_00.mp3", "13_00_00.mp3", "12_00_00.mp3"});
    const QByteArray listed = fileBytes(catalogueFile());

    const Result result =
        RecordingFileActions::deleteRecording(catalogue, m_save, QStringLiteral("12_00_00.mp3"));
    QCOMPARE(result.outcome, Result::NotRemovable);
    QVERIFY(result.keptEntry());
    QCOMPARE(result.entriesRemoved, 0);
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(!result.reason.contains(QLatin1Char('\n')));
    QVERIFY2(result.reason.contains(QStringLiteral("12_00_00.mp3")), qPrintable(result.reason));
    QCOMPARE(fileBytes(catalogueFile()), listed);
    QCOMPARE(catalogue.entries().size(), 3);
    QCOMPARE(fileBytes(m_save + QStringLiteral("12_00_00.mp3/inside")), QByteArray("x"));
    QCOMPARE(fileBytes(m_save + QStringLiteral("13_00_00.mp3")), QByteArray("fine"));
    QVERIFY(TestSupport::logText(m_appDir).contains(QStringLiteral("delete failed: ")));

    // The reason stays one line even for a name with line breaks.
    const QString twoLines = QStringLiteral("a\nb.mp3");
    QVERIFY(QDir().mkpath(m_save + twoLines));
    writeBytes(m_save + twoLines + QStringLiteral("/inside"), "x");
    const Result second = RecordingFileActions::deleteRecording(catalogue, m_save, twoLines);
    QCOMPARE(second.outcome, Result::NotRemovable);
    QVERIFY(!second.reason.contains(QLatin1Char('\n')));
}

void TestFileActions::playOpensLocalFileUrl_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("time name") << QStringLiteral("10_20_30.mp3");
    QTest::newRow("blanks and CJK") << QString::fromUtf8("a b 录音 #1.mp3");
}

void TestFileActions::playOpensLocalFileUrl()
{
    QFETCH(QString, name);
    writeBytes(m_save + name, "audio");
    QVERIFY(RecordingFileActions::play(m_save, name));
    QCOMPARE(m_catcher->urls, QList<QUrl>{QUrl::fromLocalFile(m_save + name)});
    QVERIFY(m_catcher->urls.first().isLocalFile());
    QCOMPARE(m_catcher->urls.first().toLocalFile(), m_save + name);
    QVERIFY(errOut().isEmpty());
}

void TestFileActions::playOfMissingFileWritesErrorFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("gone.mp3");
    QTest::newRow("outside the folder") << QStringLiteral("../outside.mp3");
    QTest::newRow("empty") << QString();
}

void TestFileActions::playOfMissingFileWritesErrorFile()
{
    QFETCH(QString, name);
    writeBytes(m_root->path() + QStringLiteral("/outside.mp3"), "outside");
    QVERIFY(!RecordingFileActions::play(m_save, name));
    QVERIFY(m_catcher->urls.isEmpty());
    QCOMPARE(errOut(), QByteArray("file not exist"));
}

QTEST_MAIN(TestFileActions)
#include "tst_fileactions.moc"
