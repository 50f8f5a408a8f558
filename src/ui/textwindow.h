#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QStringView>
#include <QTextLayout>

#include <optional>

class QPainter;

// The part of a one-line box's text that is laid out, and the box's horizontal scroll,
// for a text of any length. The layout starts at a character near the box's left edge
// (first()) and reaches a little past its right edge, so that it holds a few hundred
// characters whatever the length of the text; the box's left edge lies offset() pixels
// into it. follow() scrolls as QLineEdit does. Every call takes the shown text afresh;
// after any change of it, or of the font, call textChanged() or invalidate().
class TextWindow
{
public:
    // What the box shows, in positions of its own: the text with an input method's
    // composition (preedit) inside it at preeditAt. Without a composition they are the
    // text's positions.
    struct Shown
    {
        QStringView text;
        QStringView preedit;
        qsizetype preeditAt = 0;

        qsizetype size() const { return text.size() + preedit.size(); }
        // n characters from pos, control characters and line separators as blanks (as
        // QLineEdit shows them).
        QString mid(qsizetype pos, qsizetype n) const;
    };

    void setFont(const QFont &font);
    void invalidate() { m_count = -1; }
    // At pos, removed characters gave way to inserted ones. The box keeps showing the
    // same part of the text when the change lies before it.
    void textChanged(qsizetype pos, qsizetype removed, qsizetype inserted);

    // Scrolls as QLineEdit does for a box width pixels wide: a text that fits is not
    // scrolled; else a cursor beyond the right edge comes to the right edge, one beyond
    // the left edge to the left edge, and the text's end is not left short of the right
    // edge (after a deletion) while there is more of it to the left.
    void follow(const Shown &shown, qsizetype cursor, int width, int cursorWidth);

    // Where pos is, from the box's left edge; none when it lies outside the layout.
    std::optional<qreal> xOf(const Shown &shown, qsizetype pos, int width);
    // The position between characters nearest to x (from the box's left edge; a point
    // left or right of the box gives a position out of its view).
    qsizetype positionAt(const Shown &shown, qreal x, int width);

    // Draws the part of the text seen through a box width pixels wide whose text line
    // starts at lineTopLeft; formats in shown positions (selection, composition), and
    // the cursor when cursor is not negative. baselineAscent keeps the baseline in
    // place whatever fonts the shown part falls back to.
    void draw(QPainter *painter, QPointF lineTopLeft, const Shown &shown, int width,
              const QList<QTextLayout::FormatRange> &formats, qsizetype cursor, int cursorWidth,
              qreal baselineAscent);
    // The height of the laid-out line.
    qreal lineHeight(const Shown &shown, int width);

    qsizetype first() const { return m_first; }
    int offset() const { return m_offset; }

private:
    // Lays out from m_first so that the layout holds at least minCount characters and
    // reaches minWidth pixels, or the text's end, or the most it ever holds.
    QTextLine ensure(const Shown &shown, qsizetype minCount, qreal minWidth);
    void layOut(const Shown &shown, qsizetype count);
    // The character in which the place distance pixels left of end lies, and how far
    // into it (*rest) that place is; the text's start when it is nearer than that. With
    // between, the position between characters nearest to that place instead.
    qsizetype startBefore(const Shown &shown, qsizetype end, qreal distance, int *rest, bool between = false) const;
    // Makes the place distance pixels left of end the box's left edge.
    void alignRight(const Shown &shown, qsizetype end, qreal distance);
    void setStart(qsizetype first, int offset);

    QFont m_font;
    QTextLayout m_layout;
    qsizetype m_first = 0;  // the first character laid out
    qsizetype m_count = -1; // how many are laid out; -1: no layout
    int m_offset = 0;       // where the box's left edge is in the layout
};
