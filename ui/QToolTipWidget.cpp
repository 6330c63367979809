#include "QToolTipWidget.h"

#include "ui_QToolTipWidget.h"

QToolTipWidget::QToolTipWidget(QWidget *parent) : QBaseDialog(parent), ui(new Ui::QToolTipWidget)
{
    ui->setupUi(this);
    initDialog(QStringLiteral(":/tooltip.css"));

    connect(ui->btnOpera1, SIGNAL(clicked()), this, SLOT(onBtnOpera1()));
    connect(ui->btnClose, SIGNAL(clicked()), this, SLOT(onClose()));
    connect(ui->btnOpera2, SIGNAL(clicked()), this, SLOT(onBtnOpera2()));
}

QToolTipWidget::~QToolTipWidget()
{
    delete ui;
}

void QToolTipWidget::setTipText1(QString text)
{
    ui->labelTipText1->setText(text);
}

void QToolTipWidget::setTipText2(QString text, int alignment)
{
    ui->labelTipText2->setText(text);
    ui->labelTipText2->setAlignment(static_cast<Qt::Alignment>(alignment));
}

void QToolTipWidget::setBtnOpera1(QString text, bool visible)
{
    ui->btnOpera1->setText(text);
    ui->btnOpera1->setVisible(visible);
}

void QToolTipWidget::setBtnOpera2(QString text, bool visible)
{
    ui->btnOpera2->setText(text);
    ui->btnOpera2->setVisible(visible);
}

void QToolTipWidget::onBtnOpera1()
{
    emit signal_opera1();
    onOK();
}

void QToolTipWidget::onBtnOpera2()
{
    emit signal_opera2();
    onClose();
}
