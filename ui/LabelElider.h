#pragma once

#include <QObject>
#include <QString>

class QLabel;

// Keeps a label's text readable when it outgrows the label: the text is cut
// at its end with "…", and the whole text becomes the tool tip. The label
// keeps its share of the layout instead of pushing its neighbours aside.
class LabelElider : public QObject
{
    Q_OBJECT

public:
    // Makes label show text elided to its width from now on; the elider is a
    // child of the label.
    static void apply(QLabel *label, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LabelElider(QLabel *label, const QString &text);
    void update();

    QLabel *m_label;
    QString m_text;
};
