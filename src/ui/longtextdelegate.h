#pragma once

#include <QStyledItemDelegate>

// The item delegate of the tree and the key list. Its in-place editor takes texts of
// any length: a line edit stops at 32,767 characters by default, and confirming an
// edit of a longer name would cut it short. It keeps to one line: text that arrives
// with line breaks is taken up to the first one.
class LongTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

    // Lifts a line edit's length limit.
    static void allowAnyLength(QWidget *editor);
};
