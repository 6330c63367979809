// The main window as a window: its form, dragging, the save folder, the help
// links and the close confirmation.
#include "Brevane.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordByTime.h"
#include "VoiceList.h"
#include "ui_Brevane.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {
const int U = 16777215;

QStringList logLines(const QString &dir)
{
    QFile file(dir + QStringLiteral("/log.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Answers the next folder dialog with the given folder, or cancels it when empty.
void answerFolderDialog(const QString &folder)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, folder] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (folder.isEmpty()) {
            dialog->reject();
        } else {
            // Typed as the user would; the dialog takes a typed absolute path as it is.
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(folder);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    timer->start();
}
} // namespace

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestBrevaneWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir appDir;
    QString root = QString::fromLocal8Bit(qgetenv("QUELLIN_TEST_ROOT"));

private slots:
    void initTestCase()
    {
        QVERIFY(appDir.isValid());
        Platform::setApplicationDirForTesting(appDir.path());
        QVERIFY2(!root.isEmpty(), "runs inside the test environment");
        QVERIFY(QDir::homePath().startsWith(root));
    }

    void saveFolderCreatedOnceThenFound()
    {
        const QString expected = QDir::homePath() + QStringLiteral("/Documents/ZeltoAudioRecord/");
        QDir(expected).removeRecursively();
        QFile::remove(appDir.filePath(QStringLiteral("log.txt")));
        {
            Brevane first;
            QCOMPARE(first.saveFolder, expected);
            QCOMPARE(first.ui->labelPath->text(), expected);
        }
        QVERIFY(QFileInfo(expected).isDir());
        QCOMPARE(logLines(appDir.path()), QStringList{QStringLiteral("create dir success")});
        {
            Brevane second;
            QCOMPARE(second.saveFolder, expected);
        }
        QCOMPARE(logLines(appDir.path()),
                 (QStringList{QStringLiteral("create dir success"), QStringLiteral("dir is exist")}));

        // Without a Documents folder the path is still used, and the failure logged.
        const QByteArray home = qgetenv("HOME");
        const QString bareHome = root + QStringLiteral("/bare-home");
        QVERIFY(QDir().mkpath(bareHome));
        qputenv("HOME", bareHome.toLocal8Bit());
        {
            Brevane third;
            QCOMPARE(third.saveFolder, bareHome + QStringLiteral("/Documents/ZeltoAudioRecord/"));
        }
        qputenv("HOME", home);
        QCOMPARE(logLines(appDir.path()).value(2), QStringLiteral("error:create dir fail"));
    }

    void formTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QSize>("minSize");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<QString>("text");

        auto row = [](const char *name, const char *cls, const char *parent, QSize min, QSize max,
                      const char *text) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                                << QString::fromLatin1(parent) << min << max << QString::fromUtf8(text);
        };
        const QSize none(0, 0), unl(U, U);
        row("frameMain", "QFrame", "BrevaneClass", {700, 460}, unl, "");
        row("frameTop", "QFrame", "frameMain", {700, 240}, unl, "");
        row("frameTitle", "QFrame", "frameTop", {700, 40}, unl, "");
        row("labelTitleIcon", "QLabel", "frameTitle", {24, 24}, unl, "");
        row("labelTitle_1", "QLabel", "frameTitle", none, unl, "Quellin(Zelto联运版)");
        row("frame", "QFrame", "frameTitle", {160, 40}, unl, "");
        row("btnCustomerIcon", "QPushButton", "frame", {16, 15}, unl, "");
        row("btnCustomer", "QPushButton", "frame", {28, 19}, unl, "客服");
        row("frameWindowCtrl", "QFrame", "frameTitle", {70, 40}, unl, "");
        row("btnHelp", "QPushButton", "frameWindowCtrl", {24, 24}, {24, 24}, nullptr);
        row("btnMin", "QPushButton", "frameWindowCtrl", {24, 24}, unl, "");
        row("btnClose", "QPushButton", "frameWindowCtrl", {24, 24}, unl, "");
        row("frameTimeView", "QFrame", "frameTop", {700, 200}, unl, "");
        row("labelTime", "QLabel", "frameTimeView", {700, 200}, unl, "");
        row("frameFunc", "QFrame", "frameMain", {700, 180}, unl, "");
        row("frameSet", "QFrame", "frameFunc", {465, 180}, unl, "");
        row("frame_11", "QFrame", "frameSet", none, unl, "");
        row("frame_9", "QFrame", "frame_11", none, unl, "");
        row("frame_2", "QFrame", "frame_9", none, unl, "");
        row("label_4", "QLabel", "frame_2", {100, 0}, {100, U}, "格式选项：");
        row("comboBoxSelect", "QComboBox", "frame_2", {130, 30}, unl, "MP3");
        row("frame_8", "QFrame", "frame_9", none, unl, "");
        row("label_5", "QLabel", "frame_9", {59, 0}, unl, "声音来源：");
        row("comboboxVoiceFrom", "QComboBox", "frame_9", {90, 30}, unl, "仅系统声音");
        row("frame_13", "QFrame", "frameSet", none, unl, "");
        row("frame_12", "QFrame", "frame_13", none, unl, "");
        row("frame_10", "QFrame", "frame_12", none, unl, "");
        row("label_6", "QLabel", "frame_10", {100, 19}, {100, U}, "录音质量：");
        row("comboBoxQuality", "QComboBox", "frame_10", {130, 30}, unl, "128kbps");
        row("label_12", "QLabel", "frame_12", none, unl, "打开悬浮：");
        row("radioButtonYes", "QRadioButton", "frame_12", none, unl, "是");
        row("radioButtonNo", "QRadioButton", "frame_12", none, unl, "否");
        row("frame_14", "QFrame", "frameSet", none, unl, "");
        row("label_7", "QLabel", "frame_14", {100, 19}, unl, "保存位置：");
        row("labelPath", "QLabel", "frame_14", {200, 28}, {200, 28}, nullptr);
        row("btnChangeDir", "QPushButton", "frame_14", none, unl, "更改目录");
        row("btnOpenDir", "QPushButton", "frame_14", none, unl, "打开文件夹");
        row("frameOPera", "QFrame", "frameFunc", {235, 180}, unl, "");
        row("btnStart", "QPushButton", "frameOPera", {177, 40}, {1000, 60}, "开始录制(F7)");
        row("btnEnd", "QPushButton", "frameOPera", {177, 40}, {1000, 60}, "结束录制(F9)");
        row("frame_7", "QFrame", "frameOPera", {0, 19}, unl, "");
        row("btnVoiceList", "QPushButton", "frame_7", {0, 19}, unl, "录音列表");
        row("btnRecordByTime", "QPushButton", "frame_7", {0, 19}, unl, "定时录制");
        row("frameBottom", "QFrame", "frameMain", {700, 40}, unl, "");
        row("labelVersion", "QLabel", "frameBottom", {142, 19}, unl, "当前版本：2.0.0.3");
        row("widgetRecommend", "QWidget", "frameBottom", {100, 0}, unl, "");
    }

    void formTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parentName);
        QFETCH(QSize, minSize);
        QFETCH(QSize, maxSize);
        QFETCH(QString, text);

        Brevane w;
        const QList<QWidget *> found = w.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *widget = found.first();
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
        QVERIFY(widget->parentWidget());
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
        QCOMPARE(widget->minimumSize(), minSize);
        QCOMPARE(widget->maximumSize(), maxSize);
        if (!QTest::currentDataTag() || text.isNull())
            return;
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            QCOMPARE(combo->currentText(), text);
        else if (auto *label = qobject_cast<QLabel *>(widget))
            QCOMPARE(label->text(), text);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->text(), text);
    }

    void formAfterConstruction()
    {
        Brevane w;
        QCOMPARE(w.objectName(), QStringLiteral("BrevaneClass"));
        QCOMPARE(w.size(), QSize(858, 600));
        QCOMPARE(w.minimumSize(), QSize(800, 600));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w.testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(w.ui->comboboxVoiceFrom->count(), 3);
        QCOMPARE(w.ui->comboBoxQuality->itemText(2), QStringLiteral("320kbps"));
        QVERIFY(w.ui->radioButtonNo->isChecked());
        QVERIFY(!w.ui->radioButtonYes->isChecked());
        QVERIFY(w.ui->labelTime->text().isEmpty());
        QVERIFY(w.floatWidget->isHidden());
        QVERIFY(w.voiceList->isHidden());
        QVERIFY(w.ui->widgetRecommend->isHidden());
        QCOMPARE(w.taskTimer->interval(), 1000);
        QVERIFY(w.taskTimer->isActive());
        QCOMPARE(w.shortcutF9.key(), QKeySequence(Qt::Key_F9));
        QCOMPARE(w.shortcutF7->key(), QKeySequence(Qt::Key_F7));
        QCOMPARE(w.shortcutF8->key(), QKeySequence(Qt::Key_F8));
        QCOMPARE(w.shortcutF7->context(), Qt::WindowShortcut);
        QCOMPARE(w.recordState, Idle);
    }

    void enlargingKeepsFixedParts()
    {
        Brevane w;
        w.resize(1200, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(1200, 800));
        QCOMPARE(w.ui->labelPath->size(), QSize(200, 28));
        QCOMPARE(w.ui->label_4->width(), 100);
        QCOMPARE(w.ui->label_6->width(), 100);
        for (QWidget *button :
             {static_cast<QWidget *>(w.ui->btnStart), static_cast<QWidget *>(w.ui->btnEnd)}) {
            QVERIFY2(button->width() > 177 && button->width() <= 1000,
                     qPrintable(QString::number(button->width())));
            QVERIFY(button->height() >= 40 && button->height() <= 60);
        }
    }

    void dragByLeftButtonOnly_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<QPoint>("expectedMove");
        QTest::newRow("left on time display")
            << "labelTime" << int(Qt::LeftButton) << QPoint(37, -21) << QPoint(37, -21);
        QTest::newRow("left on bottom frame")
            << "frameBottom" << int(Qt::LeftButton) << QPoint(-50, 80) << QPoint(-50, 80);
        QTest::newRow("left on a label")
            << "label_7" << int(Qt::LeftButton) << QPoint(120, 5) << QPoint(120, 5);
        QTest::newRow("right button")
            << "labelTime" << int(Qt::RightButton) << QPoint(60, 40) << QPoint(0, 0);
    }

    void dragByLeftButtonOnly()
    {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(QPoint, travel);
        QFETCH(QPoint, expectedMove);

        Brevane w;
        w.move(200, 150);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget *widget = w.findChild<QWidget *>(target);
        QVERIFY(widget);
        const QPoint start = w.pos();
        const QPoint local(widget->width() / 2, widget->height() / 2);
        const QPoint global = widget->mapToGlobal(local);
        const auto b = Qt::MouseButton(button);

        QMouseEvent press(QEvent::MouseButtonPress, local, global, b, b, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        // The move arrives in three steps whose sum is the travel.
        const QPoint steps[] = {travel / 3, travel / 3, travel - 2 * (travel / 3)};
        QPoint at = global;
        for (const QPoint &step : steps) {
            at += step;
            QMouseEvent moveEvent(QEvent::MouseMove, widget->mapFromGlobal(at), at, Qt::NoButton, b,
                                  Qt::NoModifier);
            QApplication::sendEvent(widget, &moveEvent);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, widget->mapFromGlobal(at), at, b, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
        QCOMPARE(w.pos() - start, expectedMove);

        // After the release a move leaves the window where it is.
        const QPoint after = w.pos();
        QMouseEvent stray(QEvent::MouseMove, local, at + QPoint(30, 30), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &stray);
        QCOMPARE(w.pos(), after);
    }

    void helpLinksReachTheVendorLibrary()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        Brevane w;

        const QList<QAction *> actions = w.helpMenu->actions();
        QStringList titles;
        for (QAction *action : actions)
            titles << action->text();
        QCOMPARE(titles, (QStringList{QStringLiteral("使用教程"), QStringLiteral("产品官网"),
                                      QStringLiteral("关于我们"), QStringLiteral("检查更新")}));
        QCOMPARE(w.helpMenu->parent(), &w);

        actions.at(0)->trigger();
        actions.at(1)->trigger();
        w.ui->btnCustomer->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QCOMPARE(recorder.urls.size(), 3);
        const QStringList keys{QStringLiteral("tutorial"), QStringLiteral("home"),
                               QStringLiteral("chatwithus")};
        for (int i = 0; i < keys.size(); ++i) {
            const QUrl &url = recorder.urls.at(i);
            QVERIFY2(url.fileName() == keys.at(i) + QStringLiteral(".html"), qPrintable(url.toString()));
            QVERIFY2(url.query().isEmpty(), qPrintable(url.toString()));
        }
    }

    void helpButtonOpensTheMenu()
    {
        Brevane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTimer::singleShot(0, &w, [&w] { w.ui->btnHelp->click(); });
        QTRY_VERIFY(w.helpMenu->isVisible());
        QCOMPARE(w.helpMenu->pos(), w.ui->btnHelp->mapToGlobal(QPoint(0, w.ui->btnHelp->height())));
        w.helpMenu->hide();
    }

    void changeSaveFolder_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        const QString folder = root + QStringLiteral("/chosen folder");
        QDir().mkpath(folder);
        QTest::newRow("folder with a blank") << folder << folder + QStringLiteral("/");
        QTest::newRow("file system root") << QStringLiteral("/") << QStringLiteral("//");
        QTest::newRow("cancelled") << QString() << QString();
    }

    void changeSaveFolder()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        Brevane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString before = w.saveFolder;
        if (expected.isNull())
            expected = before;
        answerFolderDialog(chosen);
        w.slot_changeSaveDir();
        QCOMPARE(w.saveFolder, expected);
        QCOMPARE(w.ui->labelPath->text(), expected);
    }

    void openingTheFolderKeepsItUsable()
    {
        // A stand-in for the desktop's opener that notes what it was asked to open.
        const QString binDir = root + QStringLiteral("/opener");
        QVERIFY(QDir().mkpath(binDir));
        const QString note = root + QStringLiteral("/opened.txt");
        QFile script(binDir + QStringLiteral("/xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(note).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", binDir.toLocal8Bit() + ':' + path);

        Brevane w;
        const QString folder = w.saveFolder;
        w.ui->btnOpenDir->click();
        qputenv("PATH", path);

        QCOMPARE(w.saveFolder, folder);
        QCOMPARE(w.ui->labelPath->text(), folder);
        QTRY_VERIFY(QFileInfo::exists(note));
        QFile opened(note);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(QUrl(QString::fromUtf8(opened.readAll())).toLocalFile(), folder);
    }

    void keysIgnoredInTheOtherWindows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("list window") << "voiceList";
        QTest::newRow("task dialog") << "recordByTime";
        QTest::newRow("floating window") << "floatWidget";
    }

    void keysIgnoredInTheOtherWindows()
    {
        QFETCH(QString, window);
        Brevane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget *other = window == QLatin1String("voiceList")      ? static_cast<QWidget *>(w.voiceList)
                         : window == QLatin1String("recordByTime") ? static_cast<QWidget *>(w.recordByTime)
                                                                   : static_cast<QWidget *>(w.floatWidget);
        other->show();
        QVERIFY(QTest::qWaitForWindowExposed(other));
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));

        for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_F9})
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : other, key);
        QCOMPARE(w.recordState, Idle);
        QCOMPARE(w.ui->btnStart->text(), QStringLiteral("开始录制(F7)"));
    }

    void closeAsksWhileAStartLiesAhead_data()
    {
        QTest::addColumn<QList<int>>("startOffsets");
        QTest::addColumn<bool>("asks");
        QTest::newRow("no task") << QList<int>{} << false;
        QTest::newRow("start ten minutes ahead") << QList<int>{600} << true;
        QTest::newRow("start passed, end ahead") << QList<int>{-60} << false;
        QTest::newRow("passed then ahead") << QList<int>{-60, 600} << true;
    }

    void closeAsksWhileAStartLiesAhead()
    {
        QFETCH(QList<int>, startOffsets);
        QFETCH(bool, asks);

        const QDateTime now(QDate(2024, 5, 6), QTime(10, 0, 0));
        Brevane w;
        w.clock = [now] { return now; };
        for (int offset : startOffsets) {
            w.startTimeList.append(now.addSecs(offset));
            w.endTimeList.append(now.addSecs(3600));
            w.deviceList.append(0);
        }
        w.show();
        w.ui->radioButtonYes->click();
        QVERIFY(w.floatWidget->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        w.ui->btnClose->click();
        if (!asks) {
            QVERIFY(!w.closePrompt);
            QVERIFY(!w.isVisible());
            QVERIFY(!w.floatWidget->isVisible());
            return;
        }
        QVERIFY(w.closePrompt);
        QVERIFY(w.closePrompt->isVisible());
        QVERIFY(w.isVisible());
        // It opens over the middle of the main window, where the user looks.
        QVERIFY((w.closePrompt->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() <=
                2);
        const auto text = [&w](const char *name) {
            return w.closePrompt->findChild<QLabel *>(QLatin1String(name))->text();
        };
        QCOMPARE(text("labelTipText1"), QStringLiteral("您是否要关闭软件？"));
        QCOMPARE(text("labelTipText2"), QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空"));
        auto *keepGoing = w.closePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera1"));
        auto *closeAll = w.closePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"));
        QCOMPARE(keepGoing->text(), QStringLiteral("继续录制"));
        QCOMPARE(closeAll->text(), QStringLiteral("仍然关闭"));

        keepGoing->click();
        QVERIFY(w.isVisible());
        QCOMPARE(w.startTimeList.size(), startOffsets.size());

        w.ui->btnClose->click();
        w.closePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"))->click();
        QVERIFY(w.startTimeList.isEmpty());
        QCOMPARE(w.endTimeList.size(), startOffsets.size());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.floatWidget->isVisible());
        // The pass after the confirmation emptied the starts must not trip over it.
        w.slot_timeOut();
    }

    void closeAnywayEndsWithEveryPromptGone()
    {
        const QDateTime now(QDate(2024, 5, 6), QTime(10, 0, 0));
        Brevane w;
        w.clock = [now] { return now; };
        w.startTimeList.append(now.addSecs(600));
        w.endTimeList.append(now.addSecs(3600));
        w.deviceList.append(0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A second press while the first prompt is open opens a second prompt.
        w.ui->btnClose->click();
        QToolTipWidget *first = w.closePrompt;
        w.ui->btnClose->click();
        QVERIFY(w.closePrompt != first);
        QVERIFY(first->isVisible() && w.closePrompt->isVisible());

        w.closePrompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"))->click();
        QStringList stillShown;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                stillShown << QString::fromLatin1(window->metaObject()->className());
        QVERIFY2(stillShown.isEmpty(), qPrintable(stillShown.join(QLatin1Char(' '))));
        delete first;
    }

    void companionWindowsFollowTheirControls()
    {
        const auto writeCatalogue = [this](int entries) {
            QJsonArray array;
            for (int i = 0; i < entries; ++i)
                array.append(QJsonObject{{QStringLiteral("fileName"), QStringLiteral("10_00_0%1.mp3").arg(i)},
                                         {QStringLiteral("size"), QStringLiteral("0.01MB")},
                                         {QStringLiteral("date"), QStringLiteral("2024-05-06 10:00")},
                                         {QStringLiteral("audioLength"), QStringLiteral("00:00:05")}});
            QFile file(appDir.filePath(QStringLiteral("Brevane.json")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(array).toJson());
        };
        writeCatalogue(1);
        Brevane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *rows = w.voiceList->findChild<QListWidget *>(QStringLiteral("FileListWidget"));
        QVERIFY(rows);

        // The list button toggles the list window, which reads the catalogue anew when shown.
        writeCatalogue(2);
        w.ui->btnVoiceList->click();
        QVERIFY(w.voiceList->isVisible());
        QCOMPARE(rows->count(), 2);
        w.ui->btnVoiceList->click();
        QVERIFY(w.voiceList->isHidden());
        writeCatalogue(3);
        w.ui->btnVoiceList->click();
        QVERIFY(w.voiceList->isVisible());
        QCOMPARE(rows->count(), 3);
        w.ui->btnVoiceList->click();
        QFile::remove(appDir.filePath(QStringLiteral("Brevane.json")));

        // The task button toggles the task dialog.
        w.ui->btnRecordByTime->click();
        QVERIFY(w.recordByTime->isVisible());
        w.ui->btnRecordByTime->click();
        QVERIFY(w.recordByTime->isHidden());

        // The floating window follows the radio buttons; its own request to
        // hide leaves "是" checked, and "是" shows it again.
        w.ui->radioButtonYes->click();
        QVERIFY(w.floatWidget->isVisible());
        emit w.floatWidget->signal_hideFloat();
        QVERIFY(w.floatWidget->isHidden());
        QVERIFY(w.ui->radioButtonYes->isChecked());
        w.ui->radioButtonYes->click();
        QVERIFY(w.floatWidget->isVisible());
        w.ui->radioButtonNo->click();
        QVERIFY(w.floatWidget->isHidden());
        w.ui->radioButtonYes->click();

        // Its customer entry does nothing.
        emit w.floatWidget->signal_customer();
        QVERIFY(w.floatWidget->isVisible() && w.isVisible() && !w.isMinimized());
        QVERIFY(w.voiceList->isHidden() && w.recordByTime->isHidden());

        // Minimise, and restore from the floating window.
        w.ui->btnMin->click();
        QVERIFY(w.isMinimized());
        emit w.floatWidget->signal_showMainWindow();
        QVERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());

        // Its task entry restores the main window and shows the task dialog,
        // without hiding a task dialog already shown.
        w.ui->btnMin->click();
        QVERIFY(w.isMinimized());
        emit w.floatWidget->signal_recordByTime();
        QVERIFY(!w.isMinimized());
        QVERIFY(w.recordByTime->isVisible());
        emit w.floatWidget->signal_recordByTime();
        QVERIFY(w.recordByTime->isVisible());
    }
};

QTEST_MAIN(TestBrevaneWindow)
#include "tst_brevanewindow.moc"
