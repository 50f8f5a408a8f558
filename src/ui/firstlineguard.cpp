#include "firstlineguard.h"

#include <QLineEdit>

namespace {
qsizetype firstLineBreak(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return i;
    }
    return -1;
}
} // namespace

void FirstLineGuard::attach(QLineEdit *edit)
{
    if (edit)
        new FirstLineGuard(edit);
}

FirstLineGuard::FirstLineGuard(QLineEdit *edit) : QObject(edit), m_edit(edit), m_before(edit->text())
{
    // Every way text gets in ends in textChanged, so one place catches them all.
    connect(edit, &QLineEdit::textChanged, this, &FirstLineGuard::textChanged);
}

QString FirstLineGuard::keepFirstLine(const QString &before, const QString &after, int *cursor)
{
    // The inserted part lies between what both texts start with and what both end with.
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    QStringView inserted = QStringView(after).mid(head, after.size() - head - tail);
    if (const qsizetype cut = firstLineBreak(inserted); cut >= 0)
        inserted = inserted.left(cut);
    if (cursor)
        *cursor = int(head + inserted.size());
    QString kept = after.left(head);
    kept.append(inserted);
    kept.append(QStringView(after).right(tail));
    return kept;
}

void FirstLineGuard::textChanged(const QString &text)
{
    if (firstLineBreak(text) < 0) {
        m_before = text;
        return;
    }
    int cursor = 0;
    const QString kept = keepFirstLine(m_before, text, &cursor);
    // What went before and after the insertion came from m_before, which holds no break.
    m_edit->setText(kept);
    m_edit->setCursorPosition(cursor);
}
