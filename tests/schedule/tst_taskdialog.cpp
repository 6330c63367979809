#include "Clock.h"
#include "FakeRecorder.h"
#include "QCustomShadowEffect.h"
#include "QToolTipWidget.h"
#include "RecordByTime.h"
#include "TaskScheduler.h"
#include "TestSupport.h"
#include "UiScale.h"
#include "timeTaskItem.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QDate Today(2024, 1, 5);

QDateTime at(const QString &time)
{
    return QDateTime(Today, QTime::fromString(time, QStringLiteral("hh:mm:ss")));
}

template <typename T> T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

bool showAt(QWidget &window, const QPoint &pos)
{
    window.move(pos);
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowExposed(&window);
}

// Types a time into a time editor as a user does: a double click selects the
// hour, and the sections advance by themselves as their digits are typed.
void typeTime(QWidget &dialog, const char *editor, const QString &hhmmss)
{
    auto *edit = child<QTimeEdit>(dialog, editor);
    QLineEdit *line = edit->findChild<QLineEdit *>();
    QTest::mouseDClick(line, Qt::LeftButton, {}, QPoint(6, line->height() / 2));
    QTest::keyClicks(edit, QString(hhmmss).remove(QLatin1Char(':')));
    QCOMPARE(edit->time(), QTime::fromString(hhmmss, QStringLiteral("hh:mm:ss")));
}

