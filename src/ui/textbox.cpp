#include "textbox.h"

#include "firstlineguard.h"
#include "longlineedit.h"
#include "longtextdelegate.h"

#include <QLineEdit>

namespace TextBox {

QWidget *create(QWidget *parent, qsizetype textLength)
{
    if (textLength >= LongLineEdit::minimumLength)
        return new LongLineEdit(parent);
    auto *line = new QLineEdit(parent);
    LongTextDelegate::allowAnyLength(line);
    FirstLineGuard::attach(line);
    return line;
}

QString text(const QWidget *box)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(box))
        return line->text();
    if (const auto *edit = qobject_cast<const LongLineEdit *>(box))
        return edit->text();
    return {};
}

void setText(QWidget *box, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->setText(text);
    else if (auto *edit = qobject_cast<LongLineEdit *>(box))
        edit->setText(text);
}

void selectAll(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->selectAll();
    else if (auto *edit = qobject_cast<LongLineEdit *>(box))
        edit->selectAll();
}

QMenu *createStandardContextMenu(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        return line->createStandardContextMenu();
    if (auto *edit = qobject_cast<LongLineEdit *>(box))
        return edit->createStandardContextMenu();
    return nullptr;
}

} // namespace TextBox
