#include "SheetSamples.h"

#include "QCustomShadowEffect.h"
#include "QToolTipWidget.h"
#include "UiScale.h"

#include <QBitmap>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

template <typename T> T *named(const char *name, QWidget *parent = nullptr)
{
    auto *w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *label(const char *name, const QString &text)
{
    auto *l = named<QLabel>(name);
    l->setText(text);
    return l;
}

QPushButton *button(const char *name, const QString &text = QString())
{
    auto *b = named<QPushButton>(name);
    b->setText(text);
    return b;
}

QFrame *frame(const char *name)
{
    auto *f = named<QFrame>(name);
    f->setFrameShape(QFrame::NoFrame);
    return f;
}

template <typename Layout> Layout *layoutOf(QWidget *w, int spacing = 0, QMargins margins = QMargins())
{
    auto *l = new Layout(w);
    l->setSpacing(spacing);
    l->setContentsMargins(margins);
    return l;
}

void shadow(QWidget *w, const QColor &colour)
{
    auto *effect = new QCustomShadowEffect;
    effect->setBlurRadius(8.0);
    effect->setDistance(1.0);
    effect->setColor(colour);
    w->setGraphicsEffect(effect);
}

void frameless(QWidget *w)
{
    w->setWindowFlags(w->windowFlags() | Qt::FramelessWindowHint);
    w->setAttribute(Qt::WA_TranslucentBackground);
}

QComboBox *combo(const char *name, const QStringList &items, int minWidth)
{
    auto *c = named<QComboBox>(name);
    c->addItems(items);
    c->setMinimumSize(minWidth, 30);
    c->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return c;
}

QWidget *audioRow(const QString &name, const QString &length, const QString &size, const QString &date)
{
    auto *row = new QDialog;
    row->resize(481, 55);
    row->setMinimumSize(0, 55);
    auto *outer = layoutOf<QHBoxLayout>(row);
    auto *frame3 = named<QFrame>("frame_3");
    frame3->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(frame3);
    auto *h = layoutOf<QHBoxLayout>(frame3);
    auto *texts = named<QFrame>("frame");
    auto *buttons = named<QFrame>("frame_2");
    h->addWidget(texts, 3);
    h->addWidget(buttons, 1);
    auto *t = layoutOf<QHBoxLayout>(texts);
    const QStringList values = {name, length, size, date};
    const char *names[] = {"labelFileName", "labelAudioLength", "labelFileSize", "labelFileTime"};
    const int stretch[] = {2, 2, 1, 3};
    for (int i = 0; i < 4; ++i) {
        auto *l = label(names[i], values.at(i));
        l->setAlignment(Qt::AlignCenter);
        t->addWidget(l, stretch[i]);
    }
    auto *b = layoutOf<QHBoxLayout>(buttons, 6);
    for (const char *n : {"btnPlay", "btnOpenDir", "btnDelete"}) {
        auto *btn = button(n);
        btn->setFixedSize(20, 20);
        b->addWidget(btn);
    }
    row->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/audioItem.css")));
    return row;
}

QWidget *taskRow(const QString &name, const QString &start, const QString &end)
{
    auto *row = new QWidget;
    row->resize(363, 33);
    auto *outer = layoutOf<QHBoxLayout>(row);
    auto *main = named<QFrame>("frameMain");
    main->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(main);
    auto *h = layoutOf<QHBoxLayout>(main);
    h->addSpacing(25);
    auto *n = label("labelTaskName", name);
    n->setMinimumWidth(40);
    h->addWidget(n);
    h->addSpacing(25);
    h->addWidget(label("labelStartTime", start));
    h->addWidget(label("labelEndTime", end));
    h->addSpacing(60);
    auto *del = button("pushButton");
    del->setFixedSize(40, 20);
    h->addWidget(del);
    row->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/timeTaskItem.css")));
    return row;
}

// The floating window paints its background picture itself.
class FloatSample : public QDialog
{
public:
    QPixmap background{QStringLiteral(":/images/floatWidgetBackground.png")};

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, background);
    }
};

} // namespace

