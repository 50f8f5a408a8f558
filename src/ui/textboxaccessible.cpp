#include "textboxaccessible.h"

#include "longlineedit.h"
#include "textstretch.h"

#include <QFontMetrics>
#include <QLineEdit>

namespace {

bool isLine(QAccessible::TextBoundaryType type)
{
    return type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary
        || type == QAccessible::NoBoundary;
}

// Runs rule at offset on a stretch around it, wider while an answer reaches the
// stretch's edge (where the text may go on), and gives the answer in the text's offsets.
QString around(const QString &text, int offset, QAccessible::TextBoundaryType type,
               const std::function<QString(QAccessibleTextInterface &, int, int *, int *)> &rule,
               int *startOffset, int *endOffset)
{
    const qsizetype size = text.size();
    for (qsizetype reach = type == QAccessible::SentenceBoundary ? 4096 : 256;; reach *= 4) {
        const qsizetype from = qMax<qsizetype>(0, offset - reach);
        const qsizetype to = qMin(size, offset + reach);
        TextStretch stretch(QStringView(text).mid(from, to - from));
        int start = -1;
        int end = -1;
        const QString found = rule(stretch, int(offset - from), &start, &end);
        const bool openLeft = from > 0 && start <= 0;
        const bool openRight = to < size && (end < 0 || end >= to - from);
        if ((!openLeft && !openRight) || (from == 0 && to == size)) {
            *startOffset = start < 0 ? -1 : int(from + start);
            *endOffset = end < 0 ? -1 : int(from + end);
            return found;
        }
    }
}

// What differs between the two kinds of box.
bool isPassword(const LongLineEdit *) { return false; }
bool isPassword(const QLineEdit *box) { return box->echoMode() != QLineEdit::Normal; }
bool isReadOnly(const LongLineEdit *) { return false; }
bool isReadOnly(const QLineEdit *box) { return box->isReadOnly(); }
QString placeholder(const LongLineEdit *) { return {}; }
QString placeholder(const QLineEdit *box) { return box->placeholderText(); }
QRect rectOfCharacter(LongLineEdit *box, int offset) { return box->characterRect(offset); }
QRect rectOfCharacter(QLineEdit *box, int offset)
{
    // QLineEdit shows where its cursor is, not where another character is: the advance
    // of the text between the two tells (these boxes hold short texts).
    const QString text = box->displayText();
    if (offset < 0 || offset >= text.size())
        return {};
    const QFontMetrics metrics(box->font());
    const int cursor = box->cursorPosition();
    const QRect cursorRect = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int x = cursorRect.x() + metrics.horizontalAdvance(text.left(offset))
                  - metrics.horizontalAdvance(text.left(cursor));
    const QRect local(x, cursorRect.y(), metrics.horizontalAdvance(text.mid(offset, 1)), cursorRect.height());
    return QRect(box->mapToGlobal(local.topLeft()), local.size());
}

QAccessibleInterface *createTextBoxAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1StringView(LongLineEdit::staticMetaObject.className()))
        return new TextBoxAccessible<LongLineEdit>(static_cast<LongLineEdit *>(object));
    if (className == QLatin1StringView(QLineEdit::staticMetaObject.className()))
        return new TextBoxAccessible<QLineEdit>(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace

namespace TextBoxAccessibility {
void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&createTextBoxAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
} // namespace TextBoxAccessibility

template <typename Box>
TextBoxAccessible<Box>::TextBoxAccessible(Box *box) : QAccessibleWidget(box, QAccessible::EditableText)
{
}

template <typename Box>
Box *TextBoxAccessible<Box>::box() const
{
    return static_cast<Box *>(widget());
}

template <typename Box>
QString TextBoxAccessible<Box>::shownText() const
{
    return isPassword(box()) ? QString(box()->text().size(), u'*') : box()->text();
}

template <typename Box>
QString TextBoxAccessible<Box>::text(QAccessible::Text t) const
{
    QString str = t == QAccessible::Value ? shownText() : QString();
    if (str.isEmpty())
        str = QAccessibleWidget::text(t);
    if (str.isEmpty() && t == QAccessible::Description)
        str = placeholder(box());
    return str;
}

template <typename Box>
void TextBoxAccessible<Box>::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value) {
        if (!isReadOnly(box()))
            box()->setText(text);
    }
    else
        QAccessibleWidget::setText(t, text);
}

