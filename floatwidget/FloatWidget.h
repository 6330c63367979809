#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPoint>

class QAction;
class QRect;

namespace Ui {
class FloatWidget;
}

// Small always-on-top window that mirrors the recorder: the elapsed time, a
// start/pause button, a stop button and a right-click menu of five commands.
// It keeps no recorder state: its buttons and menu only emit signals, and the
// owner tells it what to show through setPlay, setStop and setTimeText.
class FloatWidget : public QDialog
{
    Q_OBJECT

public:
    explicit FloatWidget(QWidget *parent = nullptr);
    ~FloatWidget() override;

    // Shows the button image for the recorder state just entered:
    // 1 (recording) the pause image, 0 (idle) and 2 (paused) the play image.
    // Any other value changes nothing.
    void setPlay(int recordStat);
    // Back to "00:00:00" and the play image; emits nothing.
    void setStop();
    void setTimeText(QString text);

    // Chooses the place of the first showing: near the top-right corner of
    // the available area of the screen that shows mainWindowFrame, clear of
    // that frame. Does nothing once the window has been shown, so that it
    // keeps the place the user gave it.
    void placeNear(const QRect &mainWindowFrame);

signals:
    void signal_clickedStart();
    void signal_clickedEnd();
    void signal_showMainWindow();
    void signal_openDir();
    void signal_hideFloat();
    void signal_recordByTime();
    void signal_customer();
    void signal_pause();

public slots:
    void slot_Play();
    void slot_stop();
    void slot_showContextMenu();
    void slot_MenuEvent(QAction *action);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitLayoutToShape();
    void keepOnScreen();

    Ui::FloatWidget *ui;
    QPixmap background;
    QPoint dragOffset;
    bool shownBefore = false;
};
