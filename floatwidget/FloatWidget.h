#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Small always-on-top window mirroring the recorder: elapsed time, a
// start/pause button, a stop button and a context menu of commands.
class FloatWidget : public QDialog
{
    Q_OBJECT

public:
    explicit FloatWidget(QWidget *parent = nullptr);

    void setPlay(int recordStat);
    void setStop();
    void setTimeText(QString text);

signals:
    void signal_clickedStart();
    void signal_clickedEnd();
    void signal_showMainWindow();
    void signal_openDir();
    void signal_hideFloat();
    void signal_recordByTime();
    void signal_customer();
    void signal_pause();

private:
    void showContextMenu();

    QLabel *labelTime;
    QPushButton *btnStart;
    QPushButton *btnEnd;
};
