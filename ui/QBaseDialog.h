#pragma once

#include <QDialog>
#include <QPoint>

// Base of the small frameless dialogs: translucent tool window with a soft
// shadow, scaled style sheet, dragged by the left button, Esc rejects and
// Enter accepts.
class QBaseDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QBaseDialog(QWidget *parent = nullptr);

    virtual void initDialog(QString styleSheetPath);
    virtual void loadDialogStyleSheet(QString path);
    virtual void onEscape();
    virtual void onEnter();

public slots:
    void onClose();
    void onOK();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPoint m_dragOffset;
    bool m_dragging = false;
};
