#pragma once

#include <QAccessibleWidget>

#include <functional>

// What assistive technology sees of a single-line text box, a LongLineEdit or a
// QLineEdit (the program's own and those of Qt's dialogs): an editable text (role
// EditableText, its text as the value, the text and editable-text interfaces, the state
// editable or read-only, selectable, a password box as such with its characters hidden).
//
// Qt 6.4's own interface for QLineEdit never returns when a screen reader asks for the
// word or sentence at the very end of a text that ends in one (its rule steps past the
// end and on), which freezes the program whenever the user moves to the end of a name:
// this one answers with the last unit there. Questions about a character, a word or a
// sentence at an offset look at the text around that offset only, so that following
// the cursor through millions of characters costs no more than in a short text; a line
// or the whole text is the whole text, as the box has one line.
template <typename Box>
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(Box *box);

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

    Box *box() const;
    // The text as the user sees it: a password box's characters hidden.
    QString shownText() const;
    // What textBeforeOffset (at false), textAfterOffset (at false) or textAtOffset (at
    // true) answers: rule on the text around offset for characters, words and sentences;
    // the whole text, or nothing before or after it, for a line.
    QString boundaryText(int offset, QAccessible::TextBoundaryType type, bool at, const Rule &rule,
                         int *startOffset, int *endOffset) const;
};

namespace TextBoxAccessibility {
// Gives every LongLineEdit and QLineEdit of the program a TextBoxAccessible, from the
// first call on (later calls do nothing).
void install();
} // namespace TextBoxAccessibility
