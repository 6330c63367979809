#include "RecordByTime.h"

#include "Clock.h"
#include "EngineLog.h"
#include "QCustomShadowEffect.h"
#include "QToolTipWidget.h"
#include "UiScale.h"
#include "timeTaskItem.h"
#include "ui_RecordByTime.h"

#include <QDebug>
#include <QIcon>
#include <QMouseEvent>
#include <QShortcut>

namespace {

// The whole minute a date-time lies in: seconds and milliseconds 0.
QDateTime wholeMinute(const QDateTime &value)
{
    const QTime time = value.time();
    return QDateTime(value.date(), QTime(time.hour(), time.minute()));
}

} // namespace

RecordByTime::RecordByTime(QWidget *parent) : QDialog(parent), ui(new Ui::RecordByTime)
{
    ui->setupUi(this);
    setWindowTitle(tr("定时录制"));
    setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));
    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/RecordByTime.css")));
    ui->lineEditTaskName->setMaxLength(40);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    for (QWidget *widget :
         {static_cast<QWidget *>(ui->btnClose), static_cast<QWidget *>(ui->btnCreateTask),
          static_cast<QWidget *>(ui->dateEditStartDay), static_cast<QWidget *>(ui->dateEditEndDay),
          static_cast<QWidget *>(ui->timeEditStartTime), static_cast<QWidget *>(ui->timeEditEndTime)})
        widget->setCursor(Qt::PointingHandCursor);

    const QDateTime now = Clock::now();
    for (QDateEdit *day : {ui->dateEditStartDay, ui->dateEditEndDay}) {
        day->setCalendarPopup(true);
        day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        day->setDate(now.date());
    }
    for (QTimeEdit *time : {ui->timeEditStartTime, ui->timeEditEndTime}) {
        time->setDisplayFormat(QStringLiteral("hh:mm:ss"));
        time->setTime(now.time());
    }
    ui->lineEditTaskName->setText(QStringLiteral("task1"));

    connect(ui->btnCreateTask, &QPushButton::clicked, this, &RecordByTime::slots_sendTime);
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    escShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escShortcut, &QShortcut::activated, this, &QWidget::hide);

    setAttribute(Qt::WA_TranslucentBackground);
    auto *shadow = new QCustomShadowEffect;
    shadow->setBlurRadius(8);
    shadow->setDistance(1);
    shadow->setColor(QColor(209, 209, 209, 255));
    setGraphicsEffect(shadow);
    update();
}

RecordByTime::~RecordByTime()
{
    delete ui;
}

void RecordByTime::slots_sendTime()
{
    lastStart = QDateTime(ui->dateEditStartDay->date(), ui->timeEditStartTime->time());
    startTimes.append(lastStart);
    lastEnd = QDateTime(ui->dateEditEndDay->date(), ui->timeEditEndTime->time());
    endTimes.append(lastEnd);

    const QDateTime sendStart = wholeMinute(lastStart);
    const QDateTime sendEnd = wholeMinute(lastEnd);
    int recordDevice = 2;
    if (ui->radioButton1->isChecked())
        recordDevice = 0;
    else if (ui->radioButton2->isChecked())
        recordDevice = 1;

    if (!(lastStart < lastEnd)) {
        qDebug() << "time err: start time can not bigger end time";
        refuse(tr("开始时间必须早于停止时间"));
        return;
    }
    // The scheduler ends a task as soon as its end minute has come, so a task
    // whose end minute is not ahead would never record: refuse it here, before
    // it gets a row.
    if (!(Clock::now() < sendEnd)) {
        writeErrorText(QStringLiteral("can not record audio: end time must bigger current time"));
        refuse(tr("停止时间已过，请重新设置停止时间"));
        return;
    }

    addTaskRow();
    const int index = taskCount - 1;
    emit signal_sendTime(sendStart, sendEnd, recordDevice);
    emit signal_sendTask(index, sendStart, sendEnd, recordDevice);
}

void RecordByTime::refuse(const QString &reason)
{
    if (!refusalPrompt) {
        refusalPrompt = new QToolTipWidget(this);
        refusalPrompt->setTipText1(tr("无法创建任务"));
        refusalPrompt->setBtnOpera1(QString(), false);
        refusalPrompt->setBtnOpera2(tr("确定"), true);
    }
    refusalPrompt->setTipText2(reason, Qt::AlignHCenter | Qt::AlignTop);
    QRect area = refusalPrompt->frameGeometry();
    area.moveCenter(frameGeometry().center());
    refusalPrompt->move(area.topLeft());
    refusalPrompt->show();
    refusalPrompt->raise();
}

void RecordByTime::addTaskRow()
{
    const QString format = QStringLiteral("yyyy-M-d hh:mm");
    lastRow = new timeTaskItem(ui->lineEditTaskName->text(), lastStart.toString(format),
                               lastEnd.toString(format), taskCount, this);
    connect(lastRow, &timeTaskItem::signal_deleteFile, this, &RecordByTime::slot_RemoveItem);

    auto *item = new QListWidgetItem;
    taskItems.append(item);
    ++taskCount;
    item->setSizeHint(lastRow->size());
    ui->listWidgetTask->addItem(item);
    ui->listWidgetTask->setItemWidget(item, lastRow);
}

void RecordByTime::slot_RemoveItem(int index)
{
    if (index < 0 || index >= taskItems.size() || !taskItems.at(index))
        return;
    QListWidgetItem *item = taskItems.at(index);
    taskItems[index] = nullptr;
    // The row widget goes later, through the list: it may be the sender.
    ui->listWidgetTask->removeItemWidget(item);
    delete ui->listWidgetTask->takeItem(ui->listWidgetTask->row(item));
    emit signal_taskRemoved(index);
}

void RecordByTime::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragging = true;
        dragAnchor = event->globalPos();
    }
}

void RecordByTime::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging)
        return;
    move(pos() + (event->globalPos() - dragAnchor));
    dragAnchor = event->globalPos();
}

void RecordByTime::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
}
