// LongLineEdit's input: keys, the input method, the mouse, the focus, the context menu,
// drops and the timers, each as Qt's QLineEdit handles it.
#include "longlineedit.h"

#include "lineeditkeys.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QIcon>
#include <QInputMethod>
#include <QMenu>
#include <QMimeData>
#include <QStyleHints>
#include <QTextCharFormat>

using namespace Qt::StringLiterals;

namespace {
// How much text around the cursor an input method gets to see.
constexpr qsizetype surroundingReach = 1024;
} // namespace

bool LongLineEdit::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && LineEditKeys::overridesShortcut(static_cast<QKeyEvent *>(event)))
        event->accept();
    return QWidget::event(event);
}

void LongLineEdit::keyPressEvent(QKeyEvent *event)
{
    using LineEditKeys::Action;
    if (event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return) {
        // Ends a composition, then goes on to the delegate or the dialog.
        QGuiApplication::inputMethod()->commit();
        event->ignore();
        return;
    }
    const qsizetype cursor = m_buffer.cursor();
    const bool selection = m_buffer.hasSelection();
    const bool windows = LineEditKeys::windowsScheme();
    const Action action = LineEditKeys::actionFor(event);
    switch (action) {
    case Action::Undo: undo(); break;
    case Action::Redo: redo(); break;
    case Action::SelectAll: selectAll(); break;
    case Action::Copy: copy(); break;
    case Action::Paste: pasteFrom(QClipboard::Clipboard); break;
    case Action::PasteSelection: pasteFrom(QClipboard::Selection); break;
    case Action::Cut: cut(); break;
    case Action::DeleteEndOfLine:
        setSelection(int(cursor), int(m_buffer.size() - cursor));
        copy();
        changed(m_buffer.del());
        break;
    case Action::Home: moveCursor(0, false); break;
    case Action::End: moveCursor(m_buffer.size(), false); break;
    case Action::SelectHome: moveCursor(0, true); break;
    case Action::SelectEnd: moveCursor(m_buffer.size(), true); break;
    case Action::NextChar:
        moveCursor(selection && !windows ? m_buffer.selectionEnd() : m_buffer.nextCharacter(cursor), false);
        break;
    case Action::PreviousChar:
        moveCursor(selection && !windows ? m_buffer.selectionStart() : m_buffer.previousCharacter(cursor), false);
        break;
    case Action::SelectNextChar: moveCursor(m_buffer.nextCharacter(cursor), true); break;
    case Action::SelectPreviousChar: moveCursor(m_buffer.previousCharacter(cursor), true); break;
    case Action::NextWord: moveCursor(m_buffer.nextWord(cursor), false); break;
    case Action::PreviousWord: moveCursor(m_buffer.previousWord(cursor), false); break;
    case Action::SelectNextWord: moveCursor(m_buffer.nextWord(cursor), true); break;
    case Action::SelectPreviousWord: moveCursor(m_buffer.previousWord(cursor), true); break;
    case Action::Delete: changed(m_buffer.del()); break;
    case Action::DeleteEndOfWord:
    case Action::DeleteStartOfWord:
        // The selection, else the word from the cursor.
        if (!selection) {
            const bool forward = action == Action::DeleteEndOfWord;
            moveCursor(forward ? m_buffer.nextWord(cursor) : m_buffer.previousWord(cursor), true);
        }
        if (m_buffer.hasSelection())
            changed(m_buffer.del());
        break;
    case Action::DeleteCompleteLine:
        selectAll();
        copy();
        changed(m_buffer.del());
        break;
    case Action::Backspace: changed(m_buffer.backspace()); break;
    case Action::Ignored: break;
    case Action::Unknown:
        if (!LineEditKeys::typesText(event)) {
            event->ignore();
            return;
        }
        changed(m_buffer.insert(event->text(), EditBuffer::Kind::Typing));
        event->accept();
        startBlinking();
        return;
    }
    // As QLineEdit: after an editing key the selection is the X11 selection.
    if (QGuiApplication::clipboard()->supportsSelection() && m_buffer.hasSelection())
        QGuiApplication::clipboard()->setText(m_buffer.selectedText(), QClipboard::Selection);
    event->accept();
    startBlinking();
}

void LongLineEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const bool input = !commit.isEmpty() || event->preeditString() != m_preedit || event->replacementLength() > 0;
    // Input replaces the selection; a commit joins the typing before it in one undo step.
    if (input && m_buffer.hasSelection())
        changed(m_buffer.insert({}, EditBuffer::Kind::Typing));
    const qsizetype cursor = m_buffer.cursor();
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        const qsizetype start = qMax<qsizetype>(0, cursor + event->replacementStart());
        changed(m_buffer.replace(start, event->replacementLength(), commit, EditBuffer::Kind::Typing));
        if (commit.isEmpty() && event->replacementStart() > 0)
            m_buffer.moveCursor(cursor, false);
    }
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Selection)
            setSelection(attribute.start, attribute.length);
    }
    m_preedit = event->preeditString();
    m_preeditCursor = int(m_preedit.size());
    m_hideCursor = false;
    m_preeditFormats.clear();
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            m_preeditCursor = attribute.start;
            m_hideCursor = attribute.length == 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(attribute.value).toCharFormat();
            if (format.isValid())
                m_preeditFormats.append({attribute.start, attribute.length, format});
        }
    }
    m_window.invalidate();
    update();
    updateMicroFocus();
}

