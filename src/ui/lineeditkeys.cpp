#include "lineeditkeys.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace LineEditKeys {

namespace {

struct Binding
{
    QKeySequence::StandardKey key;
    Action action;
};

// In the order QLineEdit tries them: a key bound to two of them does the first.
constexpr Binding bindings[] = {
    {QKeySequence::Undo, Action::Undo},
    {QKeySequence::Redo, Action::Redo},
    {QKeySequence::SelectAll, Action::SelectAll},
    {QKeySequence::Copy, Action::Copy},
    {QKeySequence::Paste, Action::Paste},
    {QKeySequence::Cut, Action::Cut},
    {QKeySequence::DeleteEndOfLine, Action::DeleteEndOfLine},
    {QKeySequence::MoveToStartOfLine, Action::Home},
    {QKeySequence::MoveToStartOfBlock, Action::Home},
    {QKeySequence::MoveToEndOfLine, Action::End},
    {QKeySequence::MoveToEndOfBlock, Action::End},
    {QKeySequence::SelectStartOfLine, Action::SelectHome},
    {QKeySequence::SelectStartOfBlock, Action::SelectHome},
    {QKeySequence::SelectEndOfLine, Action::SelectEnd},
    {QKeySequence::SelectEndOfBlock, Action::SelectEnd},
    {QKeySequence::MoveToNextChar, Action::NextChar},
    {QKeySequence::SelectNextChar, Action::SelectNextChar},
    {QKeySequence::MoveToPreviousChar, Action::PreviousChar},
    {QKeySequence::SelectPreviousChar, Action::SelectPreviousChar},
    {QKeySequence::MoveToNextWord, Action::NextWord},
    {QKeySequence::MoveToPreviousWord, Action::PreviousWord},
    {QKeySequence::SelectNextWord, Action::SelectNextWord},
    {QKeySequence::SelectPreviousWord, Action::SelectPreviousWord},
    {QKeySequence::Delete, Action::Delete},
    {QKeySequence::DeleteEndOfWord, Action::DeleteEndOfWord},
    {QKeySequence::DeleteStartOfWord, Action::DeleteStartOfWord},
    {QKeySequence::DeleteCompleteLine, Action::DeleteCompleteLine},
};

// The keys QLineEdit claims before shortcuts whatever their modifiers.
constexpr QKeySequence::StandardKey claimed[] = {
    QKeySequence::Copy, QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
    QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
    QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
    QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
    QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
    QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock,
    QKeySequence::SelectStartOfDocument, QKeySequence::SelectAll,
    QKeySequence::SelectEndOfDocument, QKeySequence::Paste, QKeySequence::Cut,
    QKeySequence::Redo, QKeySequence::Undo, QKeySequence::DeleteCompleteLine,
};

} // namespace

Action actionFor(const QKeyEvent *event)
{
    for (const Binding &binding : bindings) {
        if (event->matches(binding.key)) {
            if (binding.action == Action::Paste && event->key() == Qt::Key_Insert
                && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))
                return Action::PasteSelection;
            return binding.action;
        }
    }
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            return Action::DeleteStartOfWord;
        case Qt::Key_Up:
        case Qt::Key_Down:
            return Action::Ignored;
        default:
            return Action::Unknown;
        }
    }
    return event->key() == Qt::Key_Backspace ? Action::Backspace : Action::Unknown;
}

bool overridesShortcut(const QKeyEvent *event)
{
    for (QKeySequence::StandardKey key : claimed) {
        if (event->matches(key))
            return true;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier && modifiers != Qt::KeypadModifier)
        return false;
    if (event->key() < Qt::Key_Escape)
        return true;
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

bool typesText(const QKeyEvent *event)
{
    // As Qt's line edit decides: formatting characters (ZWJ and the like) always; with
    // Ctrl (but not AltGr, which is Ctrl+Alt) nothing; else printable text.
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse)
        return true;
    return c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate();
}

bool windowsScheme()
{
    // Only Windows' scheme binds Ctrl+Y to Redo.
    static const bool windows =
        QKeySequence::keyBindings(QKeySequence::Redo).contains(QKeySequence(Qt::CTRL | Qt::Key_Y));
    return windows;
}

} // namespace LineEditKeys
