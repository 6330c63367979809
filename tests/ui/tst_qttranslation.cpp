// Qt's own texts (standard buttons, the folder chooser, the calendar pop-up,
// the text fields' context menu) come out in Chinese once the program has
// loaded Qt's translation.
#include "QtTranslation.h"
#include "TestSupport.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class TestQtTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void standardButtonsAreChinese_data();
    void standardButtonsAreChinese();
    void qtDialogTextsAreChinese_data();
    void qtDialogTextsAreChinese();
    void programFolderCarriesTheTranslation();
    void screenshotsOfQtsOwnWindows();
};

void TestQtTranslation::initTestCase()
{
    QVERIFY(QtTranslation::install(qApp));
}

void TestQtTranslation::standardButtonsAreChinese_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QString::fromUtf8("取消");
    QTest::newRow("OK") << int(QDialogButtonBox::Ok) << QString::fromUtf8("确定");
    QTest::newRow("Open") << int(QDialogButtonBox::Open) << QString::fromUtf8("打开");
}

void TestQtTranslation::standardButtonsAreChinese()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    QDialogButtonBox box{QDialogButtonBox::StandardButtons(button)};
    QString shown = box.button(QDialogButtonBox::StandardButton(button))->text();
    shown.remove(QLatin1Char('&'));
    QVERIFY2(shown.startsWith(text), qPrintable(shown));
}

void TestQtTranslation::qtDialogTextsAreChinese_data()
{
    QTest::addColumn<QByteArray>("context");
    QTest::addColumn<QByteArray>("source");
    QTest::newRow("line edit menu: Copy") << QByteArray("QLineEdit") << QByteArray("&Copy");
    QTest::newRow("line edit menu: Paste") << QByteArray("QLineEdit") << QByteArray("&Paste");
    QTest::newRow("folder chooser: Directory") << QByteArray("QFileDialog") << QByteArray("Directory:");
    QTest::newRow("folder chooser: Look in") << QByteArray("QFileDialog") << QByteArray("Look in:");
}

void TestQtTranslation::qtDialogTextsAreChinese()
{
    QFETCH(QByteArray, context);
    QFETCH(QByteArray, source);
    const QString text = QCoreApplication::translate(context.constData(), source.constData());
    QVERIFY2(text != QString::fromLatin1(source), qPrintable(text));
    bool hasHan = false;
    for (const QChar c : text)
        hasHan = hasHan || c.script() == QChar::Script_Han;
    QVERIFY2(hasHan, qPrintable(text));
}

void TestQtTranslation::programFolderCarriesTheTranslation()
{
    // A copy of the program folder finds the translation beside the program.
    QVERIFY(QFileInfo::exists(QStringLiteral(QUELLIN_PROGRAM_DIR "/translations/qtbase_zh_CN.qm")));
}

void TestQtTranslation::screenshotsOfQtsOwnWindows()
{
    // For a person to look at: the folder chooser, the calendar pop-up and
    // a text field's context menu, as the user meets them.
    const QString dir = TestSupport::shotsDir(QStringLiteral("translation"));

    QFileDialog chooser(nullptr, QString::fromUtf8("选择文件夹"), QDir::homePath());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QTest::qWait(200);
    QVERIFY(!TestSupport::saveScreenshot(&chooser, dir, QStringLiteral("folder-chooser")).isEmpty());
    chooser.close();

    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2024, 1, 5));
    // The calendar pop-up names months and days in the default locale.
    const QString month = calendar.locale().standaloneMonthName(1);
    QVERIFY2(month.contains(QString::fromUtf8("一月")), qPrintable(month));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    QVERIFY(!TestSupport::saveScreenshot(&calendar, dir, QStringLiteral("calendar")).isEmpty());

    QLineEdit edit;
    edit.setText(QStringLiteral("text"));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QMenu *menu = edit.createStandardContextMenu();
    menu->popup(edit.mapToGlobal(QPoint(0, edit.height())));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    bool anyChinese = false;
    for (const QAction *action : menu->actions())
        anyChinese = anyChinese || action->text().contains(QString::fromUtf8("复制"));
    QVERIFY(anyChinese);
    QVERIFY(!TestSupport::saveScreenshot(menu, dir, QStringLiteral("line-edit-menu")).isEmpty());
    delete menu;
}

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
