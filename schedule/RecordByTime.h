#pragma once

#include <QDateTime>
#include <QDialog>

class QComboBox;
class QDateTimeEdit;

// The dialog in which scheduled recording tasks are entered.
class RecordByTime : public QDialog
{
    Q_OBJECT

public:
    explicit RecordByTime(QWidget *parent = nullptr);

signals:
    void signal_sendTime(QDateTime startDateTime, QDateTime endDateTime, int RecordDevice);

private:
    QDateTimeEdit *startEdit;
    QDateTimeEdit *endEdit;
    QComboBox *deviceBox;
};
