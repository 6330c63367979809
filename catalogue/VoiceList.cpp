#include "VoiceList.h"

#include "Platform.h"

#include <QFile>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

VoiceList::VoiceList(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(tr("录音列表"));
    setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));
    setWindowFlag(Qt::FramelessWindowHint);
    setStyleSheet(QStringLiteral("VoiceList{background:white;}"));
    resize(608, 383);

    auto *layout = new QVBoxLayout(this);
    auto *title = new QHBoxLayout;
    auto *label = new QLabel(tr("录音列表"), this);
    label->setObjectName(QStringLiteral("label"));
    auto *btnClose = new QPushButton(QStringLiteral("×"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(30, 30);
    title->addWidget(label);
    title->addStretch();
    title->addWidget(btnClose);
    layout->addLayout(title);
    FileListWidget = new QListWidget(this);
    FileListWidget->setObjectName(QStringLiteral("FileListWidget"));
    layout->addWidget(FileListWidget);

    auto *escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escShortcut, &QShortcut::activated, this, &QWidget::hide);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    refresh();
}

void VoiceList::refresh()
{
    FileListWidget->clear();
    QFile file(Platform::applicationDir() + QStringLiteral("/Brevane.json"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    file.close();
    const QJsonArray entries = document.array();
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        const QString text = entry.value(QStringLiteral("fileName")).toString() + QStringLiteral("    ") +
                             entry.value(QStringLiteral("audioLength")).toString() + QStringLiteral("    ") +
                             entry.value(QStringLiteral("size")).toString() + QStringLiteral("    ") +
                             entry.value(QStringLiteral("date")).toString();
        FileListWidget->insertItem(0, text);
    }
}