namespace SheetSamples {

QWidget *mainWindow()
{
    auto *w = new QWidget;
    w->setObjectName(QStringLiteral("BrevaneClass"));
    w->resize(858, 600);
    w->setMinimumSize(800, 600);
    auto *root = layoutOf<QVBoxLayout>(w, 0, QMargins(8, 8, 8, 8));
    auto *frameMain = frame("frameMain");
    frameMain->setMinimumSize(700, 460);
    root->addWidget(frameMain);
    auto *mainLayout = layoutOf<QVBoxLayout>(frameMain);

    auto *frameTop = named<QFrame>("frameTop");
    frameTop->setMinimumSize(700, 240);
    mainLayout->addWidget(frameTop);
    auto *top = layoutOf<QVBoxLayout>(frameTop);
    auto *frameTitle = frame("frameTitle");
    frameTitle->setMinimumSize(700, 40);
    frameTitle->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    top->addWidget(frameTitle);
    auto *title = layoutOf<QHBoxLayout>(frameTitle, 0, QMargins(16, 0, 0, 0));
    auto *icon = label("labelTitleIcon", QString());
    icon->setFixedSize(24, 24);
    title->addWidget(icon);
    title->addWidget(label("labelTitle_1", QStringLiteral("Quellin(Zelto联运版)")));
    title->addStretch();
    auto *customer = frame("frame");
    customer->setMinimumSize(160, 40);
    title->addWidget(customer);
    auto *c = layoutOf<QHBoxLayout>(customer);
    auto *customerIcon = button("btnCustomerIcon");
    customerIcon->setFixedSize(32, 15);
    c->addWidget(customerIcon);
    c->addWidget(button("btnCustomer", QStringLiteral("客服")));
    auto *ctrl = frame("frameWindowCtrl");
    ctrl->setMinimumSize(70, 40);
    title->addWidget(ctrl);
    auto *ctrlLayout = layoutOf<QHBoxLayout>(ctrl);
    for (const char *n : {"btnMin", "btnClose"}) {
        auto *b = button(n);
        b->setFixedSize(24, 24);
        ctrlLayout->addWidget(b);
    }
    auto *timeView = frame("frameTimeView");
    timeView->setMinimumSize(700, 200);
    top->addWidget(timeView);
    auto *timeLayout = layoutOf<QVBoxLayout>(timeView);
    auto *time = label("labelTime", QString());
    time->setMinimumSize(700, 200);
    time->setAlignment(Qt::AlignCenter);
    timeLayout->addWidget(time);

    auto *func = frame("frameFunc");
    func->setMinimumSize(700, 180);
    mainLayout->addWidget(func);
    auto *funcLayout = layoutOf<QHBoxLayout>(func, 6);
    auto *set = frame("frameSet");
    set->setMinimumSize(465, 180);
    funcLayout->addWidget(set);
    auto *setLayout = layoutOf<QVBoxLayout>(set, 0, QMargins(0, 30, 0, 0));

    auto *row1 = layoutOf<QHBoxLayout>(new QWidget);
    auto *l4 = label("label_4", QStringLiteral("格式选项："));
    l4->setFixedWidth(100);
    row1->addWidget(l4);
    row1->addWidget(combo("comboBoxSelect", {QStringLiteral("MP3")}, 130));
    row1->addWidget(label("label_5", QStringLiteral("声音来源：")));
    row1->addWidget(
        combo("comboboxVoiceFrom",
              {QStringLiteral("仅系统声音"), QStringLiteral("仅麦克风声音"), QStringLiteral("全部")}, 90));
    setLayout->addWidget(row1->parentWidget());

    auto *row2 = layoutOf<QHBoxLayout>(new QWidget);
    auto *l6 = label("label_6", QStringLiteral("录音质量："));
    l6->setFixedWidth(100);
    row2->addWidget(l6);
    row2->addWidget(combo("comboBoxQuality",
                          {QStringLiteral("128kbps"), QStringLiteral("256kbps"), QStringLiteral("320kbps")},
                          130));
    row2->addWidget(label("label_12", QStringLiteral("打开悬浮：")));
    auto *yes = named<QRadioButton>("radioButtonYes");
    yes->setText(QStringLiteral("是"));
    auto *no = named<QRadioButton>("radioButtonNo");
    no->setText(QStringLiteral("否"));
    no->setChecked(true);
    row2->addWidget(yes);
    row2->addWidget(no);
    setLayout->addWidget(row2->parentWidget());

    auto *row3 = layoutOf<QHBoxLayout>(new QWidget);
    auto *l7 = label("label_7", QStringLiteral("保存位置："));
    l7->setFixedWidth(100);
    row3->addWidget(l7);
    auto *path = label("labelPath", QStringLiteral("/home/user/Documents/ZeltoAudioRecord/"));
    path->setFixedSize(200, 28);
    row3->addWidget(path);
    row3->addWidget(button("btnChangeDir", QStringLiteral("更改目录")));
    row3->addWidget(button("btnOpenDir", QStringLiteral("打开文件夹")));
    setLayout->addWidget(row3->parentWidget());

    auto *opera = frame("frameOPera");
    opera->setMinimumSize(235, 180);
    funcLayout->addWidget(opera);
    auto *operaLayout = layoutOf<QVBoxLayout>(opera, 0, QMargins(37, 15, 21, 0));
    for (auto pair : {std::make_pair("btnStart", "开始录制(F7)"), std::make_pair("btnEnd", "结束录制(F9)")}) {
        auto *b = button(pair.first, QString::fromUtf8(pair.second));
        b->setMinimumSize(177, 40);
        b->setMaximumSize(1000, 60);
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        operaLayout->addWidget(b);
    }
    auto *links = layoutOf<QHBoxLayout>(new QWidget);
    auto *list = button("btnVoiceList", QStringLiteral("录音列表"));
    list->setIcon(QIcon(QStringLiteral(":/images/labelIcon1.png")));
    auto *timed = button("btnRecordByTime", QStringLiteral("定时录制"));
    timed->setIcon(QIcon(QStringLiteral(":/images/labelIcon2.png")));
    for (QPushButton *b : {list, timed}) {
        b->setIconSize(QSize(14, 14));
        b->setFlat(true);
        links->addWidget(b);
    }
    operaLayout->addWidget(links->parentWidget());

    auto *bottom = frame("frameBottom");
    bottom->setMinimumSize(700, 40);
    bottom->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    mainLayout->addWidget(bottom);
    auto *bottomLayout = layoutOf<QHBoxLayout>(bottom, 6);
    auto *version = label("labelVersion", QStringLiteral("当前版本：2.0.0.3"));
    version->setMinimumSize(142, 19);
    bottomLayout->addWidget(version);
    bottomLayout->addStretch();

    frameless(w);
    shadow(w, QColor(0, 0, 0, 80));
    w->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/main.css")));
    return w;
}

QMenu *mainMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    for (const char *text : {"使用教程", "官方网站", "检查更新", "关于我们"})
        menu->addAction(QString::fromUtf8(text));
    return menu;
}

