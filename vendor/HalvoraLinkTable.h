#pragma once

#include <QHash>
#include <QString>
#include <QUrl>

// Turns a link key into the page to open. Built-in keys point at the help
// pages in the page folder; the file links.json in that folder, an object of
// key → page, overrides or adds keys. A page is either a URL with a scheme
// ("file:///…", "mailto:…") or a file path, relative to the page folder or
// absolute. An empty page disables the key.
class HalvoraLinkTable
{
public:
    explicit HalvoraLinkTable(const QString &pageDir);

    // The page for the key with `extra`, if not empty, as its query; an
    // invalid URL for a key without a page.
    QUrl urlFor(const QString &key, const QString &extra) const;

    static QString configFileName() { return QStringLiteral("links.json"); }

private:
    void loadConfig();

    QString m_pageDir;
    QHash<QString, QString> m_pages;
};