void typeName(QWidget &dialog, const QString &name)
{
    auto *edit = child<QLineEdit>(dialog, "lineEditTaskName");
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    // Key events carry the characters themselves, Chinese ones included.
    for (QChar c : name)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void clickCentre(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void create(QWidget &dialog)
{
    clickCentre(child<QPushButton>(dialog, "btnCreateTask"));
}

QList<timeTaskItem *> rows(QWidget &dialog)
{
    auto *list = child<QListWidget>(dialog, "listWidgetTask");
    QList<timeTaskItem *> found;
    for (int i = 0; i < list->count(); ++i)
        found.append(qobject_cast<timeTaskItem *>(list->itemWidget(list->item(i))));
    return found;
}

QStringList rowNames(QWidget &dialog)
{
    QStringList names;
    for (timeTaskItem *row : rows(dialog))
        names.append(child<QLabel>(*row, "labelTaskName")->text());
    return names;
}

QString readErrorFile()
{
    QFile file(QStringLiteral("errOut.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// A name of exactly `width` pixels in the font, made of two letters.
QString nameOfWidth(const QFontMetrics &metrics, int width)
{
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    for (QChar first : letters) {
        for (QChar second : letters) {
            for (int n = 1; n < 12; ++n) {
                for (int m = 0; m < 12; ++m) {
                    const QString name = QString(n, first) + QString(m, second);
                    if (metrics.horizontalAdvance(name) == width)
                        return name;
                }
            }
        }
    }
    return QString();
}

} // namespace

class TestTaskDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void builtWithTodaysDefaults();
    void refused_data();
    void refused();
    void sameMinuteIsSentCutToTheMinute();
    void nameTakesFortyCharacters();
    void twoPressesGiveTwoRowsAndTwoTasks();
    void source_data();
    void source();
    void indexesSurviveRemovals();
    void removedRowCancelsItsTask();
    void escapeAndCloseHide();
    void dragsWithTheLeftButtonOnly();

    void rowNameElision_data();
    void rowNameElision();
    void rowsReportTheirOwnIndex();

    void screenshots_data();
    void screenshots();

private:
    QTemporaryDir workDir{TestSupport::testRoot() + QStringLiteral("/dialog-XXXXXX")};
    QDateTime now;
};

void TestTaskDialog::initTestCase()
{
    // "errOut.txt" is written to the working directory.
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void TestTaskDialog::init()
{
    QFile::remove(QStringLiteral("errOut.txt"));
    now = at("09:07:20");
    Clock::setSource([this] { return now; });
}

void TestTaskDialog::cleanup()
{
    Clock::setSource({});
    uiScale = 1.0f;
}

void TestTaskDialog::builtWithTodaysDefaults()
{
    RecordByTime dialog;
    QCOMPARE(dialog.size(), QSize(608, 538));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("定时录制"));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    auto *shadow = qobject_cast<QCustomShadowEffect *>(dialog.graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->blurRadius(), 8.0);
    QCOMPARE(shadow->distance(), 1.0);
    QCOMPARE(shadow->color(), QColor(209, 209, 209, 255));

    QCOMPARE(child<QLineEdit>(dialog, "lineEditTaskName")->text(), QStringLiteral("task1"));
    for (const char *day : {"dateEditStartDay", "dateEditEndDay"}) {
        QCOMPARE(child<QDateEdit>(dialog, day)->date(), Today);
        QVERIFY(child<QDateEdit>(dialog, day)->calendarPopup());
    }
    for (const char *time : {"timeEditStartTime", "timeEditEndTime"})
        QCOMPARE(child<QTimeEdit>(dialog, time)->time(), QTime(9, 7, 20));
    QVERIFY(child<QRadioButton>(dialog, "radioButton3")->isChecked());
}

void TestTaskDialog::refused_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("pressedAt");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("startNotEarlier");

    const QString order = QStringLiteral("开始时间必须早于停止时间");
    const QString past = QStringLiteral("停止时间已过，请重新设置停止时间");
    QTest::newRow("equal times as built") << ""
                                          << ""
                                          << "09:07:20" << order << true;
    QTest::newRow("end before start") << "10:00:00"
                                      << "09:30:00"
                                      << "09:07:20" << order << true;
    QTest::newRow("end minute past") << "08:00:00"
                                     << "09:06:59"
                                     << "09:07:20" << past << false;
    // Cut to the minute, this end is 09:07:00: already past at 09:07:20.
    QTest::newRow("end later in the current minute") << "09:07:10"
                                                     << "09:07:50"
                                                     << "09:07:20" << past << false;
    QTest::newRow("end passed while the dialog stood open") << "09:10:00"
                                                            << "09:30:00"
                                                            << "09:45:00" << past << false;
}

void TestTaskDialog::refused()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, pressedAt);
    QFETCH(QString, reason);
    QFETCH(bool, startNotEarlier);

    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    if (!start.isEmpty())
        typeTime(dialog, "timeEditStartTime", start);
    if (!end.isEmpty())
        typeTime(dialog, "timeEditEndTime", end);
    QSignalSpy sent(&dialog, &RecordByTime::signal_sendTime);
    QSignalSpy sentTask(&dialog, &RecordByTime::signal_sendTask);

    now = at(pressedAt);
    if (startNotEarlier)
        QTest::ignoreMessage(QtDebugMsg, "time err: start time can not bigger end time");
    create(dialog);

    QVERIFY(sent.isEmpty());
    QVERIFY(sentTask.isEmpty());
    QVERIFY(rows(dialog).isEmpty());
    QCOMPARE(readErrorFile(),
             startNotEarlier ? QString()
                             : QStringLiteral("can not record audio: end time must bigger current time"));

    auto *prompt = dialog.findChild<QToolTipWidget *>();
    QVERIFY(prompt && prompt->isVisible());
    QCOMPARE(child<QLabel>(*prompt, "labelTipText2")->text(), reason);
    clickCentre(child<QPushButton>(*prompt, "btnOpera2"));
    QVERIFY(!prompt->isVisible());
    QVERIFY(dialog.isVisible());
}

void TestTaskDialog::sameMinuteIsSentCutToTheMinute()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    typeTime(dialog, "timeEditStartTime", QStringLiteral("09:30:10"));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("09:30:50"));
    QSignalSpy sent(&dialog, &RecordByTime::signal_sendTime);
    QSignalSpy sentTask(&dialog, &RecordByTime::signal_sendTask);
    create(dialog);

    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0), (QVariantList{at("09:30:00"), at("09:30:00"), 2}));
    QCOMPARE(sentTask.at(0), (QVariantList{0, at("09:30:00"), at("09:30:00"), 2}));
    QCOMPARE(rowNames(dialog), QStringList{"task1"});
    QVERIFY(!dialog.findChild<QToolTipWidget *>());
}