QVariant LongLineEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // An input method asks for the text around the cursor at every key: it gets a
    // stretch of it, with positions counted from the stretch's start, as the queries
    // allow, never a copy of millions of characters.
    const QString &text = m_buffer.text();
    const qsizetype cursor = m_buffer.cursor();
    qsizetype from = qMax<qsizetype>(0, cursor - surroundingReach);
    qsizetype to = qMin(text.size(), cursor + surroundingReach);
    if (from > 0 && text[from].isLowSurrogate())
        --from;
    if (to < text.size() && to > 0 && text[to - 1].isHighSurrogate())
        ++to;
    const qsizetype anchor = qBound(from, m_buffer.anchor(), to);
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle:
        return cursorRect();
    case Qt::ImAnchorRectangle:
        return cursorRect();
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(cursor - from);
    case Qt::ImAbsolutePosition:
        return int(cursor);
    case Qt::ImSurroundingText:
        return text.mid(from, to - from);
    case Qt::ImCurrentSelection:
        return text.mid(qMin(anchor, cursor), qAbs(anchor - cursor));
    case Qt::ImAnchorPosition:
        return int(anchor - from);
    case Qt::ImReadOnly:
        return false;
    case Qt::ImTextBeforeCursor:
        return text.mid(from, cursor - from);
    case Qt::ImTextAfterCursor:
        return text.mid(cursor, to - cursor);
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void LongLineEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return;
    const QPoint at = event->position().toPoint();
    if (m_tripleClick.isActive() && (at - m_tripleClickPos).manhattanLength() < QApplication::startDragDistance()) {
        selectAll();
        return;
    }
    moveCursor(positionAt(at.x()), event->modifiers() & Qt::ShiftModifier);
}

void LongLineEdit::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        moveCursor(positionAt(event->position().toPoint().x()), true);
}

void LongLineEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    if (event->button() == Qt::LeftButton && m_buffer.hasSelection()) {
        clipboard->setText(m_buffer.selectedText(), QClipboard::Selection);
    } else if (event->button() == Qt::MiddleButton) {
        deselect();
        pasteFrom(QClipboard::Selection);
    }
}

void LongLineEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype at = positionAt(event->position().toPoint().x());
    const qsizetype old = m_buffer.cursor();
    m_buffer.selectWordAt(at);
    moved(old, true);
    m_tripleClick.start(QGuiApplication::styleHints()->mouseDoubleClickInterval(), this);
    m_tripleClickPos = event->position().toPoint();
}

void LongLineEdit::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        && !m_buffer.hasSelection())
        selectAll();
    m_focused = true;
    startBlinking();
    QWidget::focusInEvent(event);
    update();
}

void LongLineEdit::focusOutEvent(QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        deselect();
    m_focused = false;
    stopBlinking();
    QWidget::focusOutEvent(event);
    update();
}

QMenu *LongLineEdit::createStandardContextMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(u"qt_edit_menu"_s);
    // QLineEdit's captions (and so its translations), names and theme icons.
    const auto add = [this, menu](const char *caption, QKeySequence::StandardKey key, const QString &name,
                                  bool enabled, auto slot) {
        QString text = QCoreApplication::translate("QLineEdit", caption);
        if (key != QKeySequence::UnknownKey && QGuiApplication::styleHints()->showShortcutsInContextMenus())
            text += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        action->setIcon(QIcon::fromTheme(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    const bool selection = m_buffer.hasSelection();
    add("&Undo", QKeySequence::Undo, u"edit-undo"_s, m_buffer.canUndo(), &LongLineEdit::undo);
    add("&Redo", QKeySequence::Redo, u"edit-redo"_s, m_buffer.canRedo(), &LongLineEdit::redo);
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, u"edit-cut"_s, selection, &LongLineEdit::cut);
    add("&Copy", QKeySequence::Copy, u"edit-copy"_s, selection, &LongLineEdit::copy);
    add("&Paste", QKeySequence::Paste, u"edit-paste"_s, !QGuiApplication::clipboard()->text().isEmpty(),
        &LongLineEdit::paste);
    add("Delete", QKeySequence::UnknownKey, u"edit-delete"_s, selection, &LongLineEdit::deleteSelection);
    menu->addSeparator();
    const bool allSelected = m_buffer.selectionStart() == 0 && m_buffer.selectionEnd() == m_buffer.size();
    add("Select All", QKeySequence::SelectAll, u"select-all"_s, m_buffer.size() > 0 && !allSelected,
        &LongLineEdit::selectAll);
    return menu;
}

void LongLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void LongLineEdit::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void LongLineEdit::dragMoveEvent(QDragMoveEvent *event)
{
    if (!event->mimeData()->hasFormat(u"text/plain"_s))
        return;
    event->acceptProposedAction();
    moveCursor(positionAt(event->position().toPoint().x()), false);
    m_focused = true;
    update();
}

void LongLineEdit::dragLeaveEvent(QDragLeaveEvent *)
{
    m_focused = hasFocus();
    update();
}

void LongLineEdit::dropEvent(QDropEvent *event)
{
    const QString text = event->mimeData()->text();
    if (text.isNull()) {
        event->ignore();
        return;
    }
    m_focused = hasFocus();
    moveCursor(positionAt(event->position().toPoint().x()), false);
    m_buffer.separate();
    changed(m_buffer.insert(text));
    m_buffer.separate();
    event->acceptProposedAction();
}

void LongLineEdit::startBlinking()
{
    m_cursorOn = true;
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (m_focused && flashTime >= 2)
        m_blink.start(flashTime / 2, this);
    else
        m_blink.stop();
    update();
}

void LongLineEdit::stopBlinking()
{
    m_blink.stop();
    m_cursorOn = false;
}

void LongLineEdit::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_cursorOn = !m_cursorOn;
        update(cursorRect());
    } else if (event->timerId() == m_tripleClick.timerId()) {
        m_tripleClick.stop();
    } else {
        QWidget::timerEvent(event);
    }
}

void LongLineEdit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_window.setFont(font());
    update();
    QWidget::changeEvent(event);
}
