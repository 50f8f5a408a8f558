#pragma once

#include <QStyledItemDelegate>

// The item delegate of the tree and the key list, made for texts of any length.
// - A cell draws and measures at most the first few thousand characters of its text
//   (CellText::shown), so a name or data of many megabytes neither freezes the view
//   nor grows its row; what does not fit is elided with "…" as usual.
// - Its in-place editor takes texts of any length: a line edit stops at 32,767
//   characters by default, and confirming an edit of a longer name would cut it short.
//   It keeps to one line: text that arrives with line breaks is taken up to the first.
//   From LongLineEdit::minimumLength characters on the editor is a LongLineEdit, which
//   opens and types as fast on millions of characters; it opens with its whole text
//   selected and as wide as the view, as the view's own line edit does.
// - Pointing at a cell whose text is cut shows the model's Qt::ToolTipRole (the whole
//   text, or the start and the length of a very long one); a cell shown whole shows none.
class LongTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Whether the cell at index, laid out as option says, shows less than its whole text.
    bool isCut(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    // The tooltip as shown: tip as plain text (markup in it shows as written) that wraps
    // at any character, with a zero-width space (U+200B) after each one.
    static QString toolTipHtml(const QString &tip);

    // Lifts a line edit's length limit.
    static void allowAnyLength(QWidget *editor);
};
