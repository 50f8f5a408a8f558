#include "longlineedit.h"

#include "textboxaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethod>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit's margins between the contents rectangle and the text.
constexpr int horizontalMargin = 2;
constexpr int verticalMargin = 1;

QStyleOptionFrame panelOption(const QWidget *box, bool frame)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->contentsRect();
    option.lineWidth = frame ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    return option;
}

} // namespace

LongLineEdit::LongLineEdit(QWidget *parent) : QWidget(parent)
{
    TextBoxAccessibility::install();
    // As QLineEdit sets itself up.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression);
    setAttribute(Qt::WA_MacShowFocusRect);
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::LineEdit));
    setBackgroundRole(QPalette::Base);
    setMouseTracking(true);
    setAcceptDrops(true);
    setCursor(Qt::IBeamCursor);
    m_window.setFont(font());
}

void LongLineEdit::setText(const QString &text)
{
    if (!m_preedit.isEmpty()) {
        QGuiApplication::inputMethod()->reset();
        m_preedit.clear();
    }
    const EditBuffer::Change change = m_buffer.setText(text);
    if (change.removed != change.inserted)
        changed(change);
    else
        moved(-1, true);
}

void LongLineEdit::setCursorPosition(int pos)
{
    moveCursor(pos, false);
}

int LongLineEdit::cursorPositionAt(const QPoint &pos)
{
    return int(positionAt(pos.x()));
}

int LongLineEdit::selectionStart() const
{
    return m_buffer.hasSelection() ? int(m_buffer.selectionStart()) : -1;
}

int LongLineEdit::selectionLength() const
{
    return int(m_buffer.selectionEnd() - m_buffer.selectionStart());
}

void LongLineEdit::setSelection(int start, int length)
{
    const qsizetype old = m_buffer.cursor();
    m_buffer.setSelection(start, length);
    moved(old, true);
}

void LongLineEdit::deselect()
{
    moveCursor(m_buffer.cursor(), false);
}

void LongLineEdit::selectAll()
{
    setSelection(0, int(m_buffer.size()));
}

void LongLineEdit::home(bool mark)
{
    moveCursor(0, mark);
}

void LongLineEdit::end(bool mark)
{
    moveCursor(m_buffer.size(), mark);
}

void LongLineEdit::undo()
{
    changed(m_buffer.undo());
}

void LongLineEdit::redo()
{
    changed(m_buffer.redo());
}

void LongLineEdit::copy() const
{
    if (m_buffer.hasSelection())
        QGuiApplication::clipboard()->setText(m_buffer.selectedText());
}

void LongLineEdit::cut()
{
    if (!m_buffer.hasSelection())
        return;
    copy();
    deleteSelection();
}

void LongLineEdit::paste()
{
    pasteFrom(QClipboard::Clipboard);
}

void LongLineEdit::pasteFrom(int mode)
{
    const QString clip = QGuiApplication::clipboard()->text(QClipboard::Mode(mode));
    if (clip.isEmpty() && !m_buffer.hasSelection())
        return;
    // A paste is an undo step of its own.
    m_buffer.separate();
    changed(m_buffer.insert(clip));
    m_buffer.separate();
}

void LongLineEdit::deleteSelection()
{
    changed(m_buffer.removeSelection());
}

void LongLineEdit::setFrame(bool frame)
{
    m_frame = frame;
    update();
}

void LongLineEdit::moveCursor(qsizetype pos, bool mark)
{
    if (!m_preedit.isEmpty()) {
        // A click or a cursor key ends the composition, as in QLineEdit.
        QGuiApplication::inputMethod()->commit();
        m_preedit.clear();
    }
    const qsizetype old = m_buffer.cursor();
    const bool hadSelection = m_buffer.hasSelection();
    m_buffer.moveCursor(pos, mark);
    moved(old, mark || hadSelection);
}

void LongLineEdit::changed(const EditBuffer::Change &change)
{
    if (change.isNull())
        return;
    m_window.textChanged(change.pos, change.removed.size(), change.inserted.size());
    if (QAccessible::isActive()) {
        const int pos = int(change.pos);
        if (change.removed.isEmpty()) {
            QAccessibleTextInsertEvent event(this, pos, change.inserted);
            event.setCursorPosition(cursorPosition());
            QAccessible::updateAccessibility(&event);
        } else if (change.inserted.isEmpty()) {
            QAccessibleTextRemoveEvent event(this, pos, change.removed);
            event.setCursorPosition(cursorPosition());
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextUpdateEvent event(this, pos, change.removed, change.inserted);
            event.setCursorPosition(cursorPosition());
            QAccessible::updateAccessibility(&event);
        }
    }
    emit textChanged(m_buffer.text());
    update();
    updateMicroFocus();
}

