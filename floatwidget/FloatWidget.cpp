#include "FloatWidget.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {
const char kPlayStyle[] = "QPushButton{border:none;color:white;font-size:14px;}";
} // namespace

FloatWidget::FloatWidget(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FloatWidget"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setStyleSheet(QStringLiteral("QDialog#FloatWidget{background:rgb(53,57,66);}"
                                 "QLabel{color:white;font-size:14px;}"));

    auto *layout = new QHBoxLayout(this);
    labelTime = new QLabel(QStringLiteral("00:00:00"), this);
    labelTime->setObjectName(QStringLiteral("labelTime"));
    btnStart = new QPushButton(QStringLiteral("▶"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setStyleSheet(QLatin1String(kPlayStyle));
    btnEnd = new QPushButton(QStringLiteral("■"), this);
    btnEnd->setObjectName(QStringLiteral("btnEnd"));
    btnEnd->setStyleSheet(QLatin1String(kPlayStyle));
    layout->addWidget(labelTime);
    layout->addWidget(btnStart);
    layout->addWidget(btnEnd);
    resize(166, 74);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(btnStart, &QPushButton::clicked, this, &FloatWidget::signal_clickedStart);
    connect(btnEnd, &QPushButton::clicked, this, [this] {
        setStop();
        emit signal_clickedEnd();
    });
    connect(this, &QWidget::customContextMenuRequested, this, &FloatWidget::showContextMenu);
}

void FloatWidget::setPlay(int recordStat)
{
    if (recordStat == 1)
        btnStart->setText(QStringLiteral("❚❚"));
    else if (recordStat == 0 || recordStat == 2)
        btnStart->setText(QStringLiteral("▶"));
    else
        return;
    btnStart->repaint();
}

void FloatWidget::setStop()
{
    labelTime->setText(QStringLiteral("00:00:00"));
    btnStart->setText(QStringLiteral("▶"));
}

void FloatWidget::setTimeText(QString text)
{
    labelTime->setText(text);
}

void FloatWidget::showContextMenu()
{
    QMenu menu(this);
    menu.addAction(tr("显示主界面"), this, &FloatWidget::signal_showMainWindow);
    menu.addAction(tr("打开文件夹"), this, &FloatWidget::signal_openDir);
    menu.addAction(tr("联系客服"), this, &FloatWidget::signal_customer);
    menu.addAction(tr("隐藏悬浮框"), this, &FloatWidget::signal_hideFloat);
    menu.addAction(tr("定时录制"), this, &FloatWidget::signal_recordByTime);
    menu.exec(QCursor::pos());
}
