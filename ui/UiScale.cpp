#include "UiScale.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

float uiScale = 1.0f;

namespace {
// Font sizes that are rewritten, largest first: every rewritten size is larger
// than its source, so a size produced here is never matched again further down.
const int kScaledSizes[] = {26, 24, 22, 20, 18, 16, 15, 14, 13, 12};
} // namespace

float uiScaleForDpi(double logicalDpi)
{
    // The ratio is kept in single precision on purpose: 105.6 dpi gives a float
    // just above 1.1, and so counts as 1.25.
    const float ratio = static_cast<float>(logicalDpi / 96.0);
    const double r = static_cast<double>(ratio);
    if (r < 1.1)
        return 1.0f;
    if (r < 1.4)
        return 1.25f;
    if (r < 1.6)
        return 1.5f;
    if (r < 1.8)
        return 1.75f;
    return 2.0f;
}

void computeUiScale()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return;
    uiScale = uiScaleForDpi(screens.first()->logicalDotsPerInch());
}

bool fuzzyEqual(float a, float b, float epsilon)
{
    return std::fabs(b - a) < epsilon;
}

void replaceAll(QString &text, const QString &before, const QString &after)
{
    // QString::replace continues after each inserted text, so a replacement
    // that contains the searched text cannot loop.
    if (before.isEmpty())
        return;
    text.replace(before, after, Qt::CaseSensitive);
}

QString scaleFontSizes(QString text, float scale)
{
    if (fuzzyEqual(scale, 1.0f, 1e-7f))
        return text;
    for (int size : kScaledSizes) {
        const int scaled = static_cast<int>(scale * static_cast<float>(size));
        replaceAll(text, QStringLiteral("font-size: ") + QString::number(size) + QStringLiteral("px;"),
                   QStringLiteral("font-size: %1px;").arg(scaled));
    }
    return text;
}

QString loadScaledStyleSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    return scaleFontSizes(text, uiScale);
}
