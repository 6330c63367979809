#include "Brevane.h"

#include "AppInfo.h"
#include "Clock.h"
#include "FloatWidget.h"
#include "QCustomShadowEffect.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "RecordByTime.h"
#include "RecordingCatalogue.h"
#include "TaskScheduler.h"
#include "UiScale.h"
#include "VoiceList.h"
#include "ui_Brevane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

Brevane::Brevane(QWidget *parent)
    : QWidget(parent), ui(new Ui::BrevaneClass), halvora(this, nullptr), shortcutF9(this)
{
    ui->setupUi(this);
    finishWindow();
    createEngineAndInputs();
    connectSignals();
}

Brevane::~Brevane()
{
    // The companion windows have no parent; they go with the main window,
    // which only happens when the program ends.
    delete floatWidget;
    delete voiceList;
    delete recordByTime;
    delete closePrompt;
    delete failurePrompt;
    delete ui;
}

void Brevane::finishWindow()
{
    ui->labelTitle_1->setText(tr(kAppTitle));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    ui->labelVersion->setText(tr("当前版本：") + QString::fromLatin1(kAppVersion));

    voiceList = new VoiceList(nullptr);
    halvora.showRecommendations(ui->widgetRecommend);
    floatWidget = new FloatWidget(nullptr);
    floatWidget->hide();
    recordByTime = new RecordByTime(nullptr);

    shadow = new QCustomShadowEffect(this);
    shadow->setBlurRadius(8.0);
    shadow->setDistance(1.0);
    shadow->setColor(QColor(0, 0, 0, 80));
    setGraphicsEffect(shadow);
    update();

    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/main.css")));

    taskTimer = new QTimer(this);
    taskTimer->setObjectName(QStringLiteral("taskTimer"));
    buildHelpMenu();

    saveFolder = defaultSaveFolder();
    showSaveFolder();

    ui->radioButtonNo->setChecked(true);

    const QList<QWidget *> pointing = {
        ui->btnChangeDir,   ui->btnClose,          ui->btnCustomer,     ui->btnEnd,
        ui->btnMin,         ui->btnOpenDir,        ui->btnRecordByTime, ui->btnStart,
        ui->btnVoiceList,   ui->radioButtonNo,     ui->radioButtonYes,  ui->comboBoxQuality,
        ui->comboBoxSelect, ui->comboboxVoiceFrom, ui->btnHelp};
    for (QWidget *w : pointing)
        w->setCursor(Qt::PointingHandCursor);

    halvoraSetAboutImage(QStringLiteral(":/Images/icon.png"));
    ui->widgetRecommend->hide();
}

void Brevane::createEngineAndInputs()
{
    engine = new RecordAudioCore(this);
    engine->setObjectName(QStringLiteral("engine"));
    scheduler = new TaskScheduler(this);
    scheduler->setObjectName(QStringLiteral("scheduler"));
    taskTimer->start(1000);
    shortcutF7 = new QShortcut(this);
    shortcutF8 = new QShortcut(this);
    shortcutF9.setKey(QKeySequence(Qt::Key_F9));
    shortcutF7->setKey(QKeySequence(Qt::Key_F7));
    shortcutF8->setKey(QKeySequence(Qt::Key_F8));
    setRecordState(Idle);
    loadCatalogue();
}

