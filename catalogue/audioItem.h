#pragma once

#include <QDialog>

namespace Ui {
class audioItem;
}

// One row of the recordings list: the four texts of a catalogue entry and
// the play, open-folder and delete buttons, which only emit signals.
class audioItem : public QDialog
{
    Q_OBJECT

public:
    audioItem(QString fileName, QString audioLength, QString size, QString date, QWidget *parent = nullptr);
    ~audioItem() override;

    // The size of a row as its form lays it out (the list's row height).
    static QSize formSize();

signals:
    void signal_openDir();
    void signal_deleteFile(QString fileName);
    void signal_play(QString fileName);

private:
    Ui::audioItem *ui;
    QString m_fileName;
};