void TestTaskDialog::nameTakesFortyCharacters()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    auto *edit = child<QLineEdit>(dialog, "lineEditTaskName");
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QString(36, QLatin1Char('x')));
    QCOMPARE(edit->text(), QStringLiteral("task1") + QString(35, QLatin1Char('x')));
}

void TestTaskDialog::twoPressesGiveTwoRowsAndTwoTasks()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("10:00:00"));
    QSignalSpy sent(&dialog, &RecordByTime::signal_sendTime);
    QSignalSpy sentTask(&dialog, &RecordByTime::signal_sendTask);
    create(dialog);
    create(dialog);

    const QVariantList task{at("09:07:00"), at("10:00:00"), 2};
    QCOMPARE(sent, (QList<QVariantList>{task, task}));
    QCOMPARE(sentTask.at(0).at(0).toInt(), 0);
    QCOMPARE(sentTask.at(1).at(0).toInt(), 1);
    // The form keeps its contents, and the rows show the times without
    // leading zeros in month and day.
    QCOMPARE(child<QLineEdit>(dialog, "lineEditTaskName")->text(), QStringLiteral("task1"));
    const QList<timeTaskItem *> listed = rows(dialog);
    QCOMPARE(listed.size(), 2);
    for (timeTaskItem *row : listed) {
        QCOMPARE(child<QLabel>(*row, "labelTaskName")->text(), QStringLiteral("task1"));
        QCOMPARE(child<QLabel>(*row, "labelStartTime")->text(), QStringLiteral("2024-1-5 09:07"));
        QCOMPARE(child<QLabel>(*row, "labelEndTime")->text(), QStringLiteral("2024-1-5 10:00"));
    }
}

void TestTaskDialog::source_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("device");
    QTest::newRow("as built") << QStringList{} << 2;
    QTest::newRow("system sound") << QStringList{"radioButton1"} << 0;
    QTest::newRow("microphone") << QStringList{"radioButton2"} << 1;
    QTest::newRow("both, chosen again") << QStringList{"radioButton1", "radioButton3"} << 2;
}

void TestTaskDialog::source()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, device);
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("10:00:00"));
    for (const QString &name : clicks) {
        auto *radio = child<QRadioButton>(dialog, name.toLatin1().constData());
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    }
    QSignalSpy sent(&dialog, &RecordByTime::signal_sendTime);
    create(dialog);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(2).toInt(), device);
}

void TestTaskDialog::indexesSurviveRemovals()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("10:00:00"));
    QSignalSpy sentTask(&dialog, &RecordByTime::signal_sendTask);
    QSignalSpy removed(&dialog, &RecordByTime::signal_taskRemoved);
    for (const QString &name : QStringList{"a", "b", "c"}) {
        typeName(dialog, name);
        create(dialog);
    }
    QCOMPARE(rowNames(dialog), (QStringList{"a", "b", "c"}));

    const auto removeNamed = [&dialog](const QString &name) {
        for (timeTaskItem *row : rows(dialog)) {
            if (child<QLabel>(*row, "labelTaskName")->text() == name)
                clickCentre(child<QPushButton>(*row, "pushButton"));
        }
    };
    removeNamed(QStringLiteral("b"));
    QCOMPARE(rowNames(dialog), (QStringList{"a", "c"}));
    removeNamed(QStringLiteral("c"));
    QCOMPARE(rowNames(dialog), (QStringList{"a"}));
    QCOMPARE(removed, (QList<QVariantList>{{1}, {2}}));

    typeName(dialog, QStringLiteral("d"));
    create(dialog);
    QCOMPARE(sentTask.last().at(0).toInt(), 3);
    QCOMPARE(rowNames(dialog), (QStringList{"a", "d"}));
    removeNamed(QStringLiteral("d"));
    removeNamed(QStringLiteral("a"));
    QCOMPARE(removed, (QList<QVariantList>{{1}, {2}, {3}, {0}}));
    QVERIFY(rows(dialog).isEmpty());
}

