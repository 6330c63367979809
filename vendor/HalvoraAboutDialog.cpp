#include "HalvoraAboutDialog.h"

#include "ui_HalvoraAboutDialog.h"

namespace {
const int maxImageSide = 64;
}

HalvoraAboutDialog::HalvoraAboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::HalvoraAboutDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->labelImage->hide();
}

HalvoraAboutDialog::~HalvoraAboutDialog()
{
    delete ui;
}

void HalvoraAboutDialog::setAppTitle(const QString &title)
{
    ui->labelTitle->setText(title);
}

void HalvoraAboutDialog::setVersion(const QString &version)
{
    ui->labelVersion->setText(tr("版本：%1").arg(version));
}

void HalvoraAboutDialog::setImage(const QPixmap &image)
{
    if (image.isNull()) {
        ui->labelImage->clear();
        ui->labelImage->hide();
        return;
    }
    QPixmap shown = image;
    if (shown.width() > maxImageSide || shown.height() > maxImageSide)
        shown = shown.scaled(maxImageSide, maxImageSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui->labelImage->setPixmap(shown);
    ui->labelImage->show();
}
