#pragma once

#include <QWidget>

class QListWidget;

// The window listing the finished recordings, newest first.
class VoiceList : public QWidget
{
    Q_OBJECT

public:
    explicit VoiceList(QWidget *parent = nullptr);

    // Reads the catalogue file anew and rebuilds the rows.
    void refresh();

signals:
    void signal_openDir();
    void signal_deleteFile(QString fileName);
    void signal_play(QString fileName);

private:
    QListWidget *FileListWidget;
};
