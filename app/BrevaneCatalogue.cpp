// The in-memory copy of the recordings catalogue "Brevane.json".
#include "Brevane.h"

#include "Platform.h"

#include <QFile>
#include <QJsonDocument>

void Brevane::loadCatalogue()
{
    QFile file(Platform::applicationDir() + QStringLiteral("/Brevane.json"));
    QByteArray content;
    if (file.open(QIODevice::ReadOnly)) {
        content = file.readAll();
        file.close();
    }
    const QJsonDocument document = QJsonDocument::fromJson(content);
    if (document.isArray())
        catalogue = document.array();
}

void Brevane::appendToCatalogue(const QString &filePath)
{
    // Entering finished recordings in the catalogue file is not in place yet;
    // the recording itself is already complete in the save folder.
    Q_UNUSED(filePath)
}
