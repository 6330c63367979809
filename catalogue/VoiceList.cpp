#include "VoiceList.h"

#include "ui_VoiceList.h"

#include "QCustomShadowEffect.h"
#include "RecordingCatalogue.h"
#include "UiScale.h"
#include "audioItem.h"

#include <QIcon>
#include <QMouseEvent>
#include <QShortcut>

VoiceList::VoiceList(QWidget *parent) : VoiceList(RecordingCatalogue::defaultFilePath(), parent) {}

VoiceList::VoiceList(const QString &catalogueFile, QWidget *parent)
    : QWidget(parent), ui(new Ui::VoiceList), escShortcut(new QShortcut(this)), m_catalogueFile(catalogueFile)
{
    ui->setupUi(this);
    setWindowTitle(tr("录音列表"));
    setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));

    escShortcut->setKey(QKeySequence(Qt::Key_Escape));
    connect(escShortcut, &QShortcut::activated, this, &QWidget::hide);

    setWindowFlag(Qt::FramelessWindowHint, true);
    setAttribute(Qt::WA_TranslucentBackground, true);

    auto *shadow = new QCustomShadowEffect;
    shadow->setBlurRadius(8.0);
    shadow->setDistance(1.0);
    shadow->setColor(QColor(209, 209, 209, 255));
    setGraphicsEffect(shadow);
    update();

    refresh();
    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/voiceList.css")));

    // Closing only hides the window; it lives as long as its owner.
    connect(ui->btnClose, &QPushButton::clicked, this, [this] { ui->btnClose->window()->close(); });
}

VoiceList::~VoiceList()
{
    delete ui;
}

void VoiceList::setCatalogueFile(const QString &catalogueFile)
{
    m_catalogueFile = catalogueFile;
}

void VoiceList::refresh()
{
    // While the list is hidden, an inserted row costs no relayout of all the
    // rows before it; they are laid out once when it is shown again.
    const bool wasHidden = ui->FileListWidget->isHidden();
    ui->FileListWidget->hide();
    ui->FileListWidget->clear();
    const QVector<RecordingEntry> entries = RecordingCatalogue::readEntries(m_catalogueFile);
    for (const RecordingEntry &entry : entries) {
        auto *row = new audioItem(entry.fileName, entry.audioLength, entry.size, entry.date, nullptr);
        connect(row, &audioItem::signal_openDir, this, &VoiceList::signal_openDir);
        connect(row, &audioItem::signal_deleteFile, this, &VoiceList::signal_deleteFile);
        connect(row, &audioItem::signal_play, this, &VoiceList::signal_play);

        // The view places the row. Without this, showing a QDialog centres it
        // over a window, which walks all top-level widgets for every row.
        row->setAttribute(Qt::WA_Moved);

        auto *item = new QListWidgetItem;
        item->setSizeHint(row->size());
        ui->FileListWidget->insertItem(0, item);
        ui->FileListWidget->setItemWidget(item, row);
    }
    ui->FileListWidget->setHidden(wasHidden);
}

void VoiceList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragging = true;
        lastGlobalPos = event->globalPos();
    }
    QWidget::mousePressEvent(event);
}

void VoiceList::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void VoiceList::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging) {
        move(pos() + event->globalPos() - lastGlobalPos);
        lastGlobalPos = event->globalPos();
    }
    QWidget::mouseMoveEvent(event);
}
