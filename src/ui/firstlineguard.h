#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// Keeps a single-line box to one line, as a native single-line edit control does: text
// that arrives holding a line break (pasted by key or context menu, dropped, the X11
// middle-button paste, an input method's commit) is taken only up to its first line
// break (CR, LF or CR LF). The text around the place it went in stays as it was.
class FirstLineGuard : public QObject
{
    Q_OBJECT
public:
    // Guards edit for as long as it lives.
    static void attach(QLineEdit *edit);

    // What the box holds when `after` replaced `before` by one insertion: the inserted
    // part cut at its first line break. Sets *cursor to the end of what went in.
    static QString keepFirstLine(const QString &before, const QString &after, int *cursor);

private:
    explicit FirstLineGuard(QLineEdit *edit);
    void textChanged(const QString &text);

    QLineEdit *m_edit;
    QString m_before;
};
