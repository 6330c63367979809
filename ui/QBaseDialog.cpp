#include "QBaseDialog.h"

#include "QCustomShadowEffect.h"
#include "UiScale.h"

#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>

QBaseDialog::QBaseDialog(QWidget *parent) : QDialog(parent) {}

void QBaseDialog::initDialog(QString styleSheetPath)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setProperty("dialog", true);
    installEventFilter(this);
    loadDialogStyleSheet(styleSheetPath);

    auto *shadow = new QCustomShadowEffect();
    shadow->setBlurRadius(8.0);
    shadow->setDistance(1.0);
    shadow->setColor(QColor(0, 0, 0, 52));
    setGraphicsEffect(shadow);
    update();
}

void QBaseDialog::loadDialogStyleSheet(QString path)
{
    setStyleSheet(loadScaledStyleSheet(path));
}

void QBaseDialog::onEscape()
{
    reject();
}

void QBaseDialog::onEnter()
{
    accept();
}

void QBaseDialog::onClose()
{
    qDebug() << "on close:";
    reject();
}

void QBaseDialog::onOK()
{
    accept();
}

bool QBaseDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        m_dragging = true;
        m_dragOffset = mouse->globalPos() - pos();
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_dragging || mouse->buttons() == Qt::NoButton)
            break;
        move(mouse->globalPos() - m_dragOffset);
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void QBaseDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        onEscape();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        onEnter();
        break;
    default:
        break;
    }
    // Plain widget handling only: the dialog's own Esc and default-button
    // handling must not run a second time.
    QWidget::keyPressEvent(event);
}
