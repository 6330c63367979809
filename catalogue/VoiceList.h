#pragma once

#include "RecordingEntry.h"

#include <QPoint>
#include <QVector>
#include <QWidget>

class QShortcut;

namespace Ui {
class VoiceList;
}

// The window listing the finished recordings, newest first. It shows the
// catalogue file, which it reads anew at every refresh and never changes,
// and relays the rows' button presses through its own signals.
class VoiceList : public QWidget
{
    Q_OBJECT

public:
    // Shows the catalogue file "Brevane.json" in the program's directory.
    explicit VoiceList(QWidget *parent = nullptr);
    // Shows the given catalogue file.
    explicit VoiceList(const QString &catalogueFile, QWidget *parent = nullptr);
    ~VoiceList() override;

    // The file that refresh() reads; takes effect at the next refresh.
    void setCatalogueFile(const QString &catalogueFile);
    QString catalogueFile() const { return m_catalogueFile; }

    // Removes all rows and fills the list again from the catalogue file,
    // newest first. A row's widget is made when the row comes into view, so
    // a long catalogue costs only the rows that are looked at.
    void refresh();

signals:
    void signal_openDir();
    void signal_deleteFile(QString fileName);
    void signal_play(QString fileName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // Gives every row from first to last (inclusive) that has none its widget.
    void makeRows(int first, int last);
    // The rows in view, and a few beyond, get their widgets.
    void makeVisibleRows();

    Ui::VoiceList *ui;
    // The entries shown, newest first: row i shows m_rows[i].
    QVector<RecordingEntry> m_rows;
    QShortcut *escShortcut;
    QPoint lastGlobalPos;
    bool dragging = false;
    QString m_catalogueFile;
};
