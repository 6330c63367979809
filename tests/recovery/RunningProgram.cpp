#include "RunningProgram.h"

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/types.h>

// Xlib last: its macros (None, Bool, Status) clash with Qt's names.
#include <X11/Xlib.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The parent's process id from /proc/PID/stat (the name may hold blanks).
qint64 parentOf(const QString &pid)
{
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // After the name: state, then the parent.
    return fields.size() > 1 && fields.at(0) != "Z" ? fields.at(1).toLongLong() : -1;
}

QList<QByteArray> commandLineOf(const QString &pid)
{
    return readAll(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0');
}

QStringList processIds()
{
    QStringList ids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        entry.toLongLong(&number);
        if (number)
            ids << entry;
    }
    return ids;
}

bool isFfmpeg(const QList<QByteArray> &commandLine)
{
    return !commandLine.isEmpty() && QFileInfo(QString::fromLocal8Bit(commandLine.first()))
                                         .fileName()
                                         .startsWith(QLatin1String("ffmpeg"));
}
} // namespace

RunningProgram::RunningProgram(const QString &programDir, QObject *parent)
    : QObject(parent), m_programDir(programDir), m_applicationDir(programDir),
      m_environment(QProcessEnvironment::systemEnvironment())
{
    m_home = m_environment.value(QStringLiteral("HOME"));
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

RunningProgram::~RunningProgram()
{
    killHard();
}

bool RunningProgram::copyProgramFolder(const QString &dir, const QStringList &leaveOut)
{
    const QDir source(QStringLiteral(QUELLIN_PROGRAM_DIR));
    if (!QDir().mkpath(dir))
        return false;
    if (QProcess::execute(QStringLiteral("cp"), {"-a", source.path() + QStringLiteral("/."), dir}) != 0)
        return false;
    // The build's own program files must not leak into the copy.
    for (const char *name : {"log.txt", "merge.txt", "Brevane.json", "errOut.txt"})
        QFile::remove(dir + QLatin1Char('/') + QLatin1String(name));
    for (const QString &name : leaveOut) {
        if (!QFile::remove(dir + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

void RunningProgram::setHome(const QString &home)
{
    m_home = home;
    m_environment.insert(QStringLiteral("HOME"), home);
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    QDir().mkpath(home + QStringLiteral("/Documents"));
    QDir().mkpath(home + QStringLiteral("/.config"));
}

QString RunningProgram::home() const
{
    return m_home;
}

QString RunningProgram::saveFolder() const
{
    return m_home + QStringLiteral("/Documents/ZeltoAudioRecord/");
}

void RunningProgram::setApplicationDir(const QString &dir)
{
    m_applicationDir = dir;
}

QString RunningProgram::applicationDir() const
{
    return m_applicationDir;
}

QProcessEnvironment &RunningProgram::environment()
{
    return m_environment;
}

void RunningProgram::setLauncher(const QStringList &launcher)
{
    m_launcher = launcher;
}

bool RunningProgram::start()
{
    m_window.clear();
    m_process.setProcessEnvironment(m_environment);
    const QString program = m_programDir + QStringLiteral("/Brevane");
    if (m_launcher.isEmpty())
        m_process.start(program, QStringList());
    else
        m_process.start(m_launcher.first(), m_launcher.mid(1) << program);
    if (!m_process.waitForStarted())
        return false;
    const bool shown = QTest::qWaitFor(
        [this] {
            m_window = visibleWindows().value(0);
            return !m_window.isEmpty() || m_process.state() == QProcess::NotRunning;
        },
        20000);
    // Let the window settle before keys reach it.
    QTest::qWait(300);
    return shown && !m_window.isEmpty();
}

int RunningProgram::runAnotherCopy(int waitMs, QString *errorOutput)
{
    QProcess other;
    other.setProcessEnvironment(m_environment);
    other.start(m_programDir + QStringLiteral("/Brevane"), QStringList());
    const bool finished = other.waitForFinished(waitMs);
    if (errorOutput)
        *errorOutput = QString::fromLocal8Bit(other.readAllStandardError());
    if (!finished) {
        other.kill();
        other.waitForFinished();
        return -1;
    }
    return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
}

qint64 RunningProgram::pid() const
{
    return m_process.processId();
}

QString RunningProgram::mainWindow() const
{
    return m_window;
}

QStringList RunningProgram::visibleWindows() const
{
    if (m_process.state() == QProcess::NotRunning)
        return {};
    return xdotool({"search", "--onlyvisible", "--pid", QString::number(pid())})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void RunningProgram::press(const QString &keys)
{
    xdotool({"windowactivate", "--sync", m_window});
    xdotool({"windowfocus", "--sync", m_window});
    xdotool(QStringList{"key", "--delay", "0"} + keys.split(QLatin1Char(' ')));
}

bool RunningProgram::sendCloseRequest()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Window target = m_window.toULong();
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, target, False, NoEventMask, &event) != 0;
    XFlush(display);
    XCloseDisplay(display);
    return sent;
}

bool RunningProgram::waitForExit(int waitMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(waitMs);
}

bool RunningProgram::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

int RunningProgram::exitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void RunningProgram::killHard()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
    m_process.waitForFinished(10000);
}

QList<qint64> RunningProgram::captureProcesses() const
{
    QList<qint64> found;
    if (m_process.state() == QProcess::NotRunning)
        return found;
    for (const QString &id : processIds()) {
        if (parentOf(id) == pid() && isFfmpeg(commandLineOf(id)))
            found << id.toLongLong();
    }
    return found;
}

QList<qint64> RunningProgram::processesWriting(const QString &path)
{
    QList<qint64> found;
    const QByteArray wanted = QDir::cleanPath(path).toLocal8Bit();
    for (const QString &id : processIds()) {
        const QList<QByteArray> commandLine = commandLineOf(id);
        if (parentOf(id) < 0 || !isFfmpeg(commandLine))
            continue;
        for (const QByteArray &word : commandLine) {
            if (word.startsWith(wanted)) {
                found << id.toLongLong();
                break;
            }
        }
    }
    return found;
}

QStringList RunningProgram::logLines() const
{
    return TestSupport::logLines(m_applicationDir);
}

bool RunningProgram::waitForLog(const QString &text, int count, int waitMs) const
{
    return QTest::qWaitFor([&] { return logLines().filter(text).size() >= count; }, waitMs);
}

QStringList RunningProgram::segmentTextsOfLastRecording() const
{
    const QString text = TestSupport::logText(m_applicationDir);
    const int begin = text.lastIndexOf(QLatin1String("start record: "));
    if (begin < 0)
        return {};
    // Each segment starts with its command line; ffmpeg's output follows.
    static const QRegularExpression segmentStart(QStringLiteral("(start|resume) record: "));
    static const QRegularExpression segmentEnd(QStringLiteral("(pause|stop) record: "));
    QStringList texts;
    const QStringList segments = text.mid(begin).split(segmentStart, Qt::SkipEmptyParts);
    for (const QString &segment : segments) {
        // What follows the segment's end is the join's output, not the capture's.
        const int end = segment.indexOf(segmentEnd);
        texts << (end < 0 ? segment : segment.left(end));
    }
    return texts;
}

QList<double> RunningProgram::segmentSecondsOfLastRecording() const
{
    static const QRegularExpression progress(QStringLiteral("time=(\\d+):(\\d\\d):(\\d\\d\\.\\d+)"));
    QList<double> seconds;
    for (const QString &segment : segmentTextsOfLastRecording()) {
        double last = 0;
        auto it = progress.globalMatch(segment);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            last = m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toDouble();
        }
        seconds << last;
    }
    return seconds;
}

QList<double> RunningProgram::encodedSecondsOfLastRecording(int kbps) const
{
    static const QRegularExpression encoded(QStringLiteral("audio:(\\d+)kB"));
    QList<double> seconds;
    for (const QString &segment : segmentTextsOfLastRecording()) {
        const QRegularExpressionMatch m = encoded.match(segment);
        // A capture ended before it encoded anything prints no summary.
        seconds << (m.hasMatch() ? m.captured(1).toDouble() * 1024 * 8 / (kbps * 1000.0) : 0.0);
    }
    return seconds;
}

bool RunningProgram::waitForCapturedSeconds(double seconds, int waitMs) const
{
    return QTest::qWaitFor(
        [&] {
            const QList<double> segments = segmentSecondsOfLastRecording();
            return !segments.isEmpty() && segments.last() >= seconds;
        },
        waitMs);
}

QString RunningProgram::catalogueText() const
{
    return QString::fromUtf8(readAll(m_applicationDir + QStringLiteral("/Brevane.json")));
}

QString RunningProgram::screenshot(const QString &name) const
{
    const QString path = TestSupport::shotsDir(QStringLiteral("recovery")) + QLatin1Char('/') + name;
    return QProcess::execute(QStringLiteral("import"), {"-window", "root", path}) == 0 ? path : QString();
}

QString RunningProgram::xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
