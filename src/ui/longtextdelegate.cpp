#include "longtextdelegate.h"

#include "firstlineguard.h"

#include <QLineEdit>

#include <limits>

QWidget *LongTextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    allowAnyLength(editor);
    FirstLineGuard::attach(qobject_cast<QLineEdit *>(editor));
    return editor;
}

void LongTextDelegate::allowAnyLength(QWidget *editor)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setMaxLength(std::numeric_limits<int>::max());
}