template <typename Box>
QAccessible::State TextBoxAccessible<Box>::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !isReadOnly(box());
    state.readOnly = isReadOnly(box());
    state.passwordEdit = isPassword(box());
    state.selectableText = true;
    return state;
}

template <typename Box>
void *TextBoxAccessible<Box>::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

template <typename Box>
void TextBoxAccessible<Box>::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = *startOffset + box()->selectionLength();
}

template <typename Box>
int TextBoxAccessible<Box>::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

template <typename Box>
void TextBoxAccessible<Box>::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

template <typename Box>
void TextBoxAccessible<Box>::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

template <typename Box>
void TextBoxAccessible<Box>::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

template <typename Box>
int TextBoxAccessible<Box>::cursorPosition() const
{
    return box()->cursorPosition();
}

template <typename Box>
void TextBoxAccessible<Box>::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

template <typename Box>
QString TextBoxAccessible<Box>::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return shownText().mid(startOffset, endOffset - startOffset);
}

template <typename Box>
int TextBoxAccessible<Box>::characterCount() const
{
    return int(box()->text().size());
}

template <typename Box>
QString TextBoxAccessible<Box>::boundaryText(int offset, QAccessible::TextBoundaryType type, bool at,
                                             const Rule &rule, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = -1;
    const QString text = shownText();
    if (offset == -2)
        offset = cursorPosition();
    else if (offset == -1)
        offset = int(text.size());
    if (offset < 0 || offset > text.size() || text.isEmpty())
        return {};
    if (isLine(type)) {
        // One line: it is the whole text, and nothing comes before or after it.
        if (!at)
            return {};
        *startOffset = 0;
        *endOffset = int(text.size());
        return text;
    }
    // At the very end Qt's rule for the text at an offset never returns when the text
    // ends in a word or a sentence (it steps past the end and on); the unit there is the
    // last one.
    if (at && offset == text.size() && type != QAccessible::CharBoundary)
        --offset;
    return around(text, offset, type, rule, startOffset, endOffset);
}

template <typename Box>
QString TextBoxAccessible<Box>::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                 int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, false, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textBeforeOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

template <typename Box>
QString TextBoxAccessible<Box>::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, false, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textAfterOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

template <typename Box>
QString TextBoxAccessible<Box>::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, true, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textAtOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

template <typename Box>
QRect TextBoxAccessible<Box>::characterRect(int offset) const
{
    return rectOfCharacter(box(), offset);
}

template <typename Box>
int TextBoxAccessible<Box>::offsetAtPoint(const QPoint &point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

template <typename Box>
void TextBoxAccessible<Box>::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

template <typename Box>
QString TextBoxAccessible<Box>::attributes(int offset, int *startOffset, int *endOffset) const
{
    // No text attributes, as in a QLineEdit.
    *startOffset = *endOffset = offset;
    return {};
}

template <typename Box>
void TextBoxAccessible<Box>::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

template <typename Box>
void TextBoxAccessible<Box>::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

template <typename Box>
void TextBoxAccessible<Box>::replaceText(int startOffset, int endOffset, const QString &text)
{
    // As QAccessibleLineEdit: the box's text set anew.
    if (isReadOnly(box()))
        return;
    QString whole = box()->text();
    whole.replace(startOffset, endOffset - startOffset, text);
    box()->setText(whole);
}

template class TextBoxAccessible<LongLineEdit>;
template class TextBoxAccessible<QLineEdit>;
