#pragma once

#include <QChar>
#include <QString>

// The kinds of key data the value editor tells apart, by their codes.
enum class ValueKind : int {
    Number = 1,  // the whole text is a number: digits only may be typed
    Boolean = 2, // exactly "True" or "False": a True/False choice
    Text = 3,    // anything else: a plain text box
    Path = 4,    // starts with a drive prefix such as "C:\": a text box and a file browser
};

// The key a value edit works on: the Change Data command fills it and hands it to the
// value editor, which gives back the name and data to write in the same form.
struct ValueEditRequest
{
    QString EditKeyName;
    QString EditKeyData;
    ValueKind EditValueKind = ValueKind::Text;
};

// Works out the kind of data, stores data in edit.EditKeyData and the kind in
// edit.EditValueKind, and returns the kind. The tests run in this order and a later
// one wins:
//  - Number: the whole text converts to a finite double under the user's locale
//    (QLocale::system()); blanks around it, a sign, the decimal and group separators
//    and an exponent are accepted, the empty text is not;
//  - Boolean: exactly "True" or "False" (case and blanks count);
//  - Path: the first three characters are an upper-case letter A to Z, ":" and "\";
//  - Text: whatever is left.
ValueKind GetValueKind(const QString &data, ValueEditRequest &edit);

// True for the characters the value editor lets through while the kind is Number:
// "0" to "9" and Backspace (U+0008). Every other typed character is discarded.
bool passesDigitFilter(QChar c);
