// Recording settings and the save folder.
#include "Brevane.h"

#include "EngineLog.h"
#include "Platform.h"
#include "ui_Brevane.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QStandardPaths>

QString Brevane::defaultSaveFolder()
{
    // The first Documents location is the user's own; further entries are
    // not Documents folders of this user.
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    QString path = locations.isEmpty() ? QString() : locations.first();
    path += QStringLiteral("/ZeltoAudioRecord/");

    QDir dir;
    QString message;
    if (dir.exists(path))
        message = QStringLiteral("dir is exist");
    else if (dir.mkdir(path))
        message = QStringLiteral("create dir success");
    else
        message = QStringLiteral("error:create dir fail");
    writeLog(message);
    return path;
}

void Brevane::ensureSaveFolder()
{
    QDir dir;
    if (dir.exists(saveFolder))
        return;
    writeLog(dir.mkpath(saveFolder) ? QStringLiteral("create dir success")
                                    : QStringLiteral("error:create dir fail"));
}

void Brevane::slot_changeSaveDir()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, tr("选择文件夹"), saveFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    setSaveFolder(chosen);
    ui->labelPath->repaint();
    ui->btnChangeDir->repaint();
    ui->btnOpenDir->repaint();
}

void Brevane::setSaveFolder(const QString &folder)
{
    saveFolder = Platform::toNativeSeparators(folder) + Platform::nativeSeparator();
    showSaveFolder();
}

void Brevane::showSaveFolder()
{
    // The label keeps its fixed size: a long path is cut in the middle,
    // keeping its beginning and the folder's own name, and the whole path is
    // its tool tip.
    QLabel *label = ui->labelPath;
    label->ensurePolished();
    const int room = qMax(label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0), 0);
    const QFontMetrics metrics = label->fontMetrics();
    QString text = saveFolder;
    if (metrics.horizontalAdvance(text) > room) {
        // The last folder with the separators around it.
        const int cut =
            saveFolder.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\][^/\\\\]+[/\\\\]*$")));
        const QString tail = cut > 0 ? saveFolder.mid(cut) : QString();
        int headRoom = room - metrics.horizontalAdvance(tail);
        const int least = metrics.horizontalAdvance(QStringLiteral("/\u2026"));
        text.clear();
        // Measured apart, the two pieces can come out a pixel narrower than
        // together; shorten the beginning until the whole fits.
        while (!tail.isEmpty() && headRoom > least) {
            text = metrics.elidedText(saveFolder.left(cut), Qt::ElideRight, headRoom) + tail;
            if (metrics.horizontalAdvance(text) <= room)
                break;
            text.clear();
            headRoom -= 2;
        }
        if (text.isEmpty())
            text = metrics.elidedText(saveFolder, Qt::ElideMiddle, room);
    }
    label->setText(text);
    label->setToolTip(Platform::toNativeSeparators(saveFolder));
}

QString Brevane::currentSaveFolder() const
{
    return saveFolder;
}

void Brevane::slot_openSaveDir()
{
    // The folder is kept in the platform's own notation; the same string goes
    // on being the prefix of every recording's path.
    saveFolder = Platform::toNativeSeparators(saveFolder);
    showSaveFolder();
    Platform::openFolder(saveFolder);
}
