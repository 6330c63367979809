#include "UiScale.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestUiScale : public QObject
{
    Q_OBJECT

private slots:
    void init() { uiScale = 1.0f; }
    void cleanup() { uiScale = 1.0f; }

    void scaleForDpi_data();
    void scaleForDpi();
    void computeUsesFirstScreen();

    void rewrite_data();
    void rewrite();
    void unscaledTextIsUntouched();

    void loadResourceSheet();
    void loadReadsUtf8File();
    void missingPathGivesEmptyText();

    void replaceAllCoversEveryOccurrence();
};

void TestUiScale::scaleForDpi_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<float>("scale");
    QTest::newRow("96") << 96.0 << 1.0f;
    QTest::newRow("105 (ratio 1.09375)") << 105.0 << 1.0f;
    QTest::newRow("105.6 (float ratio just above 1.1)") << 105.6 << 1.25f;
    QTest::newRow("106") << 106.0 << 1.25f;
    QTest::newRow("120") << 120.0 << 1.25f;
    QTest::newRow("134") << 134.0 << 1.25f;
    QTest::newRow("134.4 (float ratio just below 1.4)") << 134.4 << 1.25f;
    QTest::newRow("135") << 135.0 << 1.5f;
    QTest::newRow("144") << 144.0 << 1.5f;
    QTest::newRow("153.6 (float ratio just above 1.6)") << 153.6 << 1.75f;
    QTest::newRow("168") << 168.0 << 1.75f;
    QTest::newRow("172.8 (float ratio just below 1.8)") << 172.8 << 1.75f;
    QTest::newRow("192") << 192.0 << 2.0f;
    QTest::newRow("240") << 240.0 << 2.0f;
}

void TestUiScale::scaleForDpi()
{
    QFETCH(double, dpi);
    QFETCH(float, scale);
    QCOMPARE(uiScaleForDpi(dpi), scale);
}

// main() starts the application with QT_FONT_DPI=144, so the X screen of the
// fixture reports 144 logical dots per inch.
void TestUiScale::computeUsesFirstScreen()
{
    QVERIFY(!QGuiApplication::screens().isEmpty());
    QCOMPARE(QGuiApplication::screens().first()->logicalDotsPerInch(), 144.0);
    computeUiScale();
    QCOMPARE(uiScale, 1.5f);
}

void TestUiScale::rewrite_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("scale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("18 at 1.25 is enlarged once")
        << "QLabel { font-size: 18px; }" << 1.25f << "QLabel { font-size: 22px; }";
    QTest::newRow("stored 22 and produced 22 at 1.25")
        << "a { font-size: 22px; } b { font-size: 18px; }" << 1.25f
        << "a { font-size: 27px; } b { font-size: 22px; }";
    QTest::newRow("sheet beginning with a size-14 declaration at 1.5")
        << "font-size: 14px;\nQLabel { font-size: 14px; }\nQPushButton { font-size: 14px; }" << 1.5f
        << "font-size: 21px;\nQLabel { font-size: 21px; }\nQPushButton { font-size: 21px; }";
    QTest::newRow("no space after the colon")
        << "QLabel { font-size:14px; }" << 1.5f << "QLabel { font-size:14px; }";
    QTest::newRow("size outside the table")
        << "QLabel#labelTime { font-size: 49px; }" << 2.0f << "QLabel#labelTime { font-size: 49px; }";
    QTest::newRow("no semicolon, other case")
        << "a { font-size: 14px } b { FONT-SIZE: 14px; } c { font-size: 14PX; }" << 2.0f
        << "a { font-size: 14px } b { FONT-SIZE: 14px; } c { font-size: 14PX; }";
    QTest::newRow("a longer number is not a match")
        << "a { font-size: 114px; }" << 2.0f << "a { font-size: 114px; }";

    const QString all =
        QStringLiteral("font-size: 26px;font-size: 24px;font-size: 22px;font-size: 20px;font-size: 18px;"
                       "font-size: 16px;font-size: 15px;font-size: 14px;font-size: 13px;font-size: 12px;");
    auto sizes = [](std::initializer_list<int> list) {
        QString s;
        for (int n : list)
            s += QStringLiteral("font-size: %1px;").arg(n);
        return s;
    };
    QTest::newRow("whole table at 1.25") << all << 1.25f << sizes({32, 30, 27, 25, 22, 20, 18, 17, 16, 15});
    QTest::newRow("whole table at 1.5") << all << 1.5f << sizes({39, 36, 33, 30, 27, 24, 22, 21, 19, 18});
    QTest::newRow("whole table at 1.75") << all << 1.75f << sizes({45, 42, 38, 35, 31, 28, 26, 24, 22, 21});
    QTest::newRow("whole table at 2.0") << all << 2.0f << sizes({52, 48, 44, 40, 36, 32, 30, 28, 26, 24});
    // A factor so close to 1 that some sizes map onto themselves must still end.
    QTest::newRow("size that maps onto itself")
        << "font-size: 12px; font-size: 26px;" << 1.05f << "font-size: 12px; font-size: 27px;";
}

