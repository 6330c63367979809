#pragma once

// Vendor services: about box, update check, recommendation strip, web links
// by key and an HTTP client. A separate shared library; the program only
// calls it and relies on no result.

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariant>

class QWidget;

#if defined(HALVORA_LIBRARY)
#define HALVORA_EXPORT Q_DECL_EXPORT
#else
#define HALVORA_EXPORT Q_DECL_IMPORT
#endif

// A JSON value as the library hands it around; registered as "QValue".
struct HALVORA_EXPORT HalvoraJsonValue
{
    QVariant value;
};
Q_DECLARE_METATYPE(HalvoraJsonValue)

HALVORA_EXPORT void halvoraInit();
HALVORA_EXPORT void halvoraStartHttp(int workers);
HALVORA_EXPORT void halvoraSetAppTitle(const QString &title);
HALVORA_EXPORT void halvoraStopHttp();
HALVORA_EXPORT void halvoraRelease();
HALVORA_EXPORT void halvoraSetAboutImage(const QString &path);
// Opens the page configured for the key ("tutorial", "home", "chatwithus").
HALVORA_EXPORT void halvoraOpenLink(const QString &key, const QString &extra);

class HALVORA_EXPORT HalvoraHelper : public QObject
{
    Q_OBJECT

public:
    explicit HalvoraHelper(QWidget *parent, QObject *other = nullptr);
    ~HalvoraHelper() override;

    void showRecommendations(QWidget *host);
    void showAboutBox();
    void checkForUpdates(bool interactive);

private:
    QWidget *m_parentWidget;
};
