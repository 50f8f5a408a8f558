#include "longlineeditaccessible.h"

#include "longlineedit.h"

namespace {

// A stretch of the text, so that Qt's own rules for characters, words and sentences
// (QAccessibleTextInterface's default textAtOffset and the like) run on it rather than
// on the whole text.
class Stretch : public QAccessibleTextInterface
{
public:
    explicit Stretch(QStringView text) : m_text(text.toString()) {}
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
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QString m_text;
};

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
        Stretch stretch(QStringView(text).mid(from, to - from));
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

} // namespace

LongLineEditAccessible::LongLineEditAccessible(LongLineEdit *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

QAccessibleInterface *LongLineEditAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(LongLineEdit::staticMetaObject.className()) && object
        && object->isWidgetType())
        return new LongLineEditAccessible(static_cast<LongLineEdit *>(object));
    return nullptr;
}

LongLineEdit *LongLineEditAccessible::box() const
{
    return static_cast<LongLineEdit *>(widget());
}

QString LongLineEditAccessible::text(QAccessible::Text t) const
{
    QString str = t == QAccessible::Value ? box()->text() : QString();
    if (str.isEmpty())
        str = QAccessibleWidget::text(t);
    return str;
}

void LongLineEditAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value)
        box()->setText(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State LongLineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.selectableText = true;
    return state;
}

void *LongLineEditAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

void LongLineEditAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = *startOffset + box()->selectionLength();
}

int LongLineEditAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void LongLineEditAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LongLineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void LongLineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int LongLineEditAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void LongLineEditAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString LongLineEditAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return box()->text().mid(startOffset, endOffset - startOffset);
}

int LongLineEditAccessible::characterCount() const
{
    return int(box()->text().size());
}

QString LongLineEditAccessible::boundaryText(int offset, QAccessible::TextBoundaryType type, bool at,
                                             const Rule &rule, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = -1;
    const QString &text = box()->text();
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

QString LongLineEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                 int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, false, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textBeforeOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

QString LongLineEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, false, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textAfterOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

QString LongLineEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    return boundaryText(offset, boundaryType, true, [boundaryType](QAccessibleTextInterface &s, int at, int *a, int *b) {
        return s.QAccessibleTextInterface::textAtOffset(at, boundaryType, a, b);
    }, startOffset, endOffset);
}

QRect LongLineEditAccessible::characterRect(int offset) const
{
    return box()->characterRect(offset);
}

int LongLineEditAccessible::offsetAtPoint(const QPoint &point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

void LongLineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

QString LongLineEditAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // No text attributes, as in a QLineEdit.
    *startOffset = *endOffset = offset;
    return {};
}

void LongLineEditAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void LongLineEditAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void LongLineEditAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    // As QAccessibleLineEdit: the box's text set anew.
    QString whole = box()->text();
    whole.replace(startOffset, endOffset - startOffset, text);
    box()->setText(whole);
}
