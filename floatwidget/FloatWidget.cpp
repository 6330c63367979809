#include "FloatWidget.h"
#include "ui_FloatWidget.h"

#include "UiScale.h"

#include <QAction>
#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Style texts that btnStart gets on top of the window's sheet.
const char kPlayStyle[] = " background-image: url(:/images/floatPlay.png);";
const char kPauseStyle[] = "background-image:url(:/images/floatPause.png);";
const char kResetStyle[] = "background-image:url(:/images/floatPlay.png)";

// How far the stop button keeps from the right end of the image, where the
// rounded end of the shape becomes lower than the button.
const int kRightEndClearance = 8;

// Room left between the window and the screen edge or the main window when
// the first place is chosen.
const int kPlaceGap = 16;

// Squared distance from a point to the nearest point of a rectangle.
qint64 distanceSquared(const QPoint &point, const QRect &rect)
{
    const qint64 dx = qMax(qMax(rect.left() - point.x(), 0), point.x() - rect.right());
    const qint64 dy = qMax(qMax(rect.top() - point.y(), 0), point.y() - rect.bottom());
    return dx * dx + dy * dy;
}

} // namespace

FloatWidget::FloatWidget(QWidget *parent) : QDialog(parent), ui(new Ui::FloatWidget)
{
    ui->setupUi(this);
    setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/floatWidget.css")));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    ui->labelTime->setScaledContents(true);

    // The image gives the window its size and its shape: clicks on its
    // transparent parts go to whatever lies below.
    background.load(QStringLiteral(":/images/floatWidgetBackground.png"));
    setFixedSize(background.size());
    setMask(background.mask());
    fitLayoutToShape();

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->btnStart, &QPushButton::clicked, this, &FloatWidget::slot_Play);
    connect(ui->btnEnd, &QPushButton::clicked, this, &FloatWidget::slot_stop);
    connect(this, &QWidget::customContextMenuRequested, this, &FloatWidget::slot_showContextMenu);
}

FloatWidget::~FloatWidget()
{
    delete ui;
}

void FloatWidget::setPlay(int recordStat)
{
    if (recordStat == 1)
        ui->btnStart->setStyleSheet(QLatin1String(kPauseStyle));
    else if (recordStat == 0 || recordStat == 2)
        ui->btnStart->setStyleSheet(QLatin1String(kPlayStyle));
    else
        return;
    ui->btnStart->repaint();
}

void FloatWidget::setStop()
{
    ui->labelTime->setText(QStringLiteral("00:00:00"));
    ui->btnStart->setStyleSheet(QLatin1String(kResetStyle));
}

void FloatWidget::setTimeText(QString text)
{
    ui->labelTime->setText(text);
}

void FloatWidget::placeNear(const QRect &mainWindowFrame)
{
    if (shownBefore)
        return;
    QScreen *screen = QGuiApplication::screenAt(mainWindowFrame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    const int w = size.width();
    const int h = size.height();
    const QRect &main = mainWindowFrame;
    const int top = area.top() + kPlaceGap;
    const int right = area.right() + 1 - kPlaceGap - w;

    // The top-right corner first; then along the right edge below the main
    // window, along the top edge left of it, and then beside, below and
    // above the main window itself.
    const QPoint candidates[] = {
        {right, top},
        {right, main.bottom() + 1 + kPlaceGap},
        {main.left() - kPlaceGap - w, top},
        {main.right() + 1 + kPlaceGap, qMax(top, main.top())},
        {main.left() - kPlaceGap - w, qMax(top, main.top())},
        {main.right() + 1 - w, main.bottom() + 1 + kPlaceGap},
        {main.right() + 1 - w, main.top() - kPlaceGap - h},
    };
    for (const QPoint &candidate : candidates) {
        const QRect place(candidate, size);
        if (area.contains(place) && !place.intersects(main)) {
            move(candidate);
            return;
        }
    }
    // The main window leaves no room on its screen.
    move(right, top);
}

void FloatWidget::slot_Play()
{
    ui->btnStart->setStyleSheet(QLatin1String(kPlayStyle));
    ui->btnStart->repaint();
    emit signal_clickedStart();
}

void FloatWidget::slot_stop()
{
    ui->labelTime->setText(QStringLiteral("00:00:00"));
    ui->btnStart->setStyleSheet(QLatin1String(kResetStyle));
    emit signal_clickedEnd();
}

void FloatWidget::slot_showContextMenu()
{
    QMenu menu(this);
    const QString texts[] = {tr("显示主界面"), tr("打开文件夹"), tr("联系客服"), tr("隐藏悬浮框"),
                             tr("定时录制")};
    int position = 0;
    for (const QString &text : texts) {
        QAction *action = menu.addAction(text);
        action->setData(position++);
    }
    connect(&menu, &QMenu::triggered, this, &FloatWidget::slot_MenuEvent);
    menu.exec(QCursor::pos());
}

void FloatWidget::slot_MenuEvent(QAction *action)
{
    switch (action->data().toInt()) {
    case 0:
        emit signal_showMainWindow();
        break;
    case 1:
        emit signal_openDir();
        break;
    case 2:
        emit signal_customer();
        break;
    case 3:
        emit signal_hideFloat();
        break;
    case 4:
        emit signal_recordByTime();
        break;
    default:
        break;
    }
}

void FloatWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragOffset = event->globalPos() - frameGeometry().topLeft();
}

void FloatWidget::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event)
}

void FloatWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPos() - dragOffset);
}

void FloatWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.drawPixmap(0, 0, background);
}

void FloatWidget::showEvent(QShowEvent *event)
{
    keepOnScreen();
    shownBefore = true;
    QDialog::showEvent(event);
}

// The sheet's fonts grow with uiScale while the shape keeps its size. The side
// margins give way so that the whole time and both buttons stay on the shape:
// the stop button keeps clear of the rounded right end, and the left margin
// shrinks as far as needed (the label keeps its own margin before the text).
void FloatWidget::fitLayoutToShape()
{
    ensurePolished();
    QLayout *layout = ui->horizontalLayout;
    layout->invalidate();
    const QMargins margins = layout->contentsMargins();
    const int content = layout->minimumSize().width() - margins.left() - margins.right();
    const int width = background.width();
    const int left = qBound(0, width - kRightEndClearance - content, margins.left());
    const int right = qBound(0, width - left - content, kRightEndClearance);
    layout->setContentsMargins(left, margins.top(), right, margins.bottom());
}

// The window keeps its place between showings, unless that place has left
// every screen (a monitor unplugged, a smaller screen): then it comes back at
// the nearest edge of the nearest screen, so that the control never hides.
void FloatWidget::keepOnScreen()
{
    const QRect frame = frameGeometry();
    const QPoint centre = frame.center();
    QScreen *nearest = nullptr;
    qint64 nearestDistance = 0;
    for (QScreen *screen : QGuiApplication::screens()) {
        const qint64 distance = distanceSquared(centre, screen->availableGeometry());
        if (distance == 0)
            return;
        if (!nearest || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return;
    const QRect area = nearest->availableGeometry();
    const int x = qBound(area.left(), frame.left(), qMax(area.left(), area.right() + 1 - frame.width()));
    const int y = qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() + 1 - frame.height()));
    move(x, y);
}
