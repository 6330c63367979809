// The real program under the test display, driven by real key presses and
// mouse clicks through xdotool.
#include "TestSupport.h"
#include "XDisplay.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

namespace {
QString windowOf(qint64 pid)
{
    return XDisplay::waitForWindow({"--pid", QString::number(pid)});
}

} // namespace

class TestBrevaneKeys : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir programDir;
    QProcess program;
    QString window;

    QStringList stateLines() const
    {
        QFile file(programDir.filePath(QStringLiteral("log.txt")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        const QStringList all = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (const QString &line : all) {
            // Starts and resumes are followed by the command, pauses and stops by their outcome.
            for (const char *kind : {"start record: ", "resume record: "})
                if (line.contains(QLatin1String(kind)))
                    lines << QString::fromLatin1(kind);
            for (const char *kind : {"pause record: ", "stop record: "})
                if (line.contains(QLatin1String(kind)))
                    lines << QString::fromLatin1(kind) + line.section(QLatin1String(kind), 1);
        }
        return lines;
    }

    bool startProgram(const QByteArray &fontDpi)
    {
        // The program folder is copied, so that its log lands beside this copy.
        QDir source(QStringLiteral(QUELLIN_PROGRAM_DIR));
        if (!programDir.isValid())
            return false;
        QDir(programDir.path()).removeRecursively();
        QDir().mkpath(programDir.path());
        QProcess copy;
        copy.start(QStringLiteral("cp"), {"-r", source.path() + QStringLiteral("/."), programDir.path()});
        copy.waitForFinished();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (fontDpi.isEmpty())
            env.remove(QStringLiteral("QT_FONT_DPI"));
        else
            env.insert(QStringLiteral("QT_FONT_DPI"), QString::fromLatin1(fontDpi));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(programDir.filePath(QStringLiteral("Brevane")), QStringList());
        if (!program.waitForStarted())
            return false;
        window = windowOf(program.processId());
        return !window.isEmpty();
    }

    void focusAndPress(const QString &target, const QString &key)
    {
        XDisplay::xdotool({"windowfocus", "--sync", target});
        XDisplay::xdotool({"key", key});
    }

    void closeByButton()
    {
        // btnClose is the right-most control of the title bar, inside the 8-pixel shadow margin.
        const QRect geometry = XDisplay::geometry(window);
        XDisplay::xdotool({"mousemove", QString::number(geometry.right() - 8 - 12),
                           QString::number(geometry.top() + 8 + 20)});
        XDisplay::xdotool({"click", "1"});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

private slots:
    void keysDriveTheRecording()
    {
        QVERIFY(startProgram(QByteArray()));
        QTest::qWait(500);

        // Nothing is recording: F9 does nothing.
        focusAndPress(window, QStringLiteral("F9"));
        focusAndPress(window, QStringLiteral("F7"));
        QTRY_COMPARE_WITH_TIMEOUT(stateLines().size(), 1, 20000);
        QVERIFY(stateLines().first().startsWith(QLatin1String("start record: ")));
        QTest::qWait(1500);
        focusAndPress(window, QStringLiteral("F8"));
        QTRY_COMPARE_WITH_TIMEOUT(stateLines().size(), 2, 20000);
        focusAndPress(window, QStringLiteral("F7"));
        QTRY_COMPARE_WITH_TIMEOUT(stateLines().size(), 3, 20000);

        // Keys pressed while another application's window is active do not reach the program.
        QProcess other;
        other.start(QStringLiteral("xmessage"), {"-geometry", "+900+800", "another application"});
        QVERIFY(other.waitForStarted());
        // xmessage does not name its process on its window; its class does.
        const QString otherWindow = XDisplay::waitForWindow({"--class", "Xmessage"});
        QVERIFY(!otherWindow.isEmpty());
        focusAndPress(otherWindow, QStringLiteral("F8"));
        focusAndPress(otherWindow, QStringLiteral("F9"));
        focusAndPress(otherWindow, QStringLiteral("F7"));
        other.kill();
        other.waitForFinished();

        QTest::qWait(1500);
        focusAndPress(window, QStringLiteral("F9"));
        QTRY_COMPARE_WITH_TIMEOUT(stateLines().size(), 4, 30000);
        QCOMPARE(stateLines(), (QStringList{"start record: ", "pause record: success",
                                            "resume record: ", "stop record: success"}));
        closeByButton();
    }

    void screenshots_data()
    {
        QTest::addColumn<QByteArray>("fontDpi");
        QTest::addColumn<QString>("file");
        QTest::newRow("scale 1.0") << QByteArray() << "main-window-100.png";
        QTest::newRow("scale 1.25") << QByteArray("120") << "main-window-125.png";
    }

    void screenshots()
    {
        QFETCH(QByteArray, fontDpi);
        QFETCH(QString, file);
        QVERIFY(startProgram(fontDpi));
        QTest::qWait(1000);
        const QRect geometry = XDisplay::geometry(window);
        QCOMPARE(geometry.size(), QSize(858, 600));
        const QString shots = TestSupport::shotsDir(QStringLiteral("app"));
        const QString whole = programDir.filePath(QStringLiteral("root.png"));
        QCOMPARE(QProcess::execute(QStringLiteral("import"), {"-window", "root", whole}), 0);
        const QString crop = QStringLiteral("%1x%2+%3+%4")
                                 .arg(geometry.width())
                                 .arg(geometry.height())
                                 .arg(geometry.x())
                                 .arg(geometry.y());
        QCOMPARE(QProcess::execute(QStringLiteral("convert"),
                                   {whole, "-crop", crop, "+repage", shots + "/" + file}),
                 0);
        closeByButton();
    }
};

QTEST_MAIN(TestBrevaneKeys)
#include "tst_brevanekeys.moc"
