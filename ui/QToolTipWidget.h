#pragma once

#include "QBaseDialog.h"

namespace Ui {
class QToolTipWidget;
}

// Two-button message dialog titled "提示": a main line, a wrapped second
// message, and two buttons whose signals are emitted before the dialog closes.
class QToolTipWidget : public QBaseDialog
{
    Q_OBJECT

public:
    explicit QToolTipWidget(QWidget *parent = nullptr);
    ~QToolTipWidget() override;

    void setTipText1(QString text);
    void setTipText2(QString text, int alignment);
    void setBtnOpera1(QString text, bool visible);
    void setBtnOpera2(QString text, bool visible);

signals:
    void signal_opera1();
    void signal_opera2();

public slots:
    void onBtnOpera1();
    void onBtnOpera2();

private:
    Ui::QToolTipWidget *ui;
};
