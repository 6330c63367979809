#include "RecordByTime.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>

RecordByTime::RecordByTime(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dialog1"));
    setWindowTitle(tr("定时录制"));
    setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(QStringLiteral("QDialog#Dialog1{background:white;}"));

    auto *layout = new QFormLayout(this);
    const QDateTime now = QDateTime::currentDateTime();
    startEdit = new QDateTimeEdit(now, this);
    endEdit = new QDateTimeEdit(now.addSecs(3600), this);
    deviceBox = new QComboBox(this);
    deviceBox->addItems({tr("系统声音"), tr("麦克风"), tr("系统声音和麦克风")});
    deviceBox->setCurrentIndex(2);
    auto *btnCreateTask = new QPushButton(tr("创建"), this);
    btnCreateTask->setObjectName(QStringLiteral("btnCreateTask"));
    layout->addRow(tr("开始时间："), startEdit);
    layout->addRow(tr("停止时间："), endEdit);
    layout->addRow(tr("录制声源："), deviceBox);
    layout->addRow(btnCreateTask);
    resize(608, 538);

    connect(btnCreateTask, &QPushButton::clicked, this, [this] {
        emit signal_sendTime(startEdit->dateTime(), endEdit->dateTime(), deviceBox->currentIndex());
    });
    auto *escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escShortcut, &QShortcut::activated, this, &QWidget::hide);
}
