#include "QCustomShadowEffect.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Counts the calls of draw so a test can tell the effect actually ran.
class CountingShadow : public QCustomShadowEffect
{
public:
    int draws = 0;

protected:
    void draw(QPainter *painter) override
    {
        ++draws;
        QCustomShadowEffect::draw(painter);
    }
};

// A small window like the system's frameless ones: a transparent margin of
// 8 pixels around a white frame with some text.
struct Window
{
    QWidget widget;
    QFrame *frame;
    explicit Window(const QString &frameColour = QStringLiteral("white"))
    {
        widget.setAttribute(Qt::WA_TranslucentBackground);
        auto *layout = new QVBoxLayout(&widget);
        layout->setContentsMargins(8, 8, 8, 8);
        frame = new QFrame;
        frame->setStyleSheet(QStringLiteral("background: %1;").arg(frameColour));
        auto *inner = new QVBoxLayout(frame);
        inner->addWidget(new QLabel(QStringLiteral("Quellin 录音")));
        layout->addWidget(frame);
        widget.resize(160, 80);
        layout->activate();
    }
};

QImage renderToImage(QWidget &widget, const QSize &size, QPoint at = QPoint())
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    widget.render(&painter, at, QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

} // namespace

class TestShadow : public QObject
{
    Q_OBJECT

private slots:
    void boundingRect_data();
    void boundingRect();
    void settersKeepValues();
    void zeroSettingsDrawTheSourceUnchanged();
    void systemSettingsDrawASoftShadow_data();
    void systemSettingsDrawASoftShadow();
    void zeroSizeWidgetDrawsNothing();
};

void TestShadow::boundingRect_data()
{
    QTest::addColumn<double>("blur");
    QTest::addColumn<double>("distance");
    QTest::addColumn<QRectF>("expected");
    const QRectF r(10, 20, 100, 50);
    QTest::newRow("system settings grow by 9") << 8.0 << 1.0 << r.adjusted(-9, -9, 9, 9);
    QTest::newRow("defaults grow by 14") << 10.0 << 4.0 << r.adjusted(-14, -14, 14, 14);
    QTest::newRow("zero keeps the rectangle") << 0.0 << 0.0 << r;
    QTest::newRow("negative never shrinks it") << 2.0 << -5.0 << r;
}

void TestShadow::boundingRect()
{
    QFETCH(double, blur);
    QFETCH(double, distance);
    QFETCH(QRectF, expected);
    QCustomShadowEffect effect;
    effect.setBlurRadius(blur);
    effect.setDistance(distance);
    QCOMPARE(effect.boundingRectFor(QRectF(10, 20, 100, 50)), expected);

    // Installed on a widget, the effect reports the same growth.
    QWidget widget;
    widget.resize(100, 50);
    auto *installed = new QCustomShadowEffect;
    installed->setBlurRadius(blur);
    installed->setDistance(distance);
    widget.setGraphicsEffect(installed);
    QCOMPARE(installed->boundingRect(), expected.translated(-10, -20));
}

void TestShadow::settersKeepValues()
{
    QCustomShadowEffect effect;
    QCOMPARE(effect.distance(), 4.0);
    QCOMPARE(effect.blurRadius(), 10.0);
    QCOMPARE(effect.color(), QColor(0, 0, 0, 80));
    effect.setColor(QColor(209, 209, 209, 255));
    effect.setBlurRadius(8.0);
    effect.setDistance(1.0);
    QCOMPARE(effect.color(), QColor(209, 209, 209, 255));
    QCOMPARE(effect.blurRadius(), 8.0);
    QCOMPARE(effect.distance(), 1.0);
}

void TestShadow::zeroSettingsDrawTheSourceUnchanged()
{
    // A half-transparent frame: any shadow drawn beneath it would show.
    const QString frameColour = QStringLiteral("rgba(255, 255, 255, 128)");
    Window plain(frameColour);
    plain.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain.widget));
    const QImage without = plain.widget.grab().toImage();

    Window shadowed(frameColour);
    auto *effect = new CountingShadow;
    effect->setBlurRadius(0.0);
    effect->setDistance(0.0);
    shadowed.widget.setGraphicsEffect(effect);
    shadowed.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shadowed.widget));
    const QImage with = shadowed.widget.grab().toImage();

    QVERIFY(effect->draws > 0);
    QCOMPARE(without.pixelColor(plain.frame->geometry().bottomLeft() + QPoint(3, -3)).alpha(), 128);
    QCOMPARE(with, without);
}

void TestShadow::systemSettingsDrawASoftShadow_data()
{
    QTest::addColumn<QColor>("color");
    QTest::newRow("main window") << QColor(0, 0, 0, 80);
    QTest::newRow("dialog base") << QColor(0, 0, 0, 52);
    QTest::newRow("list window and task dialog") << QColor(209, 209, 209, 255);
}

void TestShadow::systemSettingsDrawASoftShadow()
{
    QFETCH(QColor, color);
    Window window;
    auto *effect = new CountingShadow;
    effect->setBlurRadius(8.0);
    effect->setDistance(1.0);
    effect->setColor(color);
    window.widget.setGraphicsEffect(effect);
    window.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.widget));
    const QImage image = window.widget.grab().toImage();
    QVERIFY(effect->draws > 0);

    // Inside the frame the source is drawn on top, unchanged.
    const QPoint inside = window.frame->geometry().center();
    QCOMPARE(image.pixelColor(inside.x(), window.frame->geometry().bottom() - 2), QColor(Qt::white));

    // The margin gets the shadow colour, fading away from the frame.
    const int y = window.frame->geometry().center().y();
    const int left = window.frame->geometry().left();
    const QColor near = image.pixelColor(left - 2, y);
    const QColor far = image.pixelColor(left - 7, y);
    QVERIFY2(near.alpha() > 0, "no shadow next to the frame");
    QVERIFY(near.alpha() <= color.alpha());
    QVERIFY2(far.alpha() < near.alpha(), "shadow is not soft");
    // Premultiplied storage rounds the colour by a step or two.
    QVERIFY(qAbs(near.red() - color.red()) <= 2);
    QVERIFY(qAbs(near.green() - color.green()) <= 2);
    QVERIFY(qAbs(near.blue() - color.blue()) <= 2);
    // Below the frame as well.
    const int bottom = window.frame->geometry().bottom();
    QVERIFY(image.pixelColor(inside.x(), bottom + 2).alpha() > 0);
}

void TestShadow::zeroSizeWidgetDrawsNothing()
{
    QWidget parent;
    parent.resize(60, 60);
    auto *child = new QWidget(&parent);
    child->setGeometry(30, 30, 0, 0);
    auto *effect = new CountingShadow;
    effect->setBlurRadius(8.0);
    effect->setDistance(1.0);
    child->setGraphicsEffect(effect);
    parent.setAttribute(Qt::WA_TranslucentBackground);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    const QImage image = parent.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(qAlpha(image.pixel(x, y)), 0);

    // The effect on a zero-size top-level widget: nothing to draw, no failure.
    QWidget empty;
    empty.resize(0, 0);
    auto *own = new CountingShadow;
    empty.setGraphicsEffect(own);
    const QImage none = renderToImage(empty, QSize(20, 20));
    QCOMPARE(none.pixelColor(10, 10).alpha(), 0);
}

QTEST_MAIN(TestShadow)
#include "tst_shadow.moc"
