#pragma once

#include "editbuffer.h"
#include "textwindow.h"

#include <QBasicTimer>
#include <QPoint>
#include <QWidget>

class QMenu;

// A single-line text box for texts of any length. It keeps, edits and returns the whole
// text, but lays out only the part it shows (TextWindow), so that opening it, typing and
// moving about take the same few milliseconds on a text of four million characters as
// on a short one. Qt's QLineEdit lays out its whole text at every key; the program uses
// this box from minimumLength characters on and QLineEdit below.
//
// What a user expects of a line edit works as in QLineEdit (EditBuffer says how the text
// changes): typing and an input method (its composition shown underlined in place),
// Backspace and Delete, the cursor keys with Home and End, Ctrl with them by word, Shift
// with them to select, selecting with the mouse (a double click a word, a triple click
// everything), the platform's keys for select all, cut, copy, paste, undo and redo, the
// context menu (the same actions under the same names), the X11 selection clipboard and
// its middle-button paste, text dropped on it, the style's frame with its focus
// highlight, and the whole text through QAccessible as an editable text
// (TextBoxAccessible). Text that goes in keeps only its first line. Not offered:
// dragging text out, right-to-left layout, input masks and validators, the Unicode
// control-character submenu.
//
// Enter, Return and Escape are left to whoever watches the box (the item delegate, the
// dialog), as QLineEdit leaves them; Tab moves the focus.
class LongLineEdit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)
    Q_PROPERTY(int cursorPosition READ cursorPosition WRITE setCursorPosition)
    Q_PROPERTY(QString selectedText READ selectedText)
    Q_PROPERTY(bool hasSelectedText READ hasSelectedText)
    Q_PROPERTY(bool frame READ hasFrame WRITE setFrame)

public:
    // The length from which the program edits a text in this box rather than QLineEdit.
    static constexpr qsizetype minimumLength = 65536;

    explicit LongLineEdit(QWidget *parent = nullptr);

    const QString &text() const { return m_buffer.text(); }
    // Takes text up to its first line break, the cursor at its end; forgets undo.
    void setText(const QString &text);

    int cursorPosition() const { return int(m_buffer.cursor()); }
    void setCursorPosition(int pos);
    // The text position nearest to pos (in the box's coordinates).
    int cursorPositionAt(const QPoint &pos);
    bool hasSelectedText() const { return m_buffer.hasSelection(); }
    QString selectedText() const { return m_buffer.selectedText(); }
    // The selection's start, -1 without one (as QLineEdit).
    int selectionStart() const;
    int selectionLength() const;
    // As QLineEdit::setSelection (a negative length selects leftwards).
    void setSelection(int start, int length);
    void deselect();
    void home(bool mark);
    void end(bool mark);
    bool isUndoAvailable() const { return m_buffer.canUndo(); }
    bool isRedoAvailable() const { return m_buffer.canRedo(); }

    bool hasFrame() const { return m_frame; }
    void setFrame(bool frame);

    // The context menu, as QLineEdit's: Undo, Redo, Cut, Copy, Paste, Delete, Select All.
    QMenu *createStandardContextMenu();
    // Where the character at offset is on the screen; empty when it is out of view.
    QRect characterRect(int offset);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public slots:
    void selectAll();
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();

signals:
    void textChanged(const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // After every edit: the view, accessibility, textChanged, a repaint.
    void changed(const EditBuffer::Change &change);
    // After the cursor or the selection moved without an edit.
    void moved(qsizetype oldCursor, bool selectionChanged);
    void moveCursor(qsizetype pos, bool mark);
    void pasteFrom(int mode);
    void deleteSelection();
    void startBlinking();
    void stopBlinking();

    // The text with the composition in it, and positions in that.
    TextWindow::Shown shown() const;
    qsizetype shownPosition(qsizetype pos) const;
    qsizetype shownCursor() const;
    // Where the text line lies in the box.
    QRect lineRect() const;
    int cursorWidth() const;
    // Scrolls the view to the cursor, as before a paint.
    void syncView() const;
    // The text position at x (box coordinates).
    qsizetype positionAt(int x) const;
    QRect cursorRect() const;

    EditBuffer m_buffer;
    mutable TextWindow m_window; // a layout cache: asking where things are may lay out
    QString m_preedit;           // an input method's composition, shown at the cursor
    int m_preeditCursor = 0;
    bool m_hideCursor = false;
    QList<QTextLayout::FormatRange> m_preeditFormats;
    bool m_frame = true;
    bool m_cursorOn = false; // the blinking cursor's phase
    bool m_focused = false;
    QBasicTimer m_blink;
    QBasicTimer m_tripleClick;
    QPoint m_tripleClickPos;
};
