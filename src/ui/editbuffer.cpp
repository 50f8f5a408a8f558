#include "editbuffer.h"

#include <QTextBoundaryFinder>

#include <utility>

namespace {

bool isWordSeparator(QChar c)
{
    switch (c.unicode()) {
    case u'.': case u',': case u'?': case u'!': case u'@': case u'#': case u'$': case u':':
    case u';': case u'-': case u'<': case u'>': case u'[': case u']': case u'(': case u')':
    case u'{': case u'}': case u'=': case u'/': case u'+': case u'%': case u'&': case u'^':
    case u'*': case u'\'': case u'"': case u'`': case u'~': case u'|':
        return true;
    default:
        return false;
    }
}

} // namespace

QStringView EditBuffer::firstLine(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return text.left(i);
    }
    return text;
}

QString EditBuffer::selectedText() const
{
    return m_text.mid(selectionStart(), selectionEnd() - selectionStart());
}

EditBuffer::Change EditBuffer::setText(const QString &text)
{
    const QStringView line = firstLine(text);
    Change change{0, m_text, line.size() == text.size() ? text : line.toString()};
    m_text = change.inserted;
    m_cursor = m_anchor = m_text.size();
    m_steps.clear();
    m_done = 0;
    m_separate = false;
    return change;
}

void EditBuffer::moveCursor(qsizetype pos, bool mark)
{
    pos = qBound<qsizetype>(0, pos, size());
    if (pos != m_cursor)
        m_separate = true;
    m_cursor = pos;
    if (!mark)
        m_anchor = pos;
}

void EditBuffer::setSelection(qsizetype start, qsizetype length)
{
    start = qBound<qsizetype>(0, start, size());
    const qsizetype end = qBound<qsizetype>(0, start + length, size());
    m_anchor = length == 0 ? end : start;
    m_cursor = end;
    m_separate = true;
}

void EditBuffer::selectWordAt(qsizetype pos)
{
    // As QLineEdit: from the start of the word under pos to its end, without the blanks
    // that follow it.
    const qsizetype next = qMin(pos + 1, size());
    const qsizetype start = previousWord(next);
    qsizetype end = nextWord(start);
    while (end > pos && m_text[end - 1].isSpace())
        --end;
    moveCursor(start, false);
    moveCursor(end, true);
}

EditBuffer::Change EditBuffer::insert(const QString &text, Kind kind)
{
    return apply(selectionStart(), selectionEnd() - selectionStart(), firstLine(text), kind);
}

EditBuffer::Change EditBuffer::replace(qsizetype start, qsizetype length, const QString &text, Kind kind)
{
    start = qBound<qsizetype>(0, start, size());
    length = qBound<qsizetype>(0, length, size() - start);
    return apply(start, length, firstLine(text), kind);
}

EditBuffer::Change EditBuffer::backspace()
{
    if (hasSelection())
        return apply(selectionStart(), selectionEnd() - selectionStart(), {}, Kind::Backspace);
    if (m_cursor == 0)
        return {};
    qsizetype from = m_cursor - 1;
    if (from > 0 && m_text[from].isLowSurrogate() && m_text[from - 1].isHighSurrogate())
        --from;
    return apply(from, m_cursor - from, {}, Kind::Backspace);
}

EditBuffer::Change EditBuffer::del()
{
    if (hasSelection())
        return apply(selectionStart(), selectionEnd() - selectionStart(), {}, Kind::Delete);
    if (m_cursor >= size())
        return {};
    return apply(m_cursor, nextCharacter(m_cursor) - m_cursor, {}, Kind::Delete);
}

EditBuffer::Change EditBuffer::removeSelection()
{
    if (!hasSelection())
        return {};
    separate();
    Change change = apply(selectionStart(), selectionEnd() - selectionStart(), {}, Kind::Other);
    separate();
    return change;
}

EditBuffer::Change EditBuffer::apply(qsizetype pos, qsizetype length, QStringView text, Kind kind)
{
    if (length == 0 && text.isEmpty())
        return {};
    Step step{pos, m_text.mid(pos, length), text.toString(), m_cursor, m_anchor, kind};
    Change change{pos, step.removed, step.inserted};
    m_text.replace(pos, length, step.inserted);
    m_cursor = m_anchor = pos + step.inserted.size();
    record(std::move(step));
    return change;
}

