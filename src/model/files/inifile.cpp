#include "inifile.h"

#include "failwith.h"
#include "filereplace.h"
#include "inidocument.h"
#include "inireader.h"
#include "iniwriter.h"
#include "memorybudget.h"
#include "systemreason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <new>

QString FileNameFromPath(const QString &path)
{
    qsizetype cut = path.lastIndexOf(u'\\');
    if (QDir::separator() == u'/')
        cut = std::max(cut, path.lastIndexOf(u'/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        failWith(error, reason);
        return ReadResult::Failed;
    };

    const QString nativePath = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    // Only a regular file is read: a device could deliver endless bytes.
    if (const QString special = notARegularFileReason(path); !special.isEmpty())
        return fail(special);
    if (!info.exists()) {
        doc.clear(FileNameFromPath(nativePath));
        doc.setPath(nativePath);
        return ReadResult::Missing;
    }

    // A file that cannot fit is refused before a byte is read; an allocation that fails
    // anyway (a file that needs more than most) drops what was read and keeps the document.
    const QString short_ = memoryShortForRead(info.size());
    if (!short_.isEmpty())
        return fail(short_);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(deviceReason(file, lastSystemError()));
    DocumentContent content;
    try {
        // readAll() reports no failure of its own: the file's error state tells.
        if (!readIni(content, file) || file.error() != QFileDevice::NoError)
            return fail(deviceReason(file, 0));
    } catch (const std::bad_alloc &) {
        content = DocumentContent();
        return fail(outOfMemoryWhileReading(info.size()));
    }
    doc.reset(nativePath, FileNameFromPath(nativePath), std::move(content));
    doc.showOpened();
    return ReadResult::Ok;
}

ReadBack readBackOf(const DocumentContent &content, const WrittenText &written)
{
    // How a read works out the encoding again: a byte-order mark tells, and so do the
    // zero bytes of UTF-16 without one (the writer refuses a file that would lose them),
    // unless there are no bytes at all; among 8-bit encodings, ASCII bytes get the
    // encoding of a new file, other valid UTF-8 is UTF-8, and anything else is worked out
    // by guessing, which only a real read can say, except for legacy text: each of its
    // characters is written as bytes that decode alone to it again, and every line the
    // writer makes holds "=" or is a header whose "]" follows whole characters, so a read
    // in the code page loses no line and keeps no escape, unless it takes the bytes for
    // UTF-8, which only the written bytes tell.
    const TextEncoding encoding = content.encoding;
    ReadBack readBack;
    readBack.encoding = encoding;
    bool encodingKnown = true;
    const bool noLines = content.sections.empty() && content.rootKeys.isEmpty();
    if (noLines && !hasByteOrderMark(encoding)) {
        readBack.encoding = defaultNewFileEncoding();
    } else if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Legacy || isSingleByte(encoding)) {
        if (written.ascii)
            readBack.encoding = defaultNewFileEncoding();
        else if (encoding == TextEncoding::Legacy)
            encodingKnown = !written.escapes && !written.bytesReadAsUtf8;
        else
            encodingKnown = encoding == TextEncoding::Utf8 && !written.escapes;
    }
    readBack.exact = written.rowsReadBack && encodingKnown;
    return readBack;
}

bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error, ReadBack *readBack)
{
    try {
        WrittenText written;
        bool complete = false;
        const auto produce = [&doc, &written, &complete](QIODevice &device, QString *reason) {
            // The in-place route stops the writer early on purpose: only a whole pass
            // tells what was written.
            WrittenText pass;
            if (!writeIni(doc.content(), device, reason, &pass))
                return false;
            written = pass;
            complete = true;
            return true;
        };
        if (!replaceFileContent(path, produce, error))
            return false;
        if (readBack)
            *readBack = complete ? readBackOf(doc.content(), written) : ReadBack();
        return true;
    } catch (const std::bad_alloc &) {
        // Everything the write allocated is gone again, and a temporary file with it.
        return failWith(error, outOfMemoryWhileSaving());
    }
}

ReadResult readBackWritten(IniDocument &doc, const QString &path, const ReadBack &readBack, QString *error)
{
    if (!readBack.exact)
        return ReadIniFile(doc, path, error);
    const QString nativePath = QDir::toNativeSeparators(path);
    doc.resetAsReadBack(nativePath, FileNameFromPath(nativePath), readBack.encoding);
    doc.showOpened();
    return ReadResult::Ok;
}
