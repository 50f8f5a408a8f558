#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class IniDocument;
struct DocumentContent;

// Checks shared by the fuzz targets. A failed check prints what went wrong and aborts,
// which libFuzzer reports as a crash and saves the input for.
namespace FuzzCheck {

[[noreturn]] void fail(const char *what, const QString &detail = QString());

} // namespace FuzzCheck

// The detail is only worked out when the check fails.
#define FUZZ_CHECK(cond, what, ...)                                                         \
    do {                                                                                   \
        if (!(cond))                                                                       \
            FuzzCheck::fail(what __VA_OPT__(, ) __VA_ARGS__);                              \
    } while (false)

namespace FuzzCheck {

// The path every fuzzed document is read from; it is never opened.
QString documentPath();

// The document as reading a file at path that holds bytes leaves it (reading memory
// cannot fail).
void readBytes(IniDocument &doc, QByteArray bytes, const QString &path);

// What must hold for any document straight after a read from path: tree and member
// numbering agree, member 1 is absent, every list's current row is in range (the top
// row, selected, or none), the status texts are the path and the section count text,
// the root node is selected and no read row breaks the line format (a name holding
// "=", a line end inside a text, empty data not shown as "(Empty)").
void readDocument(const IniDocument &doc, const QString &path);

// The document equals content, read from the document's own output, with every list's
// rows in reverse order (a read reverses the rows once more).
void reversedContent(const IniDocument &doc, const DocumentContent &content);

// The document equals other with every list's rows in reverse order.
void reversedDocument(const IniDocument &doc, const IniDocument &other);

// The two documents are alike in everything a read sets: encoding, path, root text,
// status texts, selection, front list, expansion, and every list's rows (flags
// included), current row and sorting.
void sameDocument(const IniDocument &doc, const IniDocument &other);

} // namespace FuzzCheck