void TestTaskDialog::removedRowCancelsItsTask()
{
    // Wired as the main window wires them.
    RecordByTime dialog;
    TaskScheduler scheduler;
    FakeRecorder recorder(scheduler);
    connect(&dialog, &RecordByTime::signal_sendTask, &scheduler, &TaskScheduler::addTask);
    connect(&dialog, &RecordByTime::signal_taskRemoved, &scheduler, &TaskScheduler::removeTask);
    QVERIFY(showAt(dialog, QPoint(100, 100)));

    typeName(dialog, QStringLiteral("kept"));
    typeTime(dialog, "timeEditStartTime", QStringLiteral("09:10:00"));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("09:20:00"));
    create(dialog);
    typeName(dialog, QStringLiteral("gone"));
    create(dialog);
    typeName(dialog, QStringLiteral("cut short"));
    typeTime(dialog, "timeEditStartTime", QStringLiteral("09:30:00"));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("09:40:00"));
    QTest::mouseClick(child<QRadioButton>(dialog, "radioButton2"), Qt::LeftButton, {}, QPoint(8, 15));
    create(dialog);

    const auto deleteRow = [&dialog](int position) {
        clickCentre(child<QPushButton>(*rows(dialog).at(position), "pushButton"));
    };
    deleteRow(1); // "gone", before it starts
    for (; now <= at("09:35:00"); now = now.addSecs(1)) {
        if (now == at("09:35:00"))
            deleteRow(1); // "cut short", while it records
        scheduler.slot_timeOut();
    }
    for (; now <= at("09:45:00"); now = now.addSecs(1))
        scheduler.slot_timeOut();
    QCOMPARE(recorder.events,
             (QStringList{"09:10:00 record 2", "09:20:00 save", "09:30:00 record 1", "09:35:00 save"}));
    QCOMPARE(rowNames(dialog), QStringList{"kept"});
}

void TestTaskDialog::escapeAndCloseHide()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    QTest::keyClick(child<QLineEdit>(dialog, "lineEditTaskName"), Qt::Key_Escape);
    QTRY_VERIFY(dialog.isHidden());

    QVERIFY(showAt(dialog, QPoint(100, 100)));
    clickCentre(child<QPushButton>(dialog, "btnClose"));
    QTRY_VERIFY(dialog.isHidden());
}

void TestTaskDialog::dragsWithTheLeftButtonOnly()
{
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(100, 100)));
    QWindow *window = dialog.windowHandle();
    // On the title bar, beside the title: the frames pass the mouse on to the dialog.
    const QPoint grip = child<QWidget>(dialog, "frame")->mapTo(&dialog, QPoint(300, 20));
    const QPoint before = dialog.pos();

    QTest::mousePress(window, Qt::RightButton, {}, grip);
    QTest::mouseMove(window, grip + QPoint(40, 30));
    QTest::mouseRelease(window, Qt::RightButton, {}, grip + QPoint(40, 30));
    QTest::qWait(100);
    QCOMPARE(dialog.pos(), before);

    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    QTest::mouseMove(window, grip + QPoint(40, 30));
    QTRY_COMPARE(dialog.pos(), before + QPoint(40, 30));
    QTest::mouseRelease(window, Qt::LeftButton, {}, grip);
}

void TestTaskDialog::rowNameElision_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("elided");
    QTest::newRow("empty") << 0 << false;
    QTest::newRow("exactly 40 px") << 40 << false;
    QTest::newRow("41 px") << 41 << true;
}

