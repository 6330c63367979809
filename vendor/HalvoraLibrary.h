#pragma once

#include <QString>

// Process-wide state of the library between halvoraInit() and halvoraRelease().
// Every call is allowed in every state: calls that need an initialised library
// are ignored with a debug message instead.
class HalvoraLibrary
{
public:
    static HalvoraLibrary &instance();

    void init();
    // Closes the HTTP client if it still runs and forgets title and image.
    void release();
    bool isReady() const { return m_ready; }

    void startHttp(int workers);
    void stopHttp();
    bool isHttpRunning() const { return m_httpWorkers > 0; }

    void setAppTitle(const QString &title) { m_appTitle = title; }
    QString appTitle() const { return m_appTitle; }
    void setAboutImage(const QString &path) { m_aboutImage = path; }
    QString aboutImage() const { return m_aboutImage; }

    // Folder of the loaded library file itself, so that the program folder can
    // be copied anywhere; the application's folder if that cannot be found.
    static QString libraryDir();
    // Folder of the help pages and of links.json: "halvora" beside the library.
    static QString pageDir();

private:
    HalvoraLibrary() = default;

    bool m_ready = false;
    int m_httpWorkers = 0;
    QString m_appTitle;
    QString m_aboutImage;
};
