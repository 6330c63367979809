#pragma once

#include "Halvora.h"
#include "RecordState.h"

#include <QDateTime>
#include <QPoint>
#include <QSet>
#include <QShortcut>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class BrevaneClass;
}

class FloatWidget;
class QCloseEvent;
class QCustomShadowEffect;
class QMenu;
class QTimer;
class QToolTipWidget;
class RecordAudioCore;
class RecordByTime;
class RecordingCatalogue;
class TaskScheduler;
class VoiceList;

// The main window: recording controls, settings, save folder and the
// companion windows (recordings list, floating control, task dialog). It owns
// the engine, the catalogue and the scheduler and wires them together; the
// time comes from the process's one clock (Clock).
class Brevane : public QWidget
{
    Q_OBJECT

public:
    explicit Brevane(QWidget *parent = nullptr);
    ~Brevane() override;

    // What a test or the companion windows may read.
    RecordState currentRecordState() const;
    QString currentSaveFolder() const;

    // The folder recordings are saved into, as a folder change sets it: the
    // path in native separators with one separator appended.
    void setSaveFolder(const QString &folder);

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
    // The program was started again: this window comes to the front and
    // says that the recorder is already running.
    void slot_anotherInstanceStarted();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Construction stages.
    void finishWindow();
    void createEngineAndInputs();
    void connectSignals();
    void buildHelpMenu();

    // Recording controller.
    void pauseRecordSound();
    void resumeRecordSound();
    // Stops the recording and finishes it; showList shows the list window
    // with the new entry (not at shutdown).
    void endRecording(bool showList);
    void finishRecording();
    void showIdleDisplay();
    // Every change of state goes through here, so the scheduler knows it.
    void setRecordState(RecordState state);
    // One step of the elapsed-time count; the object timer runs it every second.
    void tick();
    int selectedBitRate() const;

    // Settings and save folder.
    QString defaultSaveFolder();
    // The save folder may have been removed since it was created; recording
    // into it would fail.
    void ensureSaveFolder();
    // labelPath: the folder, cut in the middle when long, whole as tool tip.
    void showSaveFolder();

    // Catalogue and file actions.
    void loadCatalogue();
    void appendToCatalogue(const QString &filePath);

    // Shutdown: every way of closing the window ends here.
    void closeAnyway();
    void shutDown();
    void prepareShutdown();

    void toggleVoiceList();
    // Shows the list window or the task dialog; the first time centred over
    // the main window.
    void showCompanion(QWidget *window);
    // Shows a message dialog over the middle of the main window.
    void showPrompt(QToolTipWidget *prompt);
    void showNotice(const QString &title, const QString &text);

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
    std::unique_ptr<RecordingCatalogue> catalogue;

    // The scheduled tasks; a task entered outside the dialog gets an
    // identity below every row index.
    TaskScheduler *scheduler = nullptr;
    int nextOwnTaskIndex = -1;

    QSet<QWidget *> placedCompanions;
    bool shuttingDown = false;
    bool dragging = false;
    QPoint lastDragPos;
};
