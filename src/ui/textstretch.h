#pragma once

#include <QAccessibleTextInterface>
#include <QString>
#include <QStringView>

// A fixed stretch of text that answers with Qt's own rules for characters, words and
// sentences (QAccessibleTextInterface's default textAtOffset and the like), the offset
// -2 standing for a cursor as a line edit reads it. Nothing in it can be selected or
// edited: it is there so that the rules run on the part of a text that matters.
class TextStretch : public QAccessibleTextInterface
{
public:
    explicit TextStretch(QStringView text, int cursor = 0) : m_text(text.toString()), m_cursor(cursor) {}

    QString text(int startOffset, int endOffset) const override
    {
        return m_text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(m_text.size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return m_cursor; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override
    {
        return QAccessibleTextInterface::textAtOffset(at(offset), type, startOffset, endOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override
    {
        return QAccessibleTextInterface::textBeforeOffset(at(offset), type, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override
    {
        return QAccessibleTextInterface::textAfterOffset(at(offset), type, startOffset, endOffset);
    }

private:
    int at(int offset) const { return offset == -2 ? m_cursor : offset; }

    QString m_text;
    int m_cursor;
};
