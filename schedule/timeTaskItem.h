#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class timeTaskItem;
}

// One row of the task dialog's list: the task's name, its start and end, and
// a delete button that reports the index the dialog gave the row.
class timeTaskItem : public QWidget
{
    Q_OBJECT

public:
    // Names wider than this (in pixels of the name label's font) are elided.
    static constexpr int NameWidth = 40;

    timeTaskItem(QString name, QString startText, QString endText, int rowIndex, QWidget *parent = nullptr);
    ~timeTaskItem() override;

    int taskIndex() const { return index; }

signals:
    void signal_deleteFile(int index);

private:
    Ui::timeTaskItem *ui;
    const int index;
};
