#include "VoiceList.h"

#include "ui_VoiceList.h"

#include "QCustomShadowEffect.h"
#include "RecordingCatalogue.h"
#include "UiScale.h"
#include "audioItem.h"

#include <algorithm>

#include <QIcon>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
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

    // Rows get their widgets as they scroll into view.
    connect(ui->FileListWidget->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &VoiceList::makeVisibleRows);
    ui->FileListWidget->viewport()->installEventFilter(this);

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

namespace {
// Rows given their widgets at once by a refresh: more than the list shows at
// its largest, so that a freshly refreshed list never waits for its rows.
const int kRowsMadeAtOnce = 24;
// Rows beyond the visible ones that get their widgets ahead of scrolling.
const int kRowsAhead = 8;
} // namespace

void VoiceList::refresh()
{
    ui->FileListWidget->setUpdatesEnabled(false);
    ui->FileListWidget->clear();
    m_rows = RecordingCatalogue::readEntries(m_catalogueFile);
    std::reverse(m_rows.begin(), m_rows.end());
    // Every row has the size of the row's form; its widget comes later.
    const QSize rowSize = audioItem::formSize();
    for (int i = 0; i < m_rows.size(); ++i) {
        auto *item = new QListWidgetItem;
        item->setSizeHint(rowSize);
        ui->FileListWidget->addItem(item);
    }
    makeRows(0, qMin(m_rows.size(), kRowsMadeAtOnce) - 1);
    ui->FileListWidget->setUpdatesEnabled(true);
}

void VoiceList::makeRows(int first, int last)
{
    // Showing a row moves the focus into it, and the view then makes that
    // row its current one and scrolls to it; the rows are made where the
    // view stands, and it stays there.
    QListWidget *list = ui->FileListWidget;
    const QSignalBlocker quiet(list->verticalScrollBar());
    const int standing = list->verticalScrollBar()->value();
    for (int i = qMax(first, 0); i <= last && i < m_rows.size(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (list->itemWidget(item))
            continue;
        const RecordingEntry &entry = m_rows.at(i);
        auto *row = new audioItem(entry.fileName, entry.audioLength, entry.size, entry.date, nullptr);
        connect(row, &audioItem::signal_openDir, this, &VoiceList::signal_openDir);
        connect(row, &audioItem::signal_deleteFile, this, &VoiceList::signal_deleteFile);
        connect(row, &audioItem::signal_play, this, &VoiceList::signal_play);
        // The view places the row. Without this, showing a QDialog centres it
        // over a window, which walks all top-level widgets for every row.
        row->setAttribute(Qt::WA_Moved);
        // The row's buttons are for the mouse: they take no focus, so that a
        // click selects no row of the list.
        row->setFocusPolicy(Qt::NoFocus);
        for (QWidget *child : row->findChildren<QWidget *>())
            child->setFocusPolicy(Qt::NoFocus);
        list->setItemWidget(item, row);
    }
    list->verticalScrollBar()->setValue(standing);
    list->setCurrentItem(nullptr);
}

void VoiceList::makeVisibleRows()
{
    QListWidget *list = ui->FileListWidget;
    // Until the view has laid its items out it finds none; the rows a
    // refresh makes at once cover the first screen meanwhile.
    QListWidgetItem *top = list->itemAt(QPoint(1, 1));
    if (!top)
        return;
    const int rowHeight = qMax(audioItem::formSize().height(), 1);
    const int first = list->row(top);
    makeRows(first, first + list->viewport()->height() / rowHeight + 1 + kRowsAhead);
}

bool VoiceList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->FileListWidget->viewport() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        makeVisibleRows();
    return QWidget::eventFilter(watched, event);
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
