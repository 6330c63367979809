#include <QApplication>
#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

const char *const kSheets[] = {":/main.css",        ":/voiceList.css",    ":/audioItem.css",
                               ":/floatWidget.css", ":/RecordByTime.css", ":/timeTaskItem.css",
                               ":/tooltip.css"};

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void imageSizes_data();
    void imageSizes();
    void floatBackgroundHasAShape();

    void sheet_data();
    void sheet();

    void catalogueTemplate();
    void missingEntriesAreQuiet();
};

void TestResources::imageSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const struct
    {
        const char *name;
        int w, h;
    } images[] = {
        {"title.png", 24, 24},
        {"wantPlay.png", 177, 40},
        {"pause.png", 177, 40},
        {"noPlay.png", 177, 40},
        {"played.png", 177, 40},
        {"voice.png", 70, 100},
        {"labelIcon1.png", 14, 14},
        {"labelIcon2.png", 14, 14},
        {"floatWidgetBackground.png", 166, 74},
        {"floatPlay.png", 20, 20},
        {"floatPause.png", 20, 20},
        {"floatStop.png", 18, 18},
        {"help.png", 24, 24},
        {"helped.png", 24, 24},
        {"min.png", 24, 24},
        {"mined.png", 24, 24},
        {"close.png", 24, 24},
        {"closed.png", 24, 24},
        {"btn.close.png", 34, 34},
        {"btn.close.hover.png", 34, 34},
        {"background.png", 700, 240},
        {"comboBox.drop.down.png", 27, 31},
        {"check.box.normal.png", 16, 16},
        {"check.box.checked.png", 16, 16},
        {"customer.png", 16, 15},
        {"voiceListIcon.png", 14, 20},
        {"audioItemNPlay.png", 20, 20},
        {"audioItemPlay.png", 20, 20},
        {"audioItemNopenDir.png", 20, 20},
        {"audioItemOpenDir.png", 20, 20},
        {"audioItemNTrash.png", 20, 20},
        {"audioItemTrash.png", 20, 20},
        {"clock.png", 20, 19},
        {"down.png", 10, 6},
        {"up.png", 10, 6},
        {"icon.png", 1024, 1024},
    };
    for (const auto &image : images)
        QTest::newRow(image.name) << QStringLiteral(":/images/%1").arg(QLatin1String(image.name))
                                  << QSize(image.w, image.h);
}

void TestResources::imageSizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage image(name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QCOMPARE(image.size(), size);
    // Nothing in the set is a flat block of one colour.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height() && colours.size() < 3; ++y)
        for (int x = 0; x < argb.width() && colours.size() < 3; ++x)
            colours.insert(argb.pixel(x, y));
    QVERIFY2(colours.size() >= 3, qPrintable(name));
}

// The floating window takes its shape from this image's alpha channel.
void TestResources::floatBackgroundHasAShape()
{
    const QPixmap pixmap(QStringLiteral(":/images/floatWidgetBackground.png"));
    QVERIFY(pixmap.hasAlphaChannel());
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(165, 73)), 0);
    QCOMPARE(qAlpha(image.pixel(83, 37)), 255);
    QCOMPARE(qAlpha(image.pixel(30, 37)), 255);

    const QRegion shape(pixmap.mask());
    QVERIFY(shape.contains(QPoint(83, 37)));
    QVERIFY(!shape.contains(QPoint(0, 0)));
    QVERIFY(!shape.contains(QPoint(165, 0)));
    QVERIFY(shape.boundingRect().width() > 150);
}

void TestResources::sheet_data()
{
    QTest::addColumn<QString>("path");
    for (const char *sheet : kSheets)
        QTest::newRow(sheet) << QString::fromLatin1(sheet);
}

// Each sheet begins with the outline rule, names only images of the tree,
// writes its font sizes in the form the scaler rewrites, names the system's
// font family first, and parses without a warning.
void TestResources::sheet()
{
    QFETCH(QString, path);
    const QString text = readText(path);
    QVERIFY2(!text.isEmpty(), qPrintable(path));
    QVERIFY(text.startsWith(QStringLiteral("* { outline: none; }")));

    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    int count = 0;
    for (auto it = url.globalMatch(text); it.hasNext(); ++count) {
        const QString target = it.next().captured(1).trimmed();
        QVERIFY2(target.startsWith(QStringLiteral(":/images/")), qPrintable(target));
        QVERIFY2(!QImage(target).isNull(), qPrintable(path + QStringLiteral(": ") + target));
    }
    QVERIFY(count > 0);

    const QRegularExpression anySize(QStringLiteral("font-size[^;}]*[;}]"));
    const QRegularExpression scalable(QStringLiteral("^font-size: \\d+px;$"));
    int sizes = 0;
    for (auto it = anySize.globalMatch(text); it.hasNext(); ++sizes) {
        const QString declaration = it.next().captured(0);
        QVERIFY2(scalable.match(declaration).hasMatch(),
                 qPrintable(path + QStringLiteral(": ") + declaration));
    }
    QVERIFY(sizes > 0);
    const QRegularExpression family(QStringLiteral("font-family:([^;]*);"));
    int families = 0;
    for (auto it = family.globalMatch(text); it.hasNext(); ++families)
        QVERIFY(it.next().captured(1).trimmed().startsWith(QStringLiteral("\"Microsoft YaHei\"")));
    QVERIFY(families > 0);

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    {
        QWidget widget;
        auto *button = new QPushButton(QStringLiteral("按钮"), &widget);
        button->setObjectName(QStringLiteral("btnClose"));
        widget.setStyleSheet(text);
        widget.ensurePolished();
        button->ensurePolished();
        widget.grab();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void TestResources::catalogueTemplate()
{
    QFile file(QStringLiteral(":/Brevane.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("\r\n"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.isArray());
    QVERIFY(document.array().isEmpty());
    // Every line end is CR LF.
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

void TestResources::missingEntriesAreQuiet()
{
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    const QImage image(QStringLiteral(":/images/noSuchImage.png"));
    QFile sheet(QStringLiteral(":/noSuchSheet.css"));
    const bool opened = sheet.open(QIODevice::ReadOnly);
    qInstallMessageHandler(previous);
    QVERIFY(image.isNull());
    QVERIFY(!opened);
    QVERIFY(warnings.isEmpty());
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