void LongLineEdit::moved(qsizetype oldCursor, bool selectionChanged)
{
    if (oldCursor == m_buffer.cursor() && !selectionChanged)
        return;
    if (QAccessible::isActive()) {
        if (m_buffer.hasSelection()) {
            QAccessibleTextSelectionEvent event(this, int(m_buffer.selectionStart()), int(m_buffer.selectionEnd()));
            event.setCursorPosition(cursorPosition());
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextCursorEvent event(this, cursorPosition());
            QAccessible::updateAccessibility(&event);
        }
    }
    update();
    updateMicroFocus();
}

TextWindow::Shown LongLineEdit::shown() const
{
    return TextWindow::Shown{m_buffer.text(), m_preedit, m_buffer.cursor()};
}

qsizetype LongLineEdit::shownPosition(qsizetype pos) const
{
    return pos > m_buffer.cursor() ? pos + m_preedit.size() : pos;
}

QRect LongLineEdit::lineRect() const
{
    const QStyleOptionFrame panel = panelOption(this, m_frame);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const int height = fontMetrics().height();
    const int top = contents.y() + (contents.height() - height + 1) / 2;
    return QRect(contents.x() + horizontalMargin, top, contents.width() - 2 * horizontalMargin, height);
}

int LongLineEdit::cursorWidth() const
{
    const QStyleOptionFrame panel = panelOption(this, m_frame);
    return style()->pixelMetric(QStyle::PM_TextCursorWidth, &panel, this);
}

qsizetype LongLineEdit::shownCursor() const
{
    return m_buffer.cursor() + (m_preedit.isEmpty() ? 0 : m_preeditCursor);
}

void LongLineEdit::syncView() const
{
    m_window.follow(shown(), shownCursor(), lineRect().width(), cursorWidth());
}

qsizetype LongLineEdit::positionAt(int x) const
{
    syncView();
    const QRect line = lineRect();
    const qsizetype at = m_window.positionAt(shown(), x - line.x(), line.width());
    // A place inside the composition is the cursor, where the composition stands.
    const qsizetype cursor = m_buffer.cursor();
    if (at <= cursor)
        return at;
    return at <= cursor + m_preedit.size() ? cursor : at - m_preedit.size();
}

QRect LongLineEdit::cursorRect() const
{
    syncView();
    const QRect line = lineRect();
    const int x = qRound(m_window.xOf(shown(), shownCursor(), line.width()).value_or(0));
    return QRect(line.x() + x - 5, line.y(), cursorWidth() + 9, line.height() + 1);
}

QRect LongLineEdit::characterRect(int offset)
{
    if (offset < 0 || offset >= m_buffer.size())
        return {};
    syncView();
    const QRect line = lineRect();
    const qsizetype at = shownPosition(offset);
    const auto left = m_window.xOf(shown(), at, line.width());
    const auto right = m_window.xOf(shown(), at + 1, line.width());
    if (!left || !right || *right < 0 || *left > line.width())
        return {};
    const QRect rect(line.x() + qRound(*left), line.y(), qMax(1, qRound(*right - *left)), line.height());
    return QRect(mapToGlobal(rect.topLeft()), rect.size());
}

void LongLineEdit::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QStyleOptionFrame panel = panelOption(this, m_frame);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setClipRect(style()->subElementRect(QStyle::SE_LineEditContents, &panel, this));
    syncView();

    QList<QTextLayout::FormatRange> formats;
    if (m_buffer.hasSelection()) {
        QTextLayout::FormatRange selection;
        selection.start = int(shownPosition(m_buffer.selectionStart()));
        selection.length = int(shownPosition(m_buffer.selectionEnd()) - selection.start);
        selection.format.setBackground(palette().brush(QPalette::Highlight));
        selection.format.setForeground(palette().brush(QPalette::HighlightedText));
        formats.append(selection);
    }
    for (QTextLayout::FormatRange range : std::as_const(m_preeditFormats)) {
        range.start += int(m_buffer.cursor());
        formats.append(range);
    }
    painter.setPen(palette().text().color());
    const bool cursorShown = m_focused && m_cursorOn && !(m_hideCursor && !m_preedit.isEmpty());
    const QRect line = lineRect();
    m_window.draw(&painter, line.topLeft(), shown(), line.width(), formats, cursorShown ? shownCursor() : -1,
                  cursorWidth(), fontMetrics().ascent());
}

QSize LongLineEdit::sizeHint() const
{
    // As QLineEdit's: room for 17 x's and a line of the font.
    ensurePolished();
    const QFontMetrics metrics(font());
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int height = qMax(metrics.height(), qMax(14, iconSize - 2)) + 2 * verticalMargin;
    const int width = metrics.horizontalAdvance(u'x') * 17 + 2 * horizontalMargin;
    const QStyleOptionFrame panel = panelOption(this, m_frame);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &panel, QSize(width, height), this);
}

QSize LongLineEdit::minimumSizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = metrics.height() + qMax(2 * verticalMargin, metrics.leading());
    const int width = metrics.maxWidth();
    const QStyleOptionFrame panel = panelOption(this, m_frame);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &panel, QSize(width, height), this);
}
