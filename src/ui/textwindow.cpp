#include "textwindow.h"

#include <QPainter>
#include <QTextOption>

namespace {

// Enough characters for a box's width in most texts; the layout grows from there (four
// times at a step) only for narrow characters, and never beyond `most`.
constexpr qsizetype firstCount = 256;
constexpr qsizetype most = 65536;
// A cursor this far right of the layout's start is past the box's right edge in any
// real text; the view goes there without laying out what lies between.
constexpr qsizetype far = 4096;

QTextOption lineOption()
{
    // As QLineEdit: left to right here (the program's texts are), trailing blanks count.
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    return option;
}

} // namespace

QString TextWindow::Shown::mid(qsizetype pos, qsizetype n) const
{
    QString out;
    if (preedit.isEmpty()) {
        out = text.mid(pos, n).toString();
    } else {
        out.reserve(n);
        const qsizetype end = pos + n;
        const auto take = [&](QStringView piece, qsizetype pieceStart) {
            const qsizetype from = qMax(pos, pieceStart);
            const qsizetype to = qMin(end, pieceStart + piece.size());
            if (from < to)
                out += piece.mid(from - pieceStart, to - from);
        };
        take(text.left(preeditAt), 0);
        take(preedit, preeditAt);
        take(text.mid(preeditAt), preeditAt + preedit.size());
    }
    for (QChar &c : out) {
        if ((c.unicode() < 0x20 && c != u'\t') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return out;
}

void TextWindow::setFont(const QFont &font)
{
    m_font = font;
    invalidate();
}

void TextWindow::textChanged(qsizetype pos, qsizetype removed, qsizetype inserted)
{
    invalidate();
    // A change wholly left of the box (a deletion may end right at its edge) moves the
    // shown characters, not the view; one across the edge starts the view at the change.
    if (pos + removed < m_first || (removed > 0 && pos + removed == m_first))
        m_first += inserted - removed;
    else if (pos < m_first)
        setStart(pos, 0);
}

void TextWindow::setStart(qsizetype first, int offset)
{
    if (first != m_first)
        invalidate();
    m_first = first;
    m_offset = offset;
}

void TextWindow::layOut(const Shown &shown, qsizetype count)
{
    // Never end the layout between the halves of a surrogate pair.
    if (m_first + count < shown.size() && count > 0 && shown.mid(m_first + count - 1, 1).at(0).isHighSurrogate())
        ++count;
    m_layout.setText(shown.mid(m_first, count));
    m_layout.setFont(m_font);
    m_layout.setTextOption(lineOption());
    m_layout.setCacheEnabled(true);
    m_layout.beginLayout();
    m_layout.createLine();
    m_layout.endLayout();
    m_count = count;
}

QTextLine TextWindow::ensure(const Shown &shown, qsizetype minCount, qreal minWidth)
{
    const qsizetype available = shown.size() - m_first;
    const auto covers = [&] {
        return m_count >= qMin(minCount, available)
            && (m_count >= available || m_count >= most || m_layout.lineAt(0).naturalTextWidth() >= minWidth);
    };
    if (m_count >= 0 && covers())
        return m_layout.lineAt(0);
    qsizetype count = qMin(available, qMax(minCount + 64, firstCount));
    for (;;) {
        layOut(shown, count);
        if (covers())
            return m_layout.lineAt(0);
        count = qMin(available, count * 4);
    }
}

qsizetype TextWindow::startBefore(const Shown &shown, qsizetype end, qreal distance, int *rest, bool between) const
{
    for (qsizetype reach = firstCount;; reach *= 4) {
        qsizetype start = qMax<qsizetype>(0, end - reach);
        if (start > 0 && shown.mid(start, 1).at(0).isLowSurrogate())
            --start;
        QTextLayout back(shown.mid(start, end - start), m_font);
        back.setTextOption(lineOption());
        back.beginLayout();
        const QTextLine line = back.createLine();
        back.endLayout();
        const qreal width = line.naturalTextWidth();
        if (width >= distance) {
            const qreal target = width - distance;
            const int at = line.xToCursor(target, between ? QTextLine::CursorBetweenCharacters : QTextLine::CursorOnCharacter);
            *rest = qRound(target - line.cursorToX(at));
            return start + at;
        }
        if (start == 0 || reach >= most) {
            *rest = 0;
            return start;
        }
    }
}

void TextWindow::alignRight(const Shown &shown, qsizetype end, qreal distance)
{
    int rest = 0;
    const qsizetype start = distance > 0 ? startBefore(shown, end, distance, &rest) : end;
    setStart(start, rest);
}

void TextWindow::follow(const Shown &shown, qsizetype cursor, int width, int cursorWidth)
{
    const qsizetype size = shown.size();
    cursor = qBound<qsizetype>(0, cursor, size);
    if (m_first > size)
        setStart(size, 0);
    if (cursor < m_first)
        setStart(cursor, 0);
    if (cursor - m_first > far) {
        alignRight(shown, cursor, width - 1);
        return;
    }
    const QTextLine line = ensure(shown, cursor - m_first, m_offset + width);
    const int cix = qRound(line.cursorToX(int(cursor - m_first)));
    const bool toEnd = m_first + m_count >= size;
    const int used = qRound(line.naturalTextWidth()) + 1 + cursorWidth;
    if (m_first == 0 && toEnd && used <= width)
        m_offset = 0;
    else if (cix - m_offset >= width)
        alignRight(shown, cursor, width - 1);
    else if (cix - m_offset < 0)
        setStart(cursor, 0);
    else if (toEnd && used - m_offset < width)
        alignRight(shown, size, width - 2 - cursorWidth);
}

std::optional<qreal> TextWindow::xOf(const Shown &shown, qsizetype pos, int width)
{
    const QTextLine line = ensure(shown, 0, m_offset + width);
    if (pos < m_first || pos > m_first + m_count)
        return std::nullopt;
    return line.cursorToX(int(pos - m_first)) - m_offset;
}

qsizetype TextWindow::positionAt(const Shown &shown, qreal x, int width)
{
    const qreal inLayout = x + m_offset;
    if (inLayout < 0) {
        int rest = 0;
        return m_first > 0 ? startBefore(shown, m_first, -inLayout, &rest, true) : 0;
    }
    const QTextLine line = ensure(shown, 0, qMax<qreal>(inLayout + 1, m_offset + width));
    return m_first + line.xToCursor(inLayout, QTextLine::CursorBetweenCharacters);
}

qreal TextWindow::lineHeight(const Shown &shown, int width)
{
    return ensure(shown, 0, m_offset + width).height();
}

void TextWindow::draw(QPainter *painter, QPointF lineTopLeft, const Shown &shown, int width,
                      const QList<QTextLayout::FormatRange> &formats, qsizetype cursor, int cursorWidth,
                      qreal baselineAscent)
{
    const QTextLine line = ensure(shown, 0, m_offset + width);
    QList<QTextLayout::FormatRange> local;
    for (QTextLayout::FormatRange range : formats) {
        const qsizetype from = qMax<qsizetype>(range.start, m_first);
        const qsizetype to = qMin<qsizetype>(range.start + range.length, m_first + m_count);
        if (from < to) {
            range.start = int(from - m_first);
            range.length = int(to - from);
            local.append(range);
        }
    }
    const QPointF origin = lineTopLeft - QPointF(m_offset, qRound(line.ascent()) - baselineAscent);
    m_layout.draw(painter, origin, local);
    if (cursor >= m_first && cursor <= m_first + m_count)
        m_layout.drawCursor(painter, origin, int(cursor - m_first), cursorWidth);
}