QWidget *voiceList()
{
    auto *w = new QWidget;
    w->resize(608, 383);
    auto *root = layoutOf<QVBoxLayout>(w, 0, QMargins(4, 4, 4, 4));
    auto *main = frame("frameMain");
    main->setFixedSize(600, 375);
    root->addWidget(main);
    auto *mainLayout = layoutOf<QVBoxLayout>(main);
    auto *title = frame("frameTitle");
    title->setMinimumSize(600, 0);
    mainLayout->addWidget(title);
    auto *titleLayout = layoutOf<QHBoxLayout>(title, 6, QMargins(9, 9, 9, 0));
    auto *head = named<QFrame>("frame");
    head->setFrameShape(QFrame::StyledPanel);
    titleLayout->addWidget(head);
    auto *headLayout = layoutOf<QHBoxLayout>(head);
    auto *icon = label("label_3", QString());
    icon->setFixedSize(14, 20);
    headLayout->addWidget(icon);
    headLayout->addWidget(label("label", QStringLiteral("录音列表")));
    titleLayout->addStretch();
    auto *close = button("btnClose");
    close->setMinimumSize(30, 30);
    titleLayout->addWidget(close);

    auto *body = frame("frame_2");
    body->setMinimumSize(600, 0);
    body->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    mainLayout->addWidget(body);
    auto *bodyLayout = layoutOf<QVBoxLayout>(body, 0, QMargins(13, 9, 13, 9));
    auto *header = frame("frameText");
    header->setFixedSize(574, 30);
    bodyLayout->addWidget(header);
    auto *headerLayout = layoutOf<QHBoxLayout>(header);
    const std::pair<const char *, const char *> columns[] = {{"labelAudioName", "音频名称"},
                                                             {"labelAudioLength", "音频时长"},
                                                             {"labelAudioSize", "音频大小"},
                                                             {"labelBirthTime", "日期"},
                                                             {"labelOperator", "操作"}};
    const int stretch[] = {4, 4, 2, 4, 7};
    for (int i = 0; i < 5; ++i) {
        auto *l = label(columns[i].first, QString::fromUtf8(columns[i].second));
        l->setAlignment(Qt::AlignCenter);
        headerLayout->addWidget(l, stretch[i]);
    }
    auto *list = named<QListWidget>("FileListWidget");
    list->setMinimumSize(574, 0);
    bodyLayout->addWidget(list);
    const QStringList rows[] = {
        {QStringLiteral("09_15_02.mp3"), QStringLiteral("00:03:12"), QStringLiteral("2.9MB"),
         QStringLiteral("2024-01-05 09:18:14")},
        {QStringLiteral("14_30_45.mp3"), QStringLiteral("01:02:03"), QStringLiteral("56.8MB"),
         QStringLiteral("2024-01-05 15:32:48")},
    };
    for (const QStringList &r : rows) {
        QWidget *row = audioRow(r.at(0), r.at(1), r.at(2), r.at(3));
        auto *item = new QListWidgetItem;
        item->setSizeHint(row->size());
        list->insertItem(0, item);
        list->setItemWidget(item, row);
    }

    frameless(w);
    shadow(w, QColor(209, 209, 209, 255));
    w->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/voiceList.css")));
    return w;
}

