// Draws every picture of the resource tree and writes the PNGs into the
// folder named on the command line. All drawing is antialiased vector work,
// so a rerun gives the same files.

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <vector>

namespace {

const QColor kAccent(0x34, 0x7A, 0xEB);
const QColor kButton(0x1C, 0x8E, 0xEF);
const QColor kGrey(0x99, 0x99, 0x99);
const QColor kBorder(0xD8, 0xD8, 0xD8);
const QColor kDark(53, 57, 66);
const QColor kWhite(0xFF, 0xFF, 0xFF);

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QPen roundPen(const QColor &c, qreal width)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A microphone: capsule, holder, stem and foot, filling box.
void drawMicrophone(QPainter &p, const QRectF &box, const QColor &color, qreal stroke)
{
    const qreal cx = box.center().x();
    const qreal capW = box.width() * 0.46;
    const qreal capH = box.height() * 0.56;
    const qreal top = box.top() + stroke / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(cx - capW / 2, top, capW, capH), capW / 2, capW / 2);

    const qreal holderW = box.width() - stroke;
    const qreal holderTop = top + capH * 0.42;
    const qreal holderBottom = top + capH + stroke * 1.3;
    const qreal ry = holderBottom - holderTop;
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, stroke));
    QPainterPath holder;
    holder.moveTo(cx - holderW / 2, holderTop - ry * 0.15);
    holder.lineTo(cx - holderW / 2, holderTop);
    holder.arcTo(QRectF(cx - holderW / 2, holderTop - ry, holderW, 2 * ry), 180, 180);
    holder.lineTo(cx + holderW / 2, holderTop - ry * 0.15);
    p.drawPath(holder);

    const qreal footY = box.bottom() - stroke / 2;
    p.drawLine(QPointF(cx, holderBottom), QPointF(cx, footY));
    const qreal footW = box.width() * 0.5;
    p.drawLine(QPointF(cx - footW / 2, footY), QPointF(cx + footW / 2, footY));
}

// Concentric arcs on both sides of a centre, like sound leaving a speaker.
void drawSoundArcs(QPainter &p, const QPointF &centre, qreal firstRadius, qreal step, int count,
                   const QColor &color, qreal stroke)
{
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const qreal r = firstRadius + i * step;
        QColor c = color;
        c.setAlphaF(color.alphaF() * (1.0 - 0.3 * i));
        p.setPen(roundPen(c, stroke));
        const QRectF rect(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(rect, -40 * 16, 80 * 16);
        p.drawArc(rect, 140 * 16, 80 * 16);
    }
}

void drawCross(QPainter &p, const QPointF &centre, qreal half, const QColor &color, qreal stroke)
{
    p.setPen(roundPen(color, stroke));
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

void drawChevron(QPainter &p, const QPointF &centre, qreal halfWidth, qreal height, bool down,
                 const QColor &color, qreal stroke)
{
    const qreal dy = down ? height / 2 : -height / 2;
    QPainterPath path;
    path.moveTo(centre + QPointF(-halfWidth, -dy));
    path.lineTo(centre + QPointF(0, dy));
    path.lineTo(centre + QPointF(halfWidth, -dy));
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, stroke));
    p.drawPath(path);
}

void drawClock(QPainter &p, const QPointF &centre, qreal radius, const QColor &color, qreal stroke)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, stroke));
    p.drawEllipse(centre, radius, radius);
    p.drawLine(centre, centre + QPointF(0, -radius * 0.55));
    p.drawLine(centre, centre + QPointF(radius * 0.42, radius * 0.25));
}

QPainterPath playTriangle(const QPointF &centre, qreal size)
{
    // Optical centre of a triangle lies left of its box centre.
    const qreal h = size;
    const qreal w = size * 0.88;
    const qreal left = centre.x() - w * 0.4;
    QPainterPath path;
    path.moveTo(left, centre.y() - h / 2);
    path.lineTo(left + w, centre.y());
    path.lineTo(left, centre.y() + h / 2);
    path.closeSubpath();
    return path;
}

