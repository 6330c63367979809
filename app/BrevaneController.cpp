// The recording controller: start, pause, resume and stop, the elapsed-time
// count and the display of the recorder's state.
#include "Brevane.h"

#include "Clock.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "RecordingCatalogue.h"
#include "TaskScheduler.h"
#include "VoiceList.h"
#include "ui_Brevane.h"

#include <QTimerEvent>

namespace {
const char kIdleTimeStyle[] =
    "color:white;font-size: 49px;background: url(:/images/voice.png) center no-repeat;";

QString elapsedText(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).time().toString(QStringLiteral("hh:mm:ss"));
}
} // namespace

int Brevane::selectedBitRate() const
{
    switch (ui->comboBoxQuality->currentIndex()) {
    case 0:
        return 128;
    case 1:
        return 256;
    default:
        return 320;
    }
}

void Brevane::slot_startRecordSound()
{
    engine->segmentDir = saveFolder;
    engine->bitRate = selectedBitRate();

    ui->labelTime->setStyleSheet(QStringLiteral("background:none"));
    ui->btnStart->setStyleSheet(QStringLiteral("border-image:url(:/images/pause.png)"));

    if (recordState == Recording) {
        pauseRecordSound();
        return;
    }
    if (recordState == Paused) {
        resumeRecordSound();
        return;
    }

    ensureSaveFolder();
    ui->labelTime->setText(QStringLiteral("00:00:00"));
    fileStem = Clock::now().toString(QStringLiteral("hh_mm_ss"));
    outputPath = (saveFolder + fileStem + QStringLiteral(".mp3")).toUtf8();
    engine->audioSource = ui->comboboxVoiceFrom->currentIndex();
    engine->startRecord();

    lastTickTime = Clock::now().toSecsSinceEpoch();
    elapsedSeconds = 0;
    elapsedTimerId = startTimer(1000);
    setRecordState(Recording);
    ui->btnStart->setText(tr("暂停录音(F8)"));
    floatWidget->setPlay(Recording);
}

void Brevane::pauseRecordSound()
{
    ui->btnStart->setStyleSheet(QStringLiteral("border-image:url(:/images/wantPlay.png)"));
    engine->pauseRecord();
    ui->btnStart->setText(tr("继续录音(F7)"));
    setRecordState(Paused);
    floatWidget->setPlay(Paused);
}

void Brevane::resumeRecordSound()
{
    engine->resumeRecord();
    ui->btnStart->setText(tr("暂停录音(F8)"));
    setRecordState(Recording);
    floatWidget->setPlay(Recording);
}

void Brevane::showIdleDisplay()
{
    ui->btnStart->setStyleSheet(QStringLiteral("border-image:url(:/images/noPlay.png)"));
    ui->labelTime->setStyleSheet(QLatin1String(kIdleTimeStyle));
    ui->labelTime->setText(QString());
    ui->btnStart->setText(tr("开始录制(F7)"));
}

void Brevane::slot_EndRecordSound()
{
    if (recordState == Idle)
        return;
    endRecording(true);
    if (engine->lastOutcome() == SegmentJoiner::NothingRecorded)
        showNotice(tr("没有录到声音"), engine->lastFailureReason());
    else if (engine->lastOutcome() == SegmentJoiner::Failed)
        showNotice(tr("录音保存失败"), engine->lastFailureReason());
}

void Brevane::endRecording(bool showList)
{
    killTimer(elapsedTimerId);
    elapsedTimerId = 0;
    engine->stopRecord(QString::fromUtf8(outputPath));
    audioLengthText = ui->labelTime->text();
    showIdleDisplay();
    finishRecording();
    if (showList && engine->lastOutcome() == SegmentJoiner::Written)
        showCompanion(voiceList);
    ui->btnStart->repaint();
    ui->labelTime->repaint();
    floatWidget->setTimeText(QStringLiteral("00:00:00"));
}

void Brevane::finishRecording()
{
    // Only a file that is really on disk is entered, under the name the
    // engine wrote (which carries a counter when the name was taken).
    if (engine->lastOutcome() == SegmentJoiner::Written) {
        appendToCatalogue(engine->writtenPath());
        voiceList->refresh();
    }
    ui->labelTime->show();
    setRecordState(Idle);
    floatWidget->setStop();
}

void Brevane::timerEvent(QTimerEvent *)
{
    tick();
}

void Brevane::tick()
{
    const qint64 now = Clock::now().toSecsSinceEpoch();
    if (recordState == Recording) {
        // A clock set back gives a negative step; it adds nothing rather than
        // taking recorded time away.
        const qint64 step = now - lastTickTime;
        if (step > 0)
            elapsedSeconds += step;
        lastTickTime = now;
        const QString text = elapsedText(elapsedSeconds);
        floatWidget->setTimeText(text);
        ui->labelTime->setText(text);
    } else {
        lastTickTime = now;
    }
}

void Brevane::slot_captureFailed(const QString &reason)
{
    if (recordState == Idle)
        return;

    if (engine->hasRecordedAudio()) {
        // Something was recorded before the capture failed: the recording is
        // finished from the segments that hold audio, so that it is kept.
        endRecording(true);
        QString text = reason;
        if (engine->lastOutcome() == SegmentJoiner::Written) {
            text += QLatin1Char('\n') +
                    tr("已录下的部分保存为 %1").arg(Platform::toNativeSeparators(engine->writtenPath()));
        } else {
            // The same cause (a full disk) often stops the join as well; it is
            // said once, with where the segments are.
            const QString joinReason = engine->lastFailureReason();
            QString cause = reason;
            cause.remove(QStringLiteral("。"));
            text = joinReason.startsWith(cause) ? joinReason : reason + QLatin1Char('\n') + joinReason;
        }
        showNotice(tr("录音已中断"), text);
        return;
    }

    // Nothing recorded: the stop leaves no file and no entry.
    endRecording(false);
    showNotice(tr("录音无法开始"), reason);
}

void Brevane::showNotice(const QString &title, const QString &text)
{
    if (!failurePrompt)
        failurePrompt = new QToolTipWidget(nullptr);
    failurePrompt->setTipText1(title);
    failurePrompt->setTipText2(text, Qt::AlignLeft);
    failurePrompt->setBtnOpera1(QString(), false);
    failurePrompt->setBtnOpera2(tr("确定"), true);
    showPrompt(failurePrompt);
}

void Brevane::setRecordState(RecordState state)
{
    recordState = state;
    scheduler->setRecordState(state);
}

RecordState Brevane::currentRecordState() const
{
    return recordState;
}
