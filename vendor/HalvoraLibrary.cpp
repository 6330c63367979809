#include "HalvoraLibrary.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {
// Any object inside this library: its address tells which file it was loaded from.
const char libraryAnchor = 0;
} // namespace

HalvoraLibrary &HalvoraLibrary::instance()
{
    static HalvoraLibrary library;
    return library;
}

void HalvoraLibrary::init()
{
    if (m_ready) {
        qDebug() << "halvora: already initialised";
        return;
    }
    m_ready = true;
}

void HalvoraLibrary::release()
{
    if (!m_ready) {
        qDebug() << "halvora: release without init ignored";
        return;
    }
    if (isHttpRunning()) {
        qDebug() << "halvora: HTTP client still running at release, closing it";
        stopHttp();
    }
    m_appTitle.clear();
    m_aboutImage.clear();
    m_ready = false;
}

void HalvoraLibrary::startHttp(int workers)
{
    if (!m_ready) {
        qDebug() << "halvora: HTTP client not started, library not initialised";
        return;
    }
    if (isHttpRunning()) {
        qDebug() << "halvora: HTTP client already running";
        return;
    }
    m_httpWorkers = qMax(1, workers);
    qDebug() << "halvora: HTTP client running with" << m_httpWorkers << "workers";
}

void HalvoraLibrary::stopHttp()
{
    if (!isHttpRunning())
        return;
    m_httpWorkers = 0;
    qDebug() << "halvora: HTTP client closed";
}

QString HalvoraLibrary::libraryDir()
{
    QString file;
#ifdef Q_OS_WIN
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&libraryAnchor), &module)) {
        wchar_t buffer[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameW(module, buffer, DWORD(sizeof buffer / sizeof buffer[0]));
        if (length > 0 && length < sizeof buffer / sizeof buffer[0])
            file = QString::fromWCharArray(buffer, int(length));
    }
#else
    Dl_info info{};
    if (dladdr(&libraryAnchor, &info) != 0 && info.dli_fname && info.dli_fname[0] != '\0')
        file = QFile::decodeName(info.dli_fname);
#endif
    if (file.isEmpty()) {
        qDebug() << "halvora: cannot locate the library file, using the application folder";
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(file).absolutePath();
}

QString HalvoraLibrary::pageDir()
{
    return QDir(libraryDir()).filePath(QStringLiteral("halvora"));
}