void drawPauseBars(QPainter &p, const QPointF &centre, qreal height, qreal barWidth, qreal gap,
                   const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal top = centre.y() - height / 2;
    const qreal r = barWidth / 3;
    p.drawRoundedRect(QRectF(centre.x() - gap / 2 - barWidth, top, barWidth, height), r, r);
    p.drawRoundedRect(QRectF(centre.x() + gap / 2, top, barWidth, height), r, r);
}

void drawFolder(QPainter &p, const QColor &color, qreal stroke)
{
    QPainterPath path;
    path.moveTo(2.5, 15.5);
    path.lineTo(2.5, 4.5);
    path.lineTo(7.5, 4.5);
    path.lineTo(9.5, 6.5);
    path.lineTo(17.5, 6.5);
    path.lineTo(17.5, 15.5);
    path.closeSubpath();
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, stroke));
    p.drawPath(path);
    p.drawLine(QPointF(2.5, 9), QPointF(17.5, 9));
}

void drawTrash(QPainter &p, const QColor &color, qreal stroke)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, stroke));
    p.drawLine(QPointF(3.5, 5.5), QPointF(16.5, 5.5));
    QPainterPath handle;
    handle.moveTo(8, 5.5);
    handle.lineTo(8, 3.5);
    handle.lineTo(12, 3.5);
    handle.lineTo(12, 5.5);
    p.drawPath(handle);
    QPainterPath body;
    body.moveTo(5.2, 5.5);
    body.lineTo(6.1, 16.5);
    body.lineTo(13.9, 16.5);
    body.lineTo(14.8, 5.5);
    p.drawPath(body);
    p.drawLine(QPointF(8.6, 8.5), QPointF(8.6, 13.5));
    p.drawLine(QPointF(11.4, 8.5), QPointF(11.4, 13.5));
}

// The blue start button with its state glyph kept inside the first 30 pixels;
// the caption is drawn by the style over the rest.
QImage startButton(const QColor &top, const QColor &bottom, const std::function<void(QPainter &)> &glyph)
{
    QImage img(177, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 40);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, 0, 177, 40), 4, 4);
    // A faint highlight along the upper edge.
    p.setPen(QPen(withAlpha(kWhite, 40), 1));
    p.drawLine(QPointF(4, 0.5), QPointF(173, 0.5));
    glyph(p);
    return img;
}

void recordGlyph(QPainter &p)
{
    const QPointF c(22, 20);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWhite, 1.6));
    p.drawEllipse(c, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(c, 4, 4);
}

void pauseGlyph(QPainter &p)
{
    const QPointF c(22, 20);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWhite, 1.6));
    p.drawEllipse(c, 8, 8);
    drawPauseBars(p, c, 7, 2, 2.4, kWhite);
}

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

struct Painter : QPainter
{
    explicit Painter(QImage *img) : QPainter(img) { setRenderHint(QPainter::Antialiasing); }
};

QImage titleIcon(int size)
{
    QImage img = canvas(size, size);
    Painter p(&img);
    const qreal s = size / 24.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(QRectF(0.5, 0.5, 23, 23));
    drawMicrophone(p, QRectF(7, 4.5, 10, 15), kAccent, 1.6);
    return img;
}

QImage appIcon()
{
    const int size = 1024;
    QImage img = canvas(size, size);
    Painter p(&img);
    QLinearGradient g(0, 0, size, size);
    g.setColorAt(0, QColor(0x4F, 0xAE, 0xFF));
    g.setColorAt(1, QColor(0x24, 0x5F, 0xDE));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(32, 32, 960, 960), 210, 210);
    QRadialGradient glow(QPointF(512, 380), 520);
    glow.setColorAt(0, withAlpha(kWhite, 60));
    glow.setColorAt(1, withAlpha(kWhite, 0));
    p.setBrush(glow);
    p.drawRoundedRect(QRectF(32, 32, 960, 960), 210, 210);
    drawMicrophone(p, QRectF(362, 210, 300, 560), kWhite, 44);
    drawSoundArcs(p, QPointF(512, 380), 240, 90, 2, withAlpha(kWhite, 200), 36);
    return img;
}

