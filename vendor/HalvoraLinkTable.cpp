#include "HalvoraLinkTable.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// One-letter schemes are Windows drive letters ("C:/pages/x.html"), not URLs.
bool isUrlWithScheme(const QString &page)
{
    const QUrl url(page, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1;
}
} // namespace

HalvoraLinkTable::HalvoraLinkTable(const QString &pageDir) : m_pageDir(pageDir)
{
    m_pages.insert(QStringLiteral("tutorial"), QStringLiteral("tutorial.html"));
    m_pages.insert(QStringLiteral("home"), QStringLiteral("home.html"));
    m_pages.insert(QStringLiteral("chatwithus"), QStringLiteral("chatwithus.html"));
    loadConfig();
}

void HalvoraLinkTable::loadConfig()
{
    QFile file(QDir(m_pageDir).filePath(configFileName()));
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "halvora: cannot read" << file.fileName() << file.errorString()
                 << "- using built-in links";
        return;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qDebug() << "halvora: ignoring" << file.fileName() << "(not a JSON object:" << error.errorString()
                 << ") - using built-in links";
        return;
    }
    const QJsonObject links = document.object();
    for (auto it = links.constBegin(); it != links.constEnd(); ++it) {
        if (!it.value().isString()) {
            qDebug() << "halvora: link" << it.key() << "in" << file.fileName() << "is not a string, ignored";
            continue;
        }
        m_pages.insert(it.key(), it.value().toString().trimmed());
    }
}

QUrl HalvoraLinkTable::urlFor(const QString &key, const QString &extra) const
{
    const QString page = m_pages.value(key);
    if (page.isEmpty())
        return QUrl();
    QUrl url = isUrlWithScheme(page)
                   ? QUrl(page, QUrl::StrictMode)
                   : QUrl::fromLocalFile(
                         QDir::cleanPath(QDir(m_pageDir).absoluteFilePath(QDir::fromNativeSeparators(page))));
    if (!extra.isEmpty())
        url.setQuery(extra);
    return url;
}