QWidget *floatWidget()
{
    auto *w = new FloatSample;
    w->setObjectName(QStringLiteral("FloatWidget"));
    auto *layout = new QHBoxLayout(w);
    layout->setSpacing(0);
    layout->setContentsMargins(9, 9, 0, 9);
    auto *time = label("labelTime", QStringLiteral("00:12:34"));
    time->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(time);
    auto *start = button("btnStart");
    start->setFixedSize(40, 26);
    layout->addWidget(start);
    auto *end = button("btnEnd");
    end->setFixedSize(30, 26);
    layout->addWidget(end);
    w->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/floatWidget.css")));
    w->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    w->setAttribute(Qt::WA_TranslucentBackground);
    w->setFixedSize(w->background.size());
    w->setMask(w->background.mask());
    return w;
}

QMenu *floatMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    for (const char *text : {"显示主界面", "打开文件夹", "联系客服", "隐藏悬浮框", "定时录制"})
        menu->addAction(QString::fromUtf8(text));
    return menu;
}

QWidget *recordByTime()
{
    auto *w = new QDialog;
    w->setObjectName(QStringLiteral("Dialog1"));
    w->setFixedSize(608, 538);
    auto *root = layoutOf<QVBoxLayout>(w, 0, QMargins(4, 4, 4, 4));
    auto *main = named<QFrame>("frameMain");
    main->setFrameShape(QFrame::StyledPanel);
    main->setMinimumSize(600, 530);
    root->addWidget(main);
    auto *mainLayout = layoutOf<QVBoxLayout>(main, 6);

    auto *titleBar = named<QFrame>("frame");
    titleBar->setFixedHeight(40);
    mainLayout->addWidget(titleBar);
    auto *title = layoutOf<QHBoxLayout>(titleBar, 0, QMargins(5, 0, 5, 0));
    auto *frame6 = named<QFrame>("frame_6");
    title->addWidget(frame6);
    auto *f6 = layoutOf<QHBoxLayout>(frame6, 6);
    auto *clock = label("label_10", QString());
    clock->setFixedSize(20, 20);
    f6->addWidget(clock);
    auto *caption = label("label", QStringLiteral("定时录制"));
    caption->setFixedHeight(20);
    f6->addWidget(caption);
    title->addStretch();
    auto *close = button("btnClose");
    close->setFixedSize(30, 30);
    title->addWidget(close);

    auto *form = named<QFrame>("frame_2");
    mainLayout->addWidget(form);
    auto *formLayout = layoutOf<QVBoxLayout>(form, 10, QMargins(20, 10, 20, 10));
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(label("label_2", QStringLiteral("任务名称：")));
    auto *name = named<QLineEdit>("lineEditTaskName");
    name->setText(QStringLiteral("task1"));
    name->setFixedSize(460, 30);
    nameRow->addWidget(name);
    nameRow->addStretch();
    formLayout->addLayout(nameRow);
    const QDateTime when(QDate(2024, 1, 5), QTime(9, 7, 30));
    for (auto pair : {std::make_pair("label_4", "开始时间："), std::make_pair("label_3", "停止时间：")}) {
        auto *row = new QHBoxLayout;
        row->addWidget(label(pair.first, QString::fromUtf8(pair.second)));
        auto *day = named<QDateEdit>("dateEditStartDay");
        day->setDate(when.date());
        day->setCalendarPopup(true);
        day->setMinimumSize(120, 30);
        row->addWidget(day);
        auto *time = named<QTimeEdit>("timeEditStartTime");
        time->setTime(when.time());
        time->setMinimumSize(110, 30);
        row->addWidget(time);
        row->addStretch();
        formLayout->addLayout(row);
    }
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(label("label_9", QStringLiteral("录制声源：")));
    for (auto pair : {std::make_pair("radioButton1", "系统声音"), std::make_pair("radioButton2", "麦克风"),
                      std::make_pair("radioButton3", "系统声音和麦克风")}) {
        auto *radio = named<QRadioButton>(pair.first);
        radio->setText(QString::fromUtf8(pair.second));
        radio->setChecked(QByteArray(pair.first) == "radioButton3");
        sourceRow->addWidget(radio);
        sourceRow->addStretch();
    }
    formLayout->addLayout(sourceRow);
    auto *create = button("btnCreateTask", QStringLiteral("创建"));
    create->setFixedSize(135, 35);
    auto *createRow = new QHBoxLayout;
    createRow->addWidget(create);
    formLayout->addLayout(createRow);

    auto *listFrame = named<QFrame>("frame_3");
    mainLayout->addWidget(listFrame);
    auto *listLayout = layoutOf<QVBoxLayout>(listFrame, 0, QMargins(9, 0, 9, 9));
    auto *header = named<QFrame>("frame_5");
    header->setFixedHeight(30);
    listLayout->addWidget(header);
    auto *headerLayout = layoutOf<QHBoxLayout>(header, 6, QMargins(8, 0, 9, 0));
    headerLayout->addWidget(label("label_5", QStringLiteral("任务名")));
    headerLayout->addSpacing(20);
    headerLayout->addWidget(label("label_6", QStringLiteral("开始时间")));
    headerLayout->addWidget(label("label_7", QStringLiteral("结束时间")));
    headerLayout->addWidget(label("label_8", QStringLiteral("操作")));
    auto *list = named<QListWidget>("listWidgetTask");
    listLayout->addWidget(list);
    const char *const tasks[][3] = {{"task1", "2024-1-5 09:07", "2024-1-5 09:45"},
                                    {"晨间会议录音", "2024-1-6 10:30", "2024-1-6 11:30"}};
    for (const auto &task : tasks) {
        QWidget *row =
            taskRow(QString::fromUtf8(task[0]), QString::fromUtf8(task[1]), QString::fromUtf8(task[2]));
        auto *item = new QListWidgetItem;
        item->setSizeHint(row->size());
        list->addItem(item);
        list->setItemWidget(item, row);
    }

    w->setStyleSheet(loadScaledStyleSheet(QStringLiteral(":/RecordByTime.css")));
    frameless(w);
    shadow(w, QColor(209, 209, 209, 255));
    return w;
}

QWidget *messageDialog()
{
    auto *tip = new QToolTipWidget;
    tip->setTipText1(QStringLiteral("您是否要关闭软件？"));
    tip->setTipText2(QStringLiteral("定时录音任务正在运行，关闭软件将导致任务被清空"), Qt::AlignLeft);
    tip->setBtnOpera1(QStringLiteral("继续录制"), true);
    tip->setBtnOpera2(QStringLiteral("仍然关闭"), true);
    return tip;
}

} // namespace SheetSamples
