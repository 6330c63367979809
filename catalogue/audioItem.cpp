#include "audioItem.h"

#include "ui_audioItem.h"

#include "UiScale.h"

#include <QPushButton>

audioItem::audioItem(QString fileName, QString audioLength, QString size, QString date, QWidget *parent)
    : QDialog(parent), ui(new Ui::audioItem), m_fileName(fileName)
{
    ui->setupUi(this);
    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/audioItem.css")));

    ui->labelFileName->setText(fileName);
    ui->labelFileSize->setText(size);
    ui->labelFileTime->setText(date);
    ui->labelAudioLength->setText(audioLength);

    connect(ui->btnOpenDir, &QPushButton::clicked, this, [this] { emit signal_openDir(); });
    connect(ui->btnDelete, &QPushButton::clicked, this, [this] { emit signal_deleteFile(m_fileName); });
    connect(ui->btnPlay, &QPushButton::clicked, this, [this] { emit signal_play(m_fileName); });
}

audioItem::~audioItem()
{
    delete ui;
}
