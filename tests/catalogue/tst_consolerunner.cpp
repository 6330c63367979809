#include "ConsoleRunner.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestConsoleRunner : public QObject
{
    Q_OBJECT

private slots:
    void noOutputGivesEmptyText();
    void longOutputInOddWritesIsExact();
    void standardErrorIsMergedInOrder();
    void argumentsReachTheProgramUnchanged();
    void missingProgram_data();
    void missingProgram();
};

void TestConsoleRunner::noOutputGivesEmptyText()
{
    QCOMPARE(runConsoleCommand("true"), QByteArray());
    QCOMPARE(runConsoleCommand("sh -c \"exit 3\""), QByteArray());
}

void TestConsoleRunner::longOutputInOddWritesIsExact()
{
    // 200 kB of varied bytes, written in pieces of 1, 7, 1023, 1025, 4099 ...
    // bytes with pauses, so the reads see pieces of every size.
    QTemporaryDir dir(TestSupport::testRoot() + QStringLiteral("/runner-XXXXXX"));
    QVERIFY(dir.isValid());
    QByteArray expected;
    expected.reserve(200000);
    for (int i = 0; expected.size() < 200000; ++i)
        expected.append(char((i * 131 + i / 251) & 0xff));
    QFile data(dir.path() + QStringLiteral("/data.bin"));
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.write(expected);
    data.close();

    const QString script = dir.path() + QStringLiteral("/writer.py");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("import os, sys, time\n"
               "data = open(sys.argv[1], 'rb').read()\n"
               "sizes = [1, 7, 1023, 1025, 4099, 3, 65537, 511]\n"
               "pos, n = 0, 0\n"
               "while pos < len(data):\n"
               "    k = sizes[n % len(sizes)]\n"
               "    os.write(1, data[pos:pos + k])\n"
               "    pos += k\n"
               "    n += 1\n"
               "    if n % 5 == 0:\n"
               "        time.sleep(0.002)\n");
    file.close();

    const QByteArray output =
        runConsoleCommand("python3 " + script.toUtf8() + " " + data.fileName().toUtf8());
    QCOMPARE(output.size(), expected.size());
    QVERIFY(output == expected);
}

void TestConsoleRunner::standardErrorIsMergedInOrder()
{
    QCOMPARE(runConsoleCommand("sh -c \"echo out1; sleep 0.05; echo err1 >&2; sleep 0.05; echo out2\""),
             QByteArray("out1\nerr1\nout2\n"));
    // A complaint about a missing file is part of the text.
    const QByteArray complaint = runConsoleCommand("rm /nonexistent-folder/nothing.mp3");
    QVERIFY2(complaint.contains("nothing.mp3"), complaint.constData());
}

void TestConsoleRunner::argumentsReachTheProgramUnchanged()
{
    // No shell in between: metacharacters are plain text, quotes group.
    QCOMPARE(runConsoleCommand("printf %s \"a b\" ; $(id) & `x` \xe5\xbd\x95"),
             QByteArray("a b;$(id)&`x`\xe5\xbd\x95"));
}

void TestConsoleRunner::missingProgram_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("no such program") << QByteArray("quellin-no-such-program --help");
    QTest::newRow("no such path") << QByteArray("/nonexistent/bin/tool");
    QTest::newRow("empty line") << QByteArray();
}

void TestConsoleRunner::missingProgram()
{
    QFETCH(QByteArray, command);
    QCOMPARE(runConsoleCommand(command), QByteArray("Cannot create process"));
}

QTEST_GUILESS_MAIN(TestConsoleRunner)
#include "tst_consolerunner.moc"
