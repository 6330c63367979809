#include "QCustomShadowEffect.h"

#include <QImage>
#include <QPainter>

// Qt's own blur routine, exported by the widgets module but not declared in
// any public header.
Q_DECL_IMPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality, bool alphaOnly,
                                int transposed = 0);

QCustomShadowEffect::QCustomShadowEffect(QObject *parent) : QGraphicsEffect(parent) {}

void QCustomShadowEffect::setDistance(double distance)
{
    m_distance = distance;
    updateBoundingRect();
}

void QCustomShadowEffect::setBlurRadius(double blurRadius)
{
    m_blurRadius = blurRadius;
    updateBoundingRect();
}

void QCustomShadowEffect::setColor(const QColor &color)
{
    m_color = color;
}

QRectF QCustomShadowEffect::boundingRectFor(const QRectF &rect) const
{
    const qreal delta = m_blurRadius + m_distance;
    return rect.united(rect.adjusted(-delta, -delta, delta, delta));
}

void QCustomShadowEffect::draw(QPainter *painter)
{
    if (m_distance + m_blurRadius <= 0) {
        drawSource(painter);
        return;
    }

    QPoint offset;
    const QPixmap px =
        sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (px.isNull())
        return;

    const QTransform restoreTransform = painter->worldTransform();
    painter->setWorldTransform(QTransform());

    const QSize shadowSize(static_cast<int>(2 * m_distance + px.width()),
                           static_cast<int>(2 * m_distance + px.height()));
    if (shadowSize.isEmpty()) {
        painter->drawPixmap(offset, px);
        painter->setWorldTransform(restoreTransform);
        return;
    }

    QImage source(shadowSize, QImage::Format_ARGB32_Premultiplied);
    source.fill(0);
    {
        QPainter p(&source);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawPixmap(QPointF(-m_distance, -m_distance),
                     px.scaled(shadowSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }

    QImage blurred(shadowSize, QImage::Format_ARGB32_Premultiplied);
    blurred.fill(0);
    {
        QPainter p(&blurred);
        qt_blurImage(&p, source, m_blurRadius, false, true);
    }

    {
        QPainter p(&blurred);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(blurred.rect(), m_color);
    }

    painter->drawImage(offset, blurred);
    painter->drawPixmap(offset, px);
    painter->setWorldTransform(restoreTransform);
}