void TestTaskDialog::rowNameElision()
{
    QFETCH(int, width);
    QFETCH(bool, elided);
    const QFont font = child<QLabel>(*std::make_unique<timeTaskItem>("", "", "", 0), "labelTaskName")->font();
    const QFontMetrics metrics(font);
    const QString name = width ? nameOfWidth(metrics, width) : QString();
    QVERIFY2(width == 0 || !name.isEmpty(), "no name of that width in the row's font");

    timeTaskItem row(name, QStringLiteral("2024-1-5 09:07"), QStringLiteral("2024-1-5 10:00"), 0);
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    auto *label = child<QLabel>(row, "labelTaskName");
    QCOMPARE(label->font(), font);
    if (elided) {
        QVERIFY(label->text() != name);
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(label->text()) <= timeTaskItem::NameWidth);
        QCOMPARE(label->toolTip(), name);
    } else {
        QCOMPARE(label->text(), name);
        QVERIFY(label->toolTip().isEmpty());
    }
}

void TestTaskDialog::rowsReportTheirOwnIndex()
{
    QWidget holder;
    auto *layout = new QVBoxLayout(&holder);
    auto *first = new timeTaskItem("task1", "2024-1-5 09:07", "2024-1-5 10:00", 4, &holder);
    auto *second = new timeTaskItem("task1", "2024-1-5 09:07", "2024-1-5 10:00", 7, &holder);
    layout->addWidget(first);
    layout->addWidget(second);
    QVERIFY(showAt(holder, QPoint(100, 100)));
    QSignalSpy firstSpy(first, &timeTaskItem::signal_deleteFile);
    QSignalSpy secondSpy(second, &timeTaskItem::signal_deleteFile);
    clickCentre(child<QPushButton>(*second, "pushButton"));
    clickCentre(child<QPushButton>(*first, "pushButton"));
    QCOMPARE(firstSpy, (QList<QVariantList>{{4}}));
    QCOMPARE(secondSpy, (QList<QVariantList>{{7}}));
}

void TestTaskDialog::screenshots_data()
{
    QTest::addColumn<float>("scale");
    QTest::newRow("1.0") << 1.0f;
    QTest::newRow("1.5") << 1.5f;
}

void TestTaskDialog::screenshots()
{
    QFETCH(float, scale);
    uiScale = scale;
    RecordByTime dialog;
    QVERIFY(showAt(dialog, QPoint(60, 60)));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("10:00:00"));
    create(dialog);
    typeName(dialog, QStringLiteral("晨间会议录音-第二部分"));
    typeTime(dialog, "timeEditStartTime", QStringLiteral("11:30:00"));
    typeTime(dialog, "timeEditEndTime", QStringLiteral("12:15:00"));
    QTest::mouseClick(child<QRadioButton>(dialog, "radioButton2"), Qt::LeftButton, {}, QPoint(8, 15));
    create(dialog);
    QCOMPARE(rows(dialog).size(), 2);
    QTest::qWait(200);
    const QString path =
        TestSupport::saveScreenshot(&dialog, TestSupport::shotsDir(QStringLiteral("schedule")),
                                    QStringLiteral("taskdialog-%1").arg(scale));
    QVERIFY(!path.isEmpty());

    // The refusal, shown over the dialog.
    typeTime(dialog, "timeEditEndTime", QStringLiteral("11:00:00"));
    QTest::ignoreMessage(QtDebugMsg, "time err: start time can not bigger end time");
    create(dialog);
    auto *prompt = dialog.findChild<QToolTipWidget *>();
    QVERIFY(prompt && QTest::qWaitForWindowExposed(prompt));
    QTest::qWait(200);
    QVERIFY(!TestSupport::saveScreenshot(prompt, TestSupport::shotsDir(QStringLiteral("schedule")),
                                         QStringLiteral("refusal-%1").arg(scale))
                 .isEmpty());
}

QTEST_MAIN(TestTaskDialog)
#include "tst_taskdialog.moc"