QImage headerBackground()
{
    QImage img(700, 240, QImage::Format_ARGB32_Premultiplied);
    Painter p(&img);
    QLinearGradient g(0, 0, 700, 240);
    g.setColorAt(0, QColor(0x2C, 0x9C, 0xF6));
    g.setColorAt(1, QColor(0x2A, 0x62, 0xE0));
    p.fillRect(img.rect(), g);

    QRadialGradient glow(QPointF(350, 140), 260);
    glow.setColorAt(0, withAlpha(kWhite, 34));
    glow.setColorAt(1, withAlpha(kWhite, 0));
    p.fillRect(img.rect(), glow);

    // Layered waves across the lower part.
    struct Wave
    {
        qreal base, amplitude, length, phase;
        int alpha;
    };
    const Wave waves[] = {
        {176, 14, 520, 0.0, 20},
        {190, 11, 380, 1.7, 16},
        {204, 9, 300, 3.1, 24},
    };
    p.setPen(Qt::NoPen);
    for (const Wave &w : waves) {
        QPainterPath path;
        path.moveTo(0, 240);
        for (int x = 0; x <= 700; x += 4) {
            const qreal y = w.base + w.amplitude * std::sin(2 * M_PI * x / w.length + w.phase);
            path.lineTo(x, y);
        }
        path.lineTo(700, 240);
        path.closeSubpath();
        p.setBrush(withAlpha(kWhite, w.alpha));
        p.drawPath(path);
    }
    // Thin wave lines riding above them.
    for (int i = 0; i < 2; ++i) {
        QPainterPath line;
        for (int x = 0; x <= 700; x += 4) {
            const qreal y =
                150 + i * 16 + (10 - i * 3) * std::sin(2 * M_PI * x / (440 - i * 90) + 0.8 + i * 2.2);
            if (x == 0)
                line.moveTo(x, y);
            else
                line.lineTo(x, y);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(kWhite, 36 - i * 10), 1.2));
        p.drawPath(line);
    }
    return img;
}

QImage floatBackground()
{
    QImage img = canvas(166, 74);
    Painter p(&img);
    const QRectF pill(3, 3, 160, 68);
    QLinearGradient g(0, pill.top(), 0, pill.bottom());
    g.setColorAt(0, QColor(66, 71, 82));
    g.setColorAt(1, QColor(44, 47, 56));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(pill, 34, 34);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(kWhite, 28), 1));
    p.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), 33.5, 33.5);
    return img;
}