void Brevane::connectSignals()
{
    connect(ui->btnStart, &QPushButton::clicked, this, &Brevane::slot_startRecordSound);
    connect(ui->btnEnd, &QPushButton::clicked, this, &Brevane::slot_EndRecordSound);
    connect(ui->btnMin, &QPushButton::clicked, this, [this] { window()->showMinimized(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &Brevane::slot_close);
    // Tasks from the dialog carry their row's index, so that removing the row
    // cancels the task.
    connect(recordByTime, &RecordByTime::signal_sendTask, scheduler, &TaskScheduler::addTask);
    connect(recordByTime, &RecordByTime::signal_taskRemoved, scheduler, &TaskScheduler::removeTask);
    connect(taskTimer, &QTimer::timeout, this, &Brevane::slot_timeOut);
    connect(scheduler, &TaskScheduler::startRequested, this, [this](int source) {
        ui->comboboxVoiceFrom->setCurrentIndex(source);
        slot_startRecordSound();
    });
    connect(scheduler, &TaskScheduler::stopRequested, this, &Brevane::slot_EndRecordSound);
    connect(ui->btnRecordByTime, &QPushButton::clicked, this, &Brevane::slot_recordbyTimeDialog);
    connect(floatWidget, &FloatWidget::signal_clickedStart, this, &Brevane::slot_startRecordSound);
    connect(floatWidget, &FloatWidget::signal_clickedEnd, this, &Brevane::slot_EndRecordSound);
    connect(floatWidget, &FloatWidget::signal_pause, this, &Brevane::pauseRecordSound);
    connect(ui->radioButtonYes, &QRadioButton::clicked, floatWidget, [this] {
        // The first showing goes beside the main window, never over it.
        floatWidget->placeNear(frameGeometry());
        floatWidget->show();
    });
    connect(ui->radioButtonNo, &QRadioButton::clicked, floatWidget, [this] { floatWidget->hide(); });
    connect(ui->btnChangeDir, &QPushButton::clicked, this, &Brevane::slot_changeSaveDir);
    connect(ui->btnOpenDir, &QPushButton::clicked, this, &Brevane::slot_openSaveDir);
    connect(floatWidget, &FloatWidget::signal_showMainWindow, this, [this] { window()->showNormal(); });
    connect(floatWidget, &FloatWidget::signal_openDir, this, &Brevane::slot_openSaveDir);
    connect(floatWidget, &FloatWidget::signal_hideFloat, this, [this] {
        floatWidget->hide();
        ui->radioButtonNo->setChecked(true);
    });
    connect(floatWidget, &FloatWidget::signal_customer, this, [] {});
    connect(floatWidget, &FloatWidget::signal_recordByTime, this, [this] {
        window()->showNormal();
        showCompanion(recordByTime);
    });
    connect(voiceList, &VoiceList::signal_openDir, this, &Brevane::slot_openSaveDir);
    connect(voiceList, &VoiceList::signal_deleteFile, this, &Brevane::slot_deleteFile);
    connect(voiceList, &VoiceList::signal_play, this, &Brevane::slot_play);
    connect(ui->btnVoiceList, &QPushButton::clicked, this, &Brevane::toggleVoiceList);
    connect(ui->btnCustomer, &QPushButton::clicked, this, &Brevane::slot_contactCustomer);
    connect(&shortcutF9, &QShortcut::activated, this, &Brevane::slot_EndRecordSound);
    connect(shortcutF8, &QShortcut::activated, this, &Brevane::slot_startRecordSound);
    connect(shortcutF7, &QShortcut::activated, this, &Brevane::slot_startRecordSound);

    // A capture that cannot run is reported here instead of being counted.
    connect(engine, &RecordAudioCore::captureFailed, this, &Brevane::slot_captureFailed);
    connect(ui->btnHelp, &QPushButton::clicked, this,
            [this] { helpMenu->popup(ui->btnHelp->mapToGlobal(QPoint(0, ui->btnHelp->height()))); });
}

void Brevane::toggleVoiceList()
{
    if (voiceList->isHidden()) {
        voiceList->refresh();
        showCompanion(voiceList);
    } else {
        voiceList->hide();
    }
    QTimer::singleShot(50, voiceList, [this] { voiceList->update(); });
}

void Brevane::showCompanion(QWidget *window)
{
    // The first showing is centred over the main window, on its screen; the
    // window keeps whatever place the user gives it afterwards.
    if (!placedCompanions.contains(window)) {
        placedCompanions.insert(window);
        QRect area = window->frameGeometry();
        area.moveCenter(frameGeometry().center());
        window->move(area.topLeft());
    }
    window->show();
    window->raise();
}

void Brevane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragging = true;
        lastDragPos = event->globalPos();
    }
}

void Brevane::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging) {
        move(pos() + (event->globalPos() - lastDragPos));
        lastDragPos = event->globalPos();
    }
}

void Brevane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
}

void Brevane::showPrompt(QToolTipWidget *prompt)
{
    // The prompts are windows of their own; without this they would open
    // wherever the window system puts new windows, often away from the
    // window the user is looking at.
    QRect area = prompt->frameGeometry();
    area.moveCenter(frameGeometry().center());
    prompt->move(area.topLeft());
    prompt->show();
}

void Brevane::slot_close()
{
    if (scheduler->hasFutureStart()) {
        closePrompt = new QToolTipWidget(nullptr);
        connect(closePrompt, &QToolTipWidget::signal_opera2, this, &Brevane::closeAnyway);
        closePrompt->setTipText1(tr("您是否要关闭软件？"));
        closePrompt->setTipText2(tr("定时录音任务正在运行，关闭软件将导致任务被清空"), Qt::AlignLeft);
        closePrompt->setBtnOpera1(tr("继续录制"), true);
        closePrompt->setBtnOpera2(tr("仍然关闭"), true);
        showPrompt(closePrompt);
        return;
    }
    shutDown();
}

void Brevane::closeAnyway()
{
    scheduler->clear();
    slot_close();
}

void Brevane::closeEvent(QCloseEvent *event)
{
    // A close by the window system (Alt+F4, the task bar) takes the same road
    // as the close button: the confirmation while a scheduled start lies
    // ahead, else the shutdown.
    if (!shuttingDown && scheduler->hasFutureStart()) {
        event->ignore();
        slot_close();
        return;
    }
    prepareShutdown();
    event->accept();
}

void Brevane::shutDown()
{
    prepareShutdown();
    close();
}

void Brevane::prepareShutdown()
{
    if (shuttingDown)
        return;
    shuttingDown = true;
    // A recording in progress is finished as at a stop, so that it is kept
    // under its final name and entered in the catalogue.
    if (recordState != Idle)
        endRecording(false);
    floatWidget->close();
    voiceList->close();
    recordByTime->close();
    // Prompts still open (a second close confirmation, a failure notice) are
    // top-level windows too: left open, they would keep the program running
    // with the main window gone.
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<QToolTipWidget *>(window) && window->isVisible())
            window->close();
    }
    engine->killProcess();
}

void Brevane::slot_anotherInstanceStarted()
{
    showNormal();
    raise();
    activateWindow();
    showNotice(tr("录音软件已经在运行"), tr("本软件同时只能运行一个，请在这个窗口中继续操作。"));
}
