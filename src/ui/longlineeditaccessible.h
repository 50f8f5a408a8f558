#pragma once

#include <QAccessibleWidget>

#include <functional>

class LongLineEdit;

// What assistive technology sees of a LongLineEdit: an editable text, as Qt shows a
// QLineEdit (role EditableText, its text as the value, the text and editable-text
// interfaces, the state editable and selectable). Questions about a character, a word or
// a sentence at an offset look at the text around that offset only, so that a screen
// reader following the cursor through millions of characters costs no more than in a
// short text; a line or the whole text is the whole text, as the box has one line.
class LongLineEditAccessible : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface
{
public:
    explicit LongLineEditAccessible(LongLineEdit *box);

    // The factory QAccessible::installFactory takes: an interface for a LongLineEdit.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    // One of Qt's rules for the text before, after or at an offset (the defaults of
    // QAccessibleTextInterface), to be run on a stretch of the text.
    using Rule = std::function<QString(QAccessibleTextInterface &, int, int *, int *)>;

    LongLineEdit *box() const;
    // What textBeforeOffset (at false), textAfterOffset (at false) or textAtOffset (at
    // true) answers: rule on the text around offset for characters, words and sentences;
    // the whole text, or nothing before or after it, for a line.
    QString boundaryText(int offset, QAccessible::TextBoundaryType type, bool at, const Rule &rule,
                         int *startOffset, int *endOffset) const;
};
