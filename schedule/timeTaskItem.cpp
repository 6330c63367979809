#include "timeTaskItem.h"

#include "UiScale.h"
#include "ui_timeTaskItem.h"

#include <QFontMetrics>

timeTaskItem::timeTaskItem(QString name, QString startText, QString endText, int rowIndex, QWidget *parent)
    : QWidget(parent), ui(new Ui::timeTaskItem), index(rowIndex)
{
    ui->setupUi(this);
    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/timeTaskItem.css")));
    ui->pushButton->setCursor(Qt::PointingHandCursor);
    ui->labelTaskName->setCursor(Qt::PointingHandCursor);

    // The label's font comes from the sheet; measure with that font, not the
    // default one the label has before it is polished.
    ui->labelTaskName->ensurePolished();
    const QFontMetrics metrics(ui->labelTaskName->font());
    if (metrics.horizontalAdvance(name) <= NameWidth) {
        ui->labelTaskName->setText(name);
    } else {
        ui->labelTaskName->setText(metrics.elidedText(name, Qt::ElideRight, NameWidth));
        ui->labelTaskName->setToolTip(name);
    }
    ui->labelStartTime->setText(startText);
    ui->labelEndTime->setText(endText);

    connect(ui->pushButton, &QPushButton::clicked, this, [this] { emit signal_deleteFile(this->index); });
}

timeTaskItem::~timeTaskItem()
{
    delete ui;
}
