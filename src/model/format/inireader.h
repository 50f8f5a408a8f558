#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include "textencoding.h"

#include <optional>

class QIODevice;
struct DocumentContent;

// Reads all the INI text the device holds into content, replacing what content held.
// The whole text is decoded and parsed, a piece at a time where its encoding allows
// (see EncodingDetector for how the encoding is worked out): a section per header line in file
// order, each header's key lines as rows in reverse file order with the last key read
// as the list's current, selected row, the keys before the first header in the root's
// list, and the encoding read.
//
// Lines end at CR LF, a lone LF or a lone CR; a last line without an end is a line too.
// A line whose first character is "[" and last "]" (at least two characters) is a
// header; otherwise a line with "=" is a key split at its first "=" (empty data reads
// as "(Empty)"); anything else is skipped. Nothing is trimmed or merged.
//
// With an encoding given (one without mark; the device's own mark of it is kept as its
// mark) the text is read in that encoding instead.
//
// The device must be open for reading at its start and able to seek back to it (a file
// or a QBuffer). False, with content empty and the device's errorString() in *error
// (when given), when reading or seeking the device fails; a device whose readAll() may
// fail without saying so (a file) is checked by the caller as well. False with a reason
// as well when the bytes cannot all be kept in the encoding given (UTF-32 holding a unit
// that is no character). An allocation that fails throws std::bad_alloc.
bool readIni(DocumentContent &content, QIODevice &device, QString *error = nullptr,
             std::optional<TextEncoding> encoding = std::nullopt);

// Parses decoded INI text into content (for the reader; also usable on its own).
void parseIniText(QStringView text, DocumentContent &content);
