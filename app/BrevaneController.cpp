// The recording controller: start, pause, resume and stop, the elapsed-time
// count and the display of the recorder's state.
#include "Brevane.h"

#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordAudioCore.h"
#include "VoiceList.h"
#include "ui_Brevane.h"

#include <QFileInfo>
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

    ui->labelTime->setText(QStringLiteral("00:00:00"));
    fileStem = clock().toString(QStringLiteral("hh_mm_ss"));
    outputPath = (saveFolder + fileStem + QStringLiteral(".mp3")).toUtf8();
    engine->audioSource = ui->comboboxVoiceFrom->currentIndex();
    engine->startRecord();

    lastTickTime = clock().toSecsSinceEpoch();
    elapsedSeconds = 0;
    elapsedTimerId = startTimer(1000);
    recordState = Recording;
    ui->btnStart->setText(tr("暂停录音(F8)"));
    floatWidget->setPlay(Recording);
}

void Brevane::pauseRecordSound()
{
    ui->btnStart->setStyleSheet(QStringLiteral("border-image:url(:/images/wantPlay.png)"));
    engine->pauseRecord();
    ui->btnStart->setText(tr("继续录音(F7)"));
    recordState = Paused;
    floatWidget->setPlay(Paused);
}

void Brevane::resumeRecordSound()
{
    engine->resumeRecord();
    ui->btnStart->setText(tr("暂停录音(F8)"));
    recordState = Recording;
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

    killTimer(elapsedTimerId);
    elapsedTimerId = 0;
    engine->stopRecord(QString::fromUtf8(outputPath));
    audioLengthText = ui->labelTime->text();
    showIdleDisplay();
    finishRecording();
    voiceList->show();
    ui->btnStart->repaint();
    ui->labelTime->repaint();
    floatWidget->setTimeText(QStringLiteral("00:00:00"));
}

void Brevane::finishRecording()
{
    // The engine names the file it really wrote; when it wrote none, the entry
    // still names the file the recording was meant to become.
    QString filePath = engine->writtenPath;
    if (filePath.isEmpty())
        filePath = saveFolder + Platform::nativeSeparator() + fileStem + QStringLiteral(".mp3");
    appendToCatalogue(filePath);
    voiceList->refresh();
    ui->labelTime->show();
    recordState = Idle;
    floatWidget->setStop();
}

void Brevane::timerEvent(QTimerEvent *)
{
    tick();
}

void Brevane::tick()
{
    const qint64 now = clock().toSecsSinceEpoch();
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

bool Brevane::hasRecordedSegments() const
{
    for (const QString &segment : qAsConst(engine->segmentFiles)) {
        QFileInfo info(segment);
        if (info.isRelative())
            info.setFile(engine->segmentDir + segment);
        if (info.exists() && info.size() > 0)
            return true;
    }
    return false;
}

void Brevane::slot_captureFailed(const QString &reason)
{
    if (recordState == Idle)
        return;

    if (hasRecordedSegments()) {
        // Something was recorded before the capture failed: finish the
        // recording so that it is kept, from the segments that hold audio.
        QStringList kept;
        for (const QString &segment : qAsConst(engine->segmentFiles)) {
            const QFileInfo info(segment);
            if (info.exists() && info.size() > 0)
                kept << segment;
        }
        engine->segmentFiles = kept;
        engine->segmentIndex = kept.size() - 1;
        slot_EndRecordSound();
    } else {
        killTimer(elapsedTimerId);
        elapsedTimerId = 0;
        engine->killProcess();
        showIdleDisplay();
        recordState = Idle;
        floatWidget->setStop();
        floatWidget->setTimeText(QStringLiteral("00:00:00"));
    }

    if (!failurePrompt)
        failurePrompt = new QToolTipWidget(nullptr);
    failurePrompt->setTipText1(tr("录音无法开始"));
    failurePrompt->setTipText2(reason, Qt::AlignLeft);
    failurePrompt->setBtnOpera1(QString(), false);
    failurePrompt->setBtnOpera2(tr("确定"), true);
    showPrompt(failurePrompt);
}
