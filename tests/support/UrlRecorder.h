#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

// Stands in for the desktop's opener of one URL scheme while it lives: the
// URLs the program asks the desktop to open are kept here instead.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(const QString &scheme = QStringLiteral("file")) : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(m_scheme); }
    UrlRecorder(const UrlRecorder &) = delete;
    UrlRecorder &operator=(const UrlRecorder &) = delete;

    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }

private:
    QString m_scheme;
};
