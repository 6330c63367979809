#include "audioItem.h"

#include "ui_audioItem.h"

#include "LabelElider.h"
#include "UiScale.h"

#include <QLabel>
#include <QPushButton>

audioItem::audioItem(QString fileName, QString audioLength, QString size, QString date, QWidget *parent)
    : QDialog(parent), ui(new Ui::audioItem), m_fileName(fileName)
{
    ui->setupUi(this);
    // Every row carries the same sheet: it is read and scaled once.
    static QString sheet;
    static float sheetScale = 0;
    if (sheet.isEmpty() || sheetScale != uiScale) {
        sheet = loadScaledStyleSheet(QStringLiteral(":/audioItem.css"));
        sheetScale = uiScale;
    }
    setStyleSheet(sheet);

    // At a larger scale the texts can outgrow their columns: each column
    // keeps its share of the row and ends its own text with "…" (the whole
    // text is the tool tip), instead of pushing the next column aside.
    LabelElider::apply(ui->labelFileName, fileName);
    LabelElider::apply(ui->labelFileSize, size);
    LabelElider::apply(ui->labelFileTime, date);
    LabelElider::apply(ui->labelAudioLength, audioLength);

    connect(ui->btnOpenDir, &QPushButton::clicked, this, [this] { emit signal_openDir(); });
    connect(ui->btnDelete, &QPushButton::clicked, this, [this] { emit signal_deleteFile(m_fileName); });
    connect(ui->btnPlay, &QPushButton::clicked, this, [this] { emit signal_play(m_fileName); });
}

audioItem::~audioItem()
{
    delete ui;
}

QSize audioItem::formSize()
{
    static const QSize size = [] {
        QDialog form;
        Ui::audioItem layout;
        layout.setupUi(&form);
        return form.size();
    }();
    return size;
}
