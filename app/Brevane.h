#pragma once

#include "Halvora.h"
#include "RecordState.h"

#include <QDateTime>
#include <QJsonArray>
#include <QList>
#include <QPoint>
#include <QShortcut>
#include <QString>
#include <QWidget>

#include <functional>

namespace Ui {
class BrevaneClass;
}

class FloatWidget;
class QCustomShadowEffect;
class QMenu;
class QTimer;
class QToolTipWidget;
class RecordAudioCore;
class RecordByTime;
class VoiceList;

// The main window: recording controls, settings, save folder, scheduler and
// the companion windows (recordings list, floating control, task dialog).
class Brevane : public QWidget
{
    Q_OBJECT

public:
    explicit Brevane(QWidget *parent = nullptr);
    ~Brevane() override;

    // Every read of the current time goes through this clock, so that the
    // elapsed-time count, file names and the scheduler can be driven in tests.
    std::function<QDateTime()> clock;

    // Recording controller
    void pauseRecordSound();
    void resumeRecordSound();
    void finishRecording();
    // One step of the elapsed-time count; the object timer runs it every second.
    void tick();

    // Recording settings and save folder
    QString defaultSaveFolder();
    int selectedBitRate() const;

    // Catalogue of finished recordings
    void loadCatalogue();
    void appendToCatalogue(const QString &filePath);

    void writeErrorFile(QString message);

    Ui::BrevaneClass *ui;

    RecordAudioCore *engine = nullptr;
    VoiceList *voiceList = nullptr;
    FloatWidget *floatWidget = nullptr;
    RecordByTime *recordByTime = nullptr;
    QCustomShadowEffect *shadow = nullptr;
    QTimer *taskTimer = nullptr;
    QMenu *helpMenu = nullptr;
    QToolTipWidget *closePrompt = nullptr;
    QToolTipWidget *failurePrompt = nullptr;
    HalvoraHelper halvora;

    QShortcut shortcutF9;
    QShortcut *shortcutF7 = nullptr;
    QShortcut *shortcutF8 = nullptr;

    RecordState recordState = Idle;
    qint64 elapsedSeconds = 0;
    qint64 lastTickTime = 0;
    int elapsedTimerId = 0;
    QString fileStem;
    QByteArray outputPath;
    QString audioLengthText;
    QString saveFolder;
    QJsonArray catalogue;

    // Scheduled tasks, parallel sequences: position i describes one task.
    QList<QDateTime> startTimeList;
    QList<QDateTime> endTimeList;
    QList<int> deviceList;
    bool isTimeRecording = false;

public slots:
    void slot_startRecordSound();
    void slot_EndRecordSound();
    void slot_close();
    void slot_changeSaveDir();
    void slot_openSaveDir();
    void slot_contactCustomer();
    void slot_recordByTime(QDateTime startDateTime, QDateTime endDateTime, int recordDevice);
    void slot_timeOut();
    void slot_recordbyTimeDialog();
    void slot_deleteFile(QString fileName);
    void slot_play(QString fileName);
    void slot_captureFailed(const QString &reason);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void finishWindow();
    void createEngineAndInputs();
    void connectSignals();
    void buildHelpMenu();
    void toggleVoiceList();
    void closeAnyway();
    void showIdleDisplay();
    // Shows a message dialog over the middle of the main window.
    void showPrompt(QToolTipWidget *prompt);
    bool hasRecordedSegments() const;

    bool dragging = false;
    QPoint lastDragPos;
};
