// The log writers and the one clock: what the engine log and the error file
// hold, and that a time set for the process reaches the log's timestamps.
#include "Clock.h"
#include "EngineLog.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestEngineLog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_appDir.reset(new QTemporaryDir);
        m_workDir.reset(new QTemporaryDir);
        QVERIFY(m_appDir->isValid() && m_workDir->isValid());
        Platform::setApplicationDirForTesting(m_appDir->path());
        QVERIFY(QDir::setCurrent(m_workDir->path()));
    }

    void cleanup()
    {
        Clock::setSource({});
        Platform::setApplicationDirForTesting(QString());
        QDir::setCurrent(QDir::tempPath());
    }

    void logLinesAreAppendedAsUtf8()
    {
        writeLog(QStringLiteral("dir is exist"));
        writeLog(QString());
        writeLog(QStringLiteral("录音 done\r"));
        QCOMPARE(contents(m_appDir->path() + QStringLiteral("/log.txt")),
                 QByteArray("dir is exist\n\n") + QStringLiteral("录音 done\r\n").toUtf8());
    }

    void timestampsReadTheProcessClock()
    {
        Clock::setSource([] { return QDateTime(QDate(2024, 3, 1), QTime(9, 5, 31)); });
        writeLog(logTimestamp() + QStringLiteral("stop record: success"));
        QCOMPARE(contents(m_appDir->path() + QStringLiteral("/log.txt")),
                 QByteArray("2024-03-01 09:05:31 stop record: success\n"));
        Clock::setSource({});
        QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) <= 1);
    }

    void errorFileHoldsTheLastMessageOnly()
    {
        writeErrorText(QStringLiteral("can not record audio: end time must bigger current time"));
        writeErrorText(QStringLiteral("file not exist"));
        QCOMPARE(contents(QStringLiteral("errOut.txt")), QByteArray("file not exist"));
    }

    void errorFileGoesBesideTheLogWhenTheWorkingFolderCannotBeWritten()
    {
        // The working folder is gone from under the process: no file can be
        // made there.
        QTemporaryDir gone;
        QVERIFY(QDir::setCurrent(gone.path()));
        QVERIFY(gone.remove());
        writeErrorText(QStringLiteral("file not exist"));
        QCOMPARE(contents(m_appDir->path() + QStringLiteral("/errOut.txt")), QByteArray("file not exist"));
    }

private:
    QScopedPointer<QTemporaryDir> m_appDir;
    QScopedPointer<QTemporaryDir> m_workDir;
};

QTEST_GUILESS_MAIN(TestEngineLog)
#include "tst_enginelog.moc"
