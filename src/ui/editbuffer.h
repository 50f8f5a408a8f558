#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The text of a one-line editor with its cursor, selection and undo history, apart from
// any layout, so that no step depends on the text's length more than by one change of
// the string: an edit is one replace (the first edit of a shared text copies it once), a
// character step looks at a few dozen characters around the cursor, a word step scans
// to the next word. Positions are UTF-16 offsets into text().
//
// Editing follows Qt's QLineEdit:
// - whatever goes in (typed, pasted, dropped, committed by an input method, set) keeps
//   only what comes before its first line break (CR or LF), as every single-line box of
//   the program does;
// - Backspace removes one character (a surrogate pair whole), Delete one grapheme; both
//   remove the selection instead when there is one;
// - character steps go by graphemes; word steps stop where QTextLayout's SkipWords
//   stops (at the ends of runs of word characters or of the separators .,?!@#$:;-<>[](){}
//   =/+%&^*'"`~|, with blanks after them skipped);
// - an undo step is a run of typing, a run of Backspace or a run of Delete with no cursor
//   move in between, or any other single change (a paste, a cut, a drop); undoing it
//   brings back the cursor and the selection from before it. setText() forgets the
//   history.
class EditBuffer
{
public:
    // One change of the text: at pos, removed gave way to inserted.
    struct Change
    {
        qsizetype pos = -1;
        QString removed;
        QString inserted;
        bool isNull() const { return pos < 0; }
    };
    // What an edit is, which decides whether it joins the undo step before it.
    enum class Kind { Typing, Backspace, Delete, Other };

    const QString &text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    qsizetype cursor() const { return m_cursor; }
    // The other end of the selection; the cursor itself when nothing is selected.
    qsizetype anchor() const { return m_anchor; }
    qsizetype selectionStart() const { return qMin(m_cursor, m_anchor); }
    qsizetype selectionEnd() const { return qMax(m_cursor, m_anchor); }
    bool hasSelection() const { return m_cursor != m_anchor; }
    QString selectedText() const;

    // The whole text (up to its first line break), the cursor at its end, nothing
    // selected, no undo history. The change covers the whole old and new text.
    Change setText(const QString &text);

    // Moves the cursor to pos (kept within the text). With mark the anchor stays, so that
    // the selection runs from it to pos; without, nothing stays selected.
    void moveCursor(qsizetype pos, bool mark);
    // As QLineEdit::setSelection: length characters from start with the cursor at their
    // end; a negative length selects to the left of start, the cursor at the left end.
    void setSelection(qsizetype start, qsizetype length);
    void selectAll() { setSelection(0, size()); }
    // Selects the word at pos, as a double click does.
    void selectWordAt(qsizetype pos);

    // Puts text (up to its first line break) in place of the selection or at the
    // cursor; the cursor goes after it. A null change when nothing changed.
    Change insert(const QString &text, Kind kind = Kind::Other);
    // Puts text (up to its first line break) in place of length characters from start
    // (kept within the text), as an input method asks; the cursor goes after it.
    Change replace(qsizetype start, qsizetype length, const QString &text, Kind kind);
    Change backspace();
    Change del();
    // Removes the selection as one undo step of its own.
    Change removeSelection();

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    Change undo();
    Change redo();
    // The next edit starts an undo step of its own.
    void separate() { m_separate = true; }

    qsizetype nextCharacter(qsizetype pos) const;
    qsizetype previousCharacter(qsizetype pos) const;
    qsizetype nextWord(qsizetype pos) const;
    qsizetype previousWord(qsizetype pos) const;

    // text up to its first CR or LF.
    static QStringView firstLine(QStringView text);

private:
    struct Step
    {
        qsizetype pos;
        QString removed;
        QString inserted;
        qsizetype cursorBefore;
        qsizetype anchorBefore;
        Kind kind;
    };
    Change apply(qsizetype pos, qsizetype length, QStringView text, Kind kind);
    // Adds step to the history, or joins it to the step before when it continues it.
    void record(Step step);
    qsizetype graphemeStep(qsizetype pos, bool forward) const;

    QString m_text;
    qsizetype m_cursor = 0;
    qsizetype m_anchor = 0;
    std::vector<Step> m_steps;
    size_t m_done = 0; // steps applied; those after it can be redone
    bool m_separate = false;
};
