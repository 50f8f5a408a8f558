#pragma once

class QKeyEvent;

// What a key press asks of a one-line editor, read from the platform's key bindings as
// Qt's QLineEdit reads them (Ctrl+Z or Alt+Backspace undo on Windows, Ctrl+D deletes on
// X11, and so on).
namespace LineEditKeys {

enum class Action {
    Unknown, // no editing key: it may type its text (typesText), else the editor ignores it
    Undo,
    Redo,
    SelectAll,
    Copy,
    Paste,
    PasteSelection, // Ctrl+Shift+Insert on X11: the selection clipboard
    Cut,
    DeleteEndOfLine,
    Home,
    End,
    SelectHome,
    SelectEnd,
    NextChar,
    PreviousChar,
    SelectNextChar,
    SelectPreviousChar,
    NextWord,
    PreviousWord,
    SelectNextWord,
    SelectPreviousWord,
    Delete,
    DeleteEndOfWord,
    DeleteStartOfWord,
    DeleteCompleteLine,
    Backspace,
    Ignored, // a key QLineEdit takes and does nothing with (Ctrl+Up, Ctrl+Down)
};

Action actionFor(const QKeyEvent *event);

// Whether the editor takes the key before the window's shortcuts, as QLineEdit does
// (ShortcutOverride): the editing keys, and plain or shifted keys that type.
bool overridesShortcut(const QKeyEvent *event);

// Whether a key that is no editing key types its text (printable text, no Ctrl).
bool typesText(const QKeyEvent *event);

// On Windows' key scheme Left and Right move from the cursor even over a selection;
// elsewhere they go to the selection's end first.
bool windowsScheme();

} // namespace LineEditKeys