void TestUiScale::rewrite()
{
    QFETCH(QString, text);
    QFETCH(float, scale);
    QFETCH(QString, expected);
    QCOMPARE(scaleFontSizes(text, scale), expected);
}

void TestUiScale::unscaledTextIsUntouched()
{
    const QString text = QStringLiteral("* { outline: none; }\nQLabel { font-size: 14px; }");
    QCOMPARE(scaleFontSizes(text, 1.0f), text);
    QCOMPARE(scaleFontSizes(text, 1.0f + 1e-8f), text);
}

void TestUiScale::loadResourceSheet()
{
    QFile file(QStringLiteral(":/tooltip.css"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();

    uiScale = 1.0f;
    QCOMPARE(loadScaledStyleSheet(QStringLiteral(":/tooltip.css")).toUtf8(), stored);

    uiScale = 1.5f;
    const QString scaled = loadScaledStyleSheet(QStringLiteral(":/tooltip.css"));
    QVERIFY(stored.contains("font-size: 14px;"));
    QVERIFY(stored.contains("font-size: 16px;"));
    QVERIFY(!scaled.contains(QStringLiteral("font-size: 14px;")));
    QVERIFY(!scaled.contains(QStringLiteral("font-size: 16px;")));
    QVERIFY(scaled.contains(QStringLiteral("font-size: 21px;")));
    QVERIFY(scaled.contains(QStringLiteral("font-size: 24px;")));
    QCOMPARE(scaled.count(QStringLiteral("font-size:")),
             QString::fromUtf8(stored).count(QStringLiteral("font-size:")));
}

void TestUiScale::loadReadsUtf8File()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sheet.css"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("/* 提示 */ QLabel { font-size: 14px; }").toUtf8());
    file.close();

    QCOMPARE(loadScaledStyleSheet(path), QStringLiteral("/* 提示 */ QLabel { font-size: 14px; }"));
    uiScale = 2.0f;
    QCOMPARE(loadScaledStyleSheet(path), QStringLiteral("/* 提示 */ QLabel { font-size: 28px; }"));
}

void TestUiScale::missingPathGivesEmptyText()
{
    QVERIFY(loadScaledStyleSheet(QStringLiteral(":/noSuchSheet.css")).isEmpty());
    QVERIFY(loadScaledStyleSheet(QStringLiteral("/nonexistent/dir/sheet.css")).isEmpty());
    uiScale = 1.5f;
    QVERIFY(loadScaledStyleSheet(QStringLiteral(":/noSuchSheet.css")).isEmpty());
}

void TestUiScale::replaceAllCoversEveryOccurrence()
{
    QString text = QStringLiteral("ab ab ab");
    replaceAll(text, QStringLiteral("ab"), QStringLiteral("abab"));
    QCOMPARE(text, QStringLiteral("abab abab abab"));
    QVERIFY(fuzzyEqual(1.25f, 1.25f + 1e-8f, 1e-7f));
    QVERIFY(!fuzzyEqual(1.25f, 1.5f, 1e-7f));
}

int main(int argc, char **argv)
{
    qputenv("QT_FONT_DPI", "144");
    QApplication app(argc, argv);
    TestUiScale test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_uiscale.moc"