bool save(const QDir &dir, const QString &name, const QImage &img, QTextStream &out)
{
    const QString path = dir.filePath(name);
    if (!img.save(path, "PNG")) {
        out << "imagegen: cannot write " << path << "\n";
        return false;
    }
    out << name << " " << img.width() << "x" << img.height() << "\n";
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: imagegen OUTPUT_DIR\n";
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "imagegen: cannot create " << dir.path() << "\n";
        return 1;
    }

    bool ok = true;
    auto put = [&](const QString &name, const QImage &img) { ok = save(dir, name, img, out) && ok; };

    put(QStringLiteral("title.png"), titleIcon(24));
    put(QStringLiteral("icon.png"), appIcon());
    put(QStringLiteral("background.png"), headerBackground());

    const QColor btnTop(0x2E, 0x9A, 0xF3), btnBottom(0x1A, 0x86, 0xE8);
    const QColor hoverTop(0x55, 0xAE, 0xF7), hoverBottom(0x3A, 0x9C, 0xF2);
    put(QStringLiteral("wantPlay.png"), startButton(btnTop, btnBottom, recordGlyph));
    put(QStringLiteral("noPlay.png"), startButton(btnTop, btnBottom, recordGlyph));
    put(QStringLiteral("played.png"), startButton(hoverTop, hoverBottom, recordGlyph));
    put(QStringLiteral("pause.png"), startButton(btnTop, btnBottom, pauseGlyph));

    {
        QImage img = canvas(70, 100);
        Painter p(&img);
        drawMicrophone(p, QRectF(14, 10, 42, 80), withAlpha(kWhite, 240), 4.5);
        put(QStringLiteral("voice.png"), img);
    }
    {
        QImage img = canvas(14, 14);
        Painter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(kGrey);
        for (int i = 0; i < 3; ++i) {
            p.drawEllipse(QRectF(1, 2 + i * 4, 2, 2));
            p.drawRoundedRect(QRectF(4.5, 2.25 + i * 4, 8.5, 1.5), 0.75, 0.75);
        }
        put(QStringLiteral("labelIcon1.png"), img);
    }
    {
        QImage img = canvas(14, 14);
        Painter p(&img);
        drawClock(p, QPointF(7, 7), 5.6, kGrey, 1.3);
        put(QStringLiteral("labelIcon2.png"), img);
    }

    put(QStringLiteral("floatWidgetBackground.png"), floatBackground());
    {
        QImage img = canvas(20, 20);
        Painter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(0, 0, 20, 20));
        p.setBrush(kWhite);
        p.drawPath(playTriangle(QPointF(10.5, 10), 8));
        put(QStringLiteral("floatPlay.png"), img);
    }
    {
        QImage img = canvas(20, 20);
        Painter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(0, 0, 20, 20));
        drawPauseBars(p, QPointF(10, 10), 8, 2.2, 2.6, kWhite);
        put(QStringLiteral("floatPause.png"), img);
    }
    {
        QImage img = canvas(18, 18);
        Painter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(kWhite, 235));
        p.drawEllipse(QRectF(0, 0, 18, 18));
        p.setBrush(kDark);
        p.drawRoundedRect(QRectF(6, 6, 6, 6), 1, 1);
        put(QStringLiteral("floatStop.png"), img);
    }

    // Window buttons on the blue header: help, minimise, close. The hover
    // variant lays a faint white disc under the same glyph.
    struct HeaderButton
    {
        QString normal, hover;
        std::function<void(Painter &)> glyph;
    };
    const std::vector<HeaderButton> headerButtons = {
        {QStringLiteral("help.png"), QStringLiteral("helped.png"),
         [](Painter &p) {
             QPen pen(kWhite, 1.4);
             pen.setCapStyle(Qt::RoundCap);
             pen.setJoinStyle(Qt::RoundJoin);
             p.setPen(pen);
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(12, 12), 7.3, 7.3);
             QPainterPath mark;
             mark.arcMoveTo(QRectF(9.9, 7.7, 4.2, 4.2), 160);
             mark.arcTo(QRectF(9.9, 7.7, 4.2, 4.2), 160, -220);
             mark.lineTo(12, 12.7);
             mark.lineTo(12, 13.5);
             p.drawPath(mark);
             p.setPen(Qt::NoPen);
             p.setBrush(kWhite);
             p.drawEllipse(QPointF(12, 16.0), 0.95, 0.95);
         }},
        {QStringLiteral("min.png"), QStringLiteral("mined.png"),
         [](Painter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(kWhite);
             p.drawRoundedRect(QRectF(7, 11.25, 10, 1.5), 0.75, 0.75);
         }},
        {QStringLiteral("close.png"), QStringLiteral("closed.png"),
         [](Painter &p) { drawCross(p, QPointF(12, 12), 4.6, kWhite, 1.5); }},
    };
    for (const auto &button : headerButtons) {
        for (bool hover : {false, true}) {
            QImage img = canvas(24, 24);
            Painter p(&img);
            if (hover) {
                p.setPen(Qt::NoPen);
                p.setBrush(withAlpha(kWhite, 56));
                p.drawEllipse(QRectF(1, 1, 22, 22));
            }
            button.glyph(p);
            put(hover ? button.hover : button.normal, img);
        }
    }
    // Close button of the white dialogs.
    for (bool hover : {false, true}) {
        QImage img = canvas(34, 34);
        Painter p(&img);
        if (hover) {
            p.setPen(Qt::NoPen);
            p.setBrush(withAlpha(kAccent, 28));
            p.drawEllipse(QRectF(4, 4, 26, 26));
        }
        drawCross(p, QPointF(17, 17), 5.5, hover ? kAccent : kGrey, 1.5);
        put(hover ? QStringLiteral("btn.close.hover.png") : QStringLiteral("btn.close.png"), img);
    }

    {
        QImage img = canvas(27, 31);
        Painter p(&img);
        drawChevron(p, QPointF(13.5, 15.5), 4, 4, true, kGrey, 1.5);
        put(QStringLiteral("comboBox.drop.down.png"), img);
    }
    {
        QImage img = canvas(16, 16);
        Painter p(&img);
        p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1.2));
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(8, 8), 6.9, 6.9);
        put(QStringLiteral("check.box.normal.png"), img);
    }
    {
        QImage img = canvas(16, 16);
        Painter p(&img);
        p.setPen(QPen(kAccent, 1.2));
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(8, 8), 6.9, 6.9);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(8, 8), 3.8, 3.8);
        put(QStringLiteral("check.box.checked.png"), img);
    }
    {
        // Headset, white on the header.
        QImage img = canvas(16, 15);
        Painter p(&img);
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(kWhite, 1.4));
        p.drawArc(QRectF(2, 1.2, 12, 12), 0, 180 * 16);
        p.drawLine(QPointF(2, 7.2), QPointF(2, 8));
        p.drawLine(QPointF(14, 7.2), QPointF(14, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(kWhite);
        p.drawRoundedRect(QRectF(0.8, 7, 3.4, 5), 1.2, 1.2);
        p.drawRoundedRect(QRectF(11.8, 7, 3.4, 5), 1.2, 1.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(kWhite, 1.1));
        QPainterPath boom;
        boom.moveTo(13.5, 12);
        boom.quadTo(13.2, 13.9, 10, 13.9);
        p.drawPath(boom);
        p.setPen(Qt::NoPen);
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(9.2, 13.9), 1.1, 1.1);
        put(QStringLiteral("customer.png"), img);
    }
    {
        QImage img = canvas(14, 20);
        Painter p(&img);
        drawMicrophone(p, QRectF(1, 2, 12, 16), kAccent, 1.6);
        put(QStringLiteral("voiceListIcon.png"), img);
    }

    // Row buttons: grey at rest, accent on hover.
    for (bool hover : {false, true}) {
        const QColor c = hover ? kAccent : kGrey;
        {
            QImage img = canvas(20, 20);
            Painter p(&img);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(c, 1.3));
            p.drawEllipse(QPointF(10, 10), 8.4, 8.4);
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawPath(playTriangle(QPointF(10.4, 10), 7));
            put(hover ? QStringLiteral("audioItemPlay.png") : QStringLiteral("audioItemNPlay.png"), img);
        }
        {
            QImage img = canvas(20, 20);
            Painter p(&img);
            drawFolder(p, c, 1.3);
            put(hover ? QStringLiteral("audioItemOpenDir.png") : QStringLiteral("audioItemNopenDir.png"),
                img);
        }
        {
            QImage img = canvas(20, 20);
            Painter p(&img);
            drawTrash(p, c, 1.3);
            put(hover ? QStringLiteral("audioItemTrash.png") : QStringLiteral("audioItemNTrash.png"), img);
        }
    }

    {
        QImage img = canvas(20, 19);
        Painter p(&img);
        drawClock(p, QPointF(10, 9.5), 7.8, kAccent, 1.6);
        put(QStringLiteral("clock.png"), img);
    }
    {
        QImage img = canvas(10, 6);
        Painter p(&img);
        drawChevron(p, QPointF(5, 3), 3.6, 3, true, kGrey, 1.4);
        put(QStringLiteral("down.png"), img);
    }
    {
        QImage img = canvas(10, 6);
        Painter p(&img);
        drawChevron(p, QPointF(5, 3), 3.6, 3, false, kGrey, 1.4);
        put(QStringLiteral("up.png"), img);
    }

    (void)kButton;
    (void)kBorder;
    return ok ? 0 : 1;
}