void EditBuffer::record(Step step)
{
    m_steps.erase(m_steps.begin() + qsizetype(m_done), m_steps.end());
    if (!m_separate && !m_steps.empty() && step.kind != Kind::Other && m_steps.back().kind == step.kind) {
        Step &last = m_steps.back();
        // Typing goes on where it stopped; Backspace eats leftwards up to where the run
        // began; Delete eats rightwards from one place. (A prepend into a QString is
        // amortised constant time, so a long run of Backspace stays linear.)
        if (step.kind == Kind::Typing && step.removed.isEmpty() && step.pos == last.pos + last.inserted.size()) {
            last.inserted += step.inserted;
            return;
        }
        if (step.kind == Kind::Backspace && last.inserted.isEmpty()
            && step.pos + step.removed.size() == last.pos) {
            last.removed.prepend(step.removed);
            last.pos = step.pos;
            return;
        }
        if (step.kind == Kind::Delete && last.inserted.isEmpty() && step.pos == last.pos) {
            last.removed += step.removed;
            return;
        }
    }
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
    m_separate = false;
}

EditBuffer::Change EditBuffer::undo()
{
    if (!canUndo())
        return {};
    const Step &step = m_steps[--m_done];
    m_text.replace(step.pos, step.inserted.size(), step.removed);
    m_cursor = step.cursorBefore;
    m_anchor = step.anchorBefore;
    m_separate = true;
    return Change{step.pos, step.inserted, step.removed};
}

EditBuffer::Change EditBuffer::redo()
{
    if (!canRedo())
        return {};
    const Step &step = m_steps[m_done++];
    m_text.replace(step.pos, step.removed.size(), step.inserted);
    m_cursor = m_anchor = step.pos + step.inserted.size();
    m_separate = true;
    return Change{step.pos, step.removed, step.inserted};
}

qsizetype EditBuffer::graphemeStep(qsizetype pos, bool forward) const
{
    // A grapheme is a few characters long: look at a stretch around pos, wider only when
    // its edge leaves the answer open.
    for (qsizetype reach = 32;; reach *= 4) {
        const qsizetype from = qMax<qsizetype>(0, pos - reach);
        const qsizetype to = qMin(size(), pos + reach);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, QStringView(m_text).mid(from, to - from));
        finder.setPosition(pos - from);
        const qsizetype found = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
        const bool whole = from == 0 && to == size();
        if (found > 0 && found < to - from)
            return from + found;
        if (found == 0 && from == 0)
            return 0;
        if (found == to - from && to == size())
            return size();
        if (whole)
            return forward ? size() : 0;
    }
}

qsizetype EditBuffer::nextCharacter(qsizetype pos) const
{
    return pos >= size() ? size() : graphemeStep(pos, true);
}

qsizetype EditBuffer::previousCharacter(qsizetype pos) const
{
    return pos <= 0 ? 0 : graphemeStep(pos, false);
}

qsizetype EditBuffer::nextWord(qsizetype pos) const
{
    const qsizetype len = size();
    if (pos < 0 || pos >= len)
        return qBound<qsizetype>(0, pos, len);
    if (isWordSeparator(m_text[pos])) {
        while (pos < len && isWordSeparator(m_text[pos]))
            ++pos;
    } else {
        while (pos < len && !m_text[pos].isSpace() && !isWordSeparator(m_text[pos]))
            ++pos;
    }
    while (pos < len && m_text[pos].isSpace())
        ++pos;
    return pos;
}

qsizetype EditBuffer::previousWord(qsizetype pos) const
{
    if (pos <= 0 || pos > size())
        return qBound<qsizetype>(0, pos, size());
    while (pos > 0 && m_text[pos - 1].isSpace())
        --pos;
    if (pos > 0 && isWordSeparator(m_text[pos - 1])) {
        while (pos > 0 && isWordSeparator(m_text[pos - 1]))
            --pos;
    } else {
        while (pos > 0 && !m_text[pos - 1].isSpace() && !isWordSeparator(m_text[pos - 1]))
            --pos;
    }
    return pos;
}
