// The main window as a window: its form, dragging, the save folder, the help
// links and the close confirmation.
#include "Brevane.h"
#include "BrevaneProbe.h"
#include "Clock.h"
#include "FloatWidget.h"
#include "Platform.h"
#include "QToolTipWidget.h"
#include "RecordByTime.h"
#include "VoiceList.h"

#include "UrlRecorder.h"
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
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <QtTest>

namespace {
QList<QToolTipWidget *> allPrompts()
{
    QList<QToolTipWidget *> prompts;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *prompt = qobject_cast<QToolTipWidget *>(window); prompt && prompt->isVisible())
            prompts << prompt;
    }
    return prompts;
}

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

class TestBrevaneWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir appDir;
    QString root = QString::fromLocal8Bit(qgetenv("QUELLIN_TEST_ROOT"));

    // labelPath shows the folder whole when it fits, else cut in the middle,
    // and always carries the whole path as its tool tip.
    static void checkPathLabel(const Brevane &w, const QString &folder)
    {
        const QLabel *label = child<QLabel>(w, "labelPath");
        QCOMPARE(label->toolTip(), QDir::toNativeSeparators(folder));
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
                 qPrintable(QStringLiteral("%1: %2 > %3")
                                .arg(label->text())
                                .arg(label->fontMetrics().horizontalAdvance(label->text()))
                                .arg(label->contentsRect().width())));
        if (!label->text().contains(QChar(0x2026)))
            QCOMPARE(label->text(), folder);
    }

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
            QCOMPARE(first.currentSaveFolder(), expected);
            checkPathLabel(first, expected);
        }
        QVERIFY(QFileInfo(expected).isDir());
        QCOMPARE(logLines(appDir.path()), QStringList{QStringLiteral("create dir success")});
        {
            Brevane second;
            QCOMPARE(second.currentSaveFolder(), expected);
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
            QCOMPARE(third.currentSaveFolder(), bareHome + QStringLiteral("/Documents/ZeltoAudioRecord/"));
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
        QCOMPARE(child<QComboBox>(w, "comboboxVoiceFrom")->count(), 3);
        QCOMPARE(child<QComboBox>(w, "comboBoxQuality")->itemText(2), QStringLiteral("320kbps"));
        QVERIFY(child<QRadioButton>(w, "radioButtonNo")->isChecked());
        QVERIFY(!child<QRadioButton>(w, "radioButtonYes")->isChecked());
        QVERIFY(child<QLabel>(w, "labelTime")->text().isEmpty());
        QVERIFY(topLevel<FloatWidget>()->isHidden());
        QVERIFY(topLevel<VoiceList>()->isHidden());
        QVERIFY(child<QWidget>(w, "widgetRecommend")->isHidden());
        QCOMPARE(taskTimerOf(w)->interval(), 1000);
        QVERIFY(taskTimerOf(w)->isActive());
        QList<QKeySequence> keys;
        for (const QShortcut *shortcut : w.findChildren<QShortcut *>()) {
            keys << shortcut->key();
            QCOMPARE(shortcut->context(), Qt::WindowShortcut);
        }
        QCOMPARE(keys.size(), 3);
        for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_F9})
            QVERIFY(keys.contains(QKeySequence(key)));
        QCOMPARE(w.currentRecordState(), Idle);
    }

    void enlargingKeepsFixedParts()
    {
        Brevane w;
        w.resize(1200, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(1200, 800));
        QCOMPARE(child<QLabel>(w, "labelPath")->size(), QSize(200, 28));
        QCOMPARE(child<QLabel>(w, "label_4")->width(), 100);
        QCOMPARE(child<QLabel>(w, "label_6")->width(), 100);
        for (QWidget *button : {static_cast<QWidget *>(child<QPushButton>(w, "btnStart")),
                                static_cast<QWidget *>(child<QPushButton>(w, "btnEnd"))}) {
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
        Brevane w;

        const QList<QAction *> actions = w.findChild<QMenu *>()->actions();
        QStringList titles;
        for (QAction *action : actions)
            titles << action->text();
        QCOMPARE(titles, (QStringList{QStringLiteral("使用教程"), QStringLiteral("产品官网"),
                                      QStringLiteral("关于我们"), QStringLiteral("检查更新")}));
        QCOMPARE(w.findChild<QMenu *>()->parent(), &w);

        actions.at(0)->trigger();
        actions.at(1)->trigger();
        child<QPushButton>(w, "btnCustomer")->click();

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
        QTimer::singleShot(0, &w, [&w] { child<QPushButton>(w, "btnHelp")->click(); });
        QTRY_VERIFY(w.findChild<QMenu *>()->isVisible());
        QCOMPARE(w.findChild<QMenu *>()->pos(),
                 child<QPushButton>(w, "btnHelp")
                     ->mapToGlobal(QPoint(0, child<QPushButton>(w, "btnHelp")->height())));
        w.findChild<QMenu *>()->hide();
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
        const QString before = w.currentSaveFolder();
        if (expected.isNull())
            expected = before;
        answerFolderDialog(chosen);
        w.slot_changeSaveDir();
        QCOMPARE(w.currentSaveFolder(), expected);
        checkPathLabel(w, expected);
    }

    void companionWindowsOpenOverTheMainWindowThenStay_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("list window") << "btnVoiceList";
        QTest::newRow("task dialog") << "btnRecordByTime";
    }

    void companionWindowsOpenOverTheMainWindowThenStay()
    {
        QFETCH(QString, button);
        Brevane w;
        w.move(150, 120);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *toggle = child<QPushButton>(w, button.toLatin1().constData());
        toggle->click();
        QWidget *companion = QApplication::activeWindow() != &w ? QApplication::activeWindow() : nullptr;
        if (!companion) {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window != &w && window->isVisible())
                    companion = window;
        }
        QVERIFY(companion);
        QVERIFY(QTest::qWaitForWindowExposed(companion));
        QVERIFY2((companion->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(companion->x()).arg(companion->y())));

        // Moved by the user, hidden and shown again: it stays where it was left.
        companion->move(companion->pos() + QPoint(-90, 60));
        const QPoint left = companion->pos();
        toggle->click();
        QVERIFY(companion->isHidden());
        toggle->click();
        QVERIFY(companion->isVisible());
        QCOMPARE(companion->pos(), left);
        companion->hide();
    }

    void floatingWindowFirstOpensBesideTheMainWindow()
    {
        Brevane w;
        w.move(100, 100);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        child<QRadioButton>(w, "radioButtonYes")->click();
        auto *floating = topLevel<FloatWidget>();
        QVERIFY(QTest::qWaitForWindowExposed(floating));
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY(screen.contains(floating->frameGeometry()));
        QVERIFY(!floating->frameGeometry().intersects(w.frameGeometry()));
        // Near the top-right corner of the screen.
        QVERIFY(floating->frameGeometry().right() > screen.center().x());
        QVERIFY(floating->frameGeometry().top() < screen.center().y());

        floating->move(floating->pos() - QPoint(200, 0));
        const QPoint left = floating->pos();
        child<QRadioButton>(w, "radioButtonNo")->click();
        child<QRadioButton>(w, "radioButtonYes")->click();
        QCOMPARE(floating->pos(), left);
        child<QRadioButton>(w, "radioButtonNo")->click();
    }

    void longSaveFolderKeepsItsNameVisible()
    {
        Brevane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString longFolder = root + QStringLiteral("/a rather long folder name/that goes on and on/"
                                                         "deeper still/录音 2024 年 春季");
        QVERIFY(QDir().mkpath(longFolder));
        answerFolderDialog(longFolder);
        w.slot_changeSaveDir();
        QLabel *label = child<QLabel>(w, "labelPath");
        QCOMPARE(label->size(), QSize(200, 28));
        QVERIFY2(label->text().contains(QChar(0x2026)), qPrintable(label->text()));
        // The folder's own name stays whole.
        QVERIFY2(label->text().endsWith(QStringLiteral("/录音 2024 年 春季/")), qPrintable(label->text()));
        checkPathLabel(w, longFolder + QLatin1Char('/'));

        // A later change replaces both the text and the tool tip.
        answerFolderDialog(root);
        w.slot_changeSaveDir();
        checkPathLabel(w, root + QLatin1Char('/'));
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
        const QString folder = w.currentSaveFolder();
        child<QPushButton>(w, "btnOpenDir")->click();
        qputenv("PATH", path);

        QCOMPARE(w.currentSaveFolder(), folder);
        checkPathLabel(w, folder);
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
        QWidget *other = window == QLatin1String("voiceList") ? static_cast<QWidget *>(topLevel<VoiceList>())
                         : window == QLatin1String("recordByTime")
                             ? static_cast<QWidget *>(topLevel<RecordByTime>())
                             : static_cast<QWidget *>(topLevel<FloatWidget>());
        other->show();
        QVERIFY(QTest::qWaitForWindowExposed(other));
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));

        for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_F9})
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : other, key);
        QCOMPARE(w.currentRecordState(), Idle);
        QCOMPARE(child<QPushButton>(w, "btnStart")->text(), QStringLiteral("开始录制(F7)"));
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
        Clock::setSource([now] { return now; });
        Brevane w;
        for (int offset : startOffsets)
            w.slot_recordByTime(now.addSecs(offset), now.addSecs(3600), 0);
        w.show();
        child<QRadioButton>(w, "radioButtonYes")->click();
        QVERIFY(topLevel<FloatWidget>()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        child<QPushButton>(w, "btnClose")->click();
        const QString title = QStringLiteral("您是否要关闭软件？");
        if (!asks) {
            QVERIFY(!promptTitled<QToolTipWidget>(title));
            QVERIFY(!w.isVisible());
            QVERIFY(!topLevel<FloatWidget>()->isVisible());
            return;
        }
        QToolTipWidget *prompt = promptTitled<QToolTipWidget>(title);
        QVERIFY(prompt);
        QVERIFY(w.isVisible());
        // It opens over the middle of the main window, where the user looks.
        QVERIFY((prompt->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() <= 2);
        const auto text = [prompt](const char *name) {
            return prompt->findChild<QLabel *>(QLatin1String(name))->text();
        };
        QCOMPARE(text("labelTipText1"), QStringLiteral("您是否要关闭软件？"));
        QCOMPARE(text("labelTipText2"), QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空"));
        auto *keepGoing = prompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera1"));
        auto *closeAll = prompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"));
        QCOMPARE(keepGoing->text(), QStringLiteral("继续录制"));
        QCOMPARE(closeAll->text(), QStringLiteral("仍然关闭"));

        keepGoing->click();
        QVERIFY(w.isVisible());
        // The tasks are still there: the next close asks again.
        child<QPushButton>(w, "btnClose")->click();
        prompt = promptTitled<QToolTipWidget>(title);
        QVERIFY(prompt);
        prompt->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"))->click();
        QVERIFY(!w.isVisible());
        QVERIFY(!topLevel<FloatWidget>()->isVisible());
        // The pass after the confirmation emptied the tasks must not trip over it.
        w.slot_timeOut();
        Clock::setSource({});
    }

    void closeAnywayEndsWithEveryPromptGone()
    {
        const QDateTime now(QDate(2024, 5, 6), QTime(10, 0, 0));
        Clock::setSource([now] { return now; });
        Brevane w;
        w.slot_recordByTime(now.addSecs(600), now.addSecs(3600), 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A second press while the first prompt is open opens a second prompt.
        child<QPushButton>(w, "btnClose")->click();
        const QList<QToolTipWidget *> before = allPrompts();
        QCOMPARE(before.size(), 1);
        child<QPushButton>(w, "btnClose")->click();
        const QList<QToolTipWidget *> after = allPrompts();
        QCOMPARE(after.size(), 2);
        QToolTipWidget *first = before.first();
        QToolTipWidget *second = after.at(after.indexOf(first) == 0 ? 1 : 0);
        QVERIFY(first->isVisible() && second->isVisible());

        second->findChild<QAbstractButton *>(QStringLiteral("btnOpera2"))->click();
        Clock::setSource({});
        QStringList stillShown;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                stillShown << QString::fromLatin1(window->metaObject()->className());
        QVERIFY2(stillShown.isEmpty(), qPrintable(stillShown.join(QLatin1Char(' '))));
        // The newest prompt goes with the main window.
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
        auto *rows = topLevel<VoiceList>()->findChild<QListWidget *>(QStringLiteral("FileListWidget"));
        QVERIFY(rows);

        // The list button toggles the list window, which reads the catalogue anew when shown.
        writeCatalogue(2);
        child<QPushButton>(w, "btnVoiceList")->click();
        QVERIFY(topLevel<VoiceList>()->isVisible());
        QCOMPARE(rows->count(), 2);
        child<QPushButton>(w, "btnVoiceList")->click();
        QVERIFY(topLevel<VoiceList>()->isHidden());
        writeCatalogue(3);
        child<QPushButton>(w, "btnVoiceList")->click();
        QVERIFY(topLevel<VoiceList>()->isVisible());
        QCOMPARE(rows->count(), 3);
        child<QPushButton>(w, "btnVoiceList")->click();
        QFile::remove(appDir.filePath(QStringLiteral("Brevane.json")));

        // The task button toggles the task dialog.
        child<QPushButton>(w, "btnRecordByTime")->click();
        QVERIFY(topLevel<RecordByTime>()->isVisible());
        child<QPushButton>(w, "btnRecordByTime")->click();
        QVERIFY(topLevel<RecordByTime>()->isHidden());

        // The floating window follows the radio buttons; its own request to
        // hide sets the option back to "否", and "是" shows it again.
        child<QRadioButton>(w, "radioButtonYes")->click();
        QVERIFY(topLevel<FloatWidget>()->isVisible());
        emit topLevel<FloatWidget>()->signal_hideFloat();
        QVERIFY(topLevel<FloatWidget>()->isHidden());
        QVERIFY(child<QRadioButton>(w, "radioButtonNo")->isChecked());
        child<QRadioButton>(w, "radioButtonYes")->click();
        QVERIFY(topLevel<FloatWidget>()->isVisible());
        child<QRadioButton>(w, "radioButtonNo")->click();
        QVERIFY(topLevel<FloatWidget>()->isHidden());
        child<QRadioButton>(w, "radioButtonYes")->click();

        // Its customer entry does nothing.
        emit topLevel<FloatWidget>()->signal_customer();
        QVERIFY(topLevel<FloatWidget>()->isVisible() && w.isVisible() && !w.isMinimized());
        QVERIFY(topLevel<VoiceList>()->isHidden() && topLevel<RecordByTime>()->isHidden());

        // Minimise, and restore from the floating window.
        child<QPushButton>(w, "btnMin")->click();
        QVERIFY(w.isMinimized());
        emit topLevel<FloatWidget>()->signal_showMainWindow();
        QVERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());

        // Its task entry restores the main window and shows the task dialog,
        // without hiding a task dialog already shown.
        child<QPushButton>(w, "btnMin")->click();
        QVERIFY(w.isMinimized());
        emit topLevel<FloatWidget>()->signal_recordByTime();
        QVERIFY(!w.isMinimized());
        QVERIFY(topLevel<RecordByTime>()->isVisible());
        emit topLevel<FloatWidget>()->signal_recordByTime();
        QVERIFY(topLevel<RecordByTime>()->isVisible());
    }
};

QTEST_MAIN(TestBrevaneWindow)
#include "tst_brevanewindow.moc"
