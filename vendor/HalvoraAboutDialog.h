#pragma once

#include <QDialog>
#include <QPixmap>

namespace Ui {
class HalvoraAboutDialog;
}

// The about box: image, application title and version, and an OK button.
class HalvoraAboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HalvoraAboutDialog(QWidget *parent = nullptr);
    ~HalvoraAboutDialog() override;

    void setAppTitle(const QString &title);
    void setVersion(const QString &version);
    // Shown at most 64×64; a null image hides the image row.
    void setImage(const QPixmap &image);

private:
    Ui::HalvoraAboutDialog *ui;
};
