#include "LabelElider.h"

#include <QEvent>
#include <QLabel>

LabelElider::LabelElider(QLabel *label, const QString &text) : QObject(label), m_label(label), m_text(text)
{
    label->setMinimumWidth(1);
    label->installEventFilter(this);
}

void LabelElider::apply(QLabel *label, const QString &text)
{
    if (auto *existing = label->findChild<LabelElider *>(QString(), Qt::FindDirectChildrenOnly)) {
        existing->m_text = text;
        existing->update();
        return;
    }
    (new LabelElider(label, text))->update();
}

bool LabelElider::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange ||
                               event->type() == QEvent::StyleChange))
        update();
    return QObject::eventFilter(watched, event);
}

void LabelElider::update()
{
    const int room = m_label->contentsRect().width() - 2 * m_label->margin();
    const QString shown = m_label->fontMetrics().elidedText(m_text, Qt::ElideRight, qMax(room, 0));
    if (shown != m_label->text())
        m_label->setText(shown);
    m_label->setToolTip(shown == m_text ? QString() : m_text);
}
