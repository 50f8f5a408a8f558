#include "inifile.h"

#include "failwith.h"
#include "filereplace.h"
#include "filestamp.h"
#include "inidocument.h"
#include "inireader.h"
#include "iniwriter.h"
#include "memorybudget.h"
#include "systemreason.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <new>

#ifdef Q_OS_UNIX
#  include <cerrno>
#  include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Why no file can be read at path: gone, or (a folder on the way that cannot be looked
// into) the system's own reason.
QString missingReason(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 && errno != ENOENT && errno != ENOTDIR)
        return qt_error_string(errno);
#else
    Q_UNUSED(path);
#endif
    return u"文件不存在（已被删除、移走或改名）"_s;
}

} // namespace

QString FileNameFromPath(const QString &path)
{
    qsizetype cut = path.lastIndexOf(u'\\');
    if (QDir::separator() == u'/')
        cut = std::max(cut, path.lastIndexOf(u'/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error, std::optional<TextEncoding> encoding)
{
    return ReadIniFile(doc, path, error, nullptr, IfMissing::Empty, encoding);
}

ReadResult ReadIniFile(IniDocument &doc, const QString &path, QString *error, FileStamp *stamp,
                       IfMissing ifMissing, std::optional<TextEncoding> encoding)
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
        if (ifMissing == IfMissing::Fail)
            return fail(missingReason(path));
        if (stamp) {
            *stamp = FileStamp();
            stamp->state = FileStamp::State::Absent;
            stamp->path = nativePath;
        }
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
    FileStamp read = stampOfOpenFile(file, nativePath);
    DocumentContent content;
    // A document opened in an encoding the user named is read again in it (View,
    // Refresh; the read after a save).
    if (!encoding && doc.content().encodingGiven && doc.path() == nativePath)
        encoding = doc.encoding();
    try {
        // readAll() reports no failure of its own: the file's error state tells.
        QString reason;
        const bool parsed = readIni(content, file, &reason, encoding);
        // A failing file is named by the system's reason, which readIni gives in Qt's words.
        if (file.error() != QFileDevice::NoError)
            return fail(deviceReason(file, 0));
        if (!parsed)
            return fail(reason);
        content.encodingGiven = encoding.has_value();
        if (stamp)
            finishReadStamp(&read, file);
    } catch (const std::bad_alloc &) {
        content = DocumentContent();
        return fail(outOfMemoryWhileReading(info.size()));
    }
    doc.reset(nativePath, FileNameFromPath(nativePath), std::move(content));
    doc.showOpened();
    if (stamp)
        *stamp = read;
    return ReadResult::Ok;
}

ReadBack readBackOf(const DocumentContent &content, const WrittenText &written)
{
    // How a read works out the encoding again: a byte-order mark tells, and so do the
    // zero bytes of UTF-16 and UTF-32 without one (the writer refuses a file that would
    // lose them), unless there are no bytes at all; 8-bit text of ASCII bytes only gets
    // the encoding of a new file, and other 8-bit text the encoding the detector chooses
    // for the bytes written, which the writer asked it. Text holding escapes may read
    // back otherwise: only a real read tells.
    const TextEncoding encoding = content.encoding;
    ReadBack readBack;
    readBack.encoding = encoding;
    bool encodingKnown = true;
    const bool noLines = content.sections.empty() && content.rootKeys.isEmpty();
    if (noLines && !hasByteOrderMark(encoding)) {
        readBack.encoding = defaultNewFileEncoding();
    } else if (!isWide(encoding) && !hasByteOrderMark(encoding)) {
        if (written.ascii)
            readBack.encoding = defaultNewFileEncoding();
        else
            encodingKnown = !written.escapes && (encoding == TextEncoding::Utf8 || written.readsAs == encoding);
    }
    readBack.exact = written.rowsReadBack && encodingKnown && !content.encodingGiven;
    return readBack;
}

bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error, ReadBack *readBack)
{
    return WriteIniFile(doc, path, error, readBack, nullptr);
}

bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error, ReadBack *readBack,
                  FileStamp *stamp)
{
    if (stamp)
        *stamp = FileStamp();
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
        if (!replaceFileContent(path, produce, error, stamp))
            return false;
        if (readBack)
            *readBack = complete ? readBackOf(doc.content(), written) : ReadBack();
        return true;
    } catch (const std::bad_alloc &) {
        // Everything the write allocated is gone again, and a temporary file with it.
        return failWith(error, outOfMemoryWhileSaving());
    }
}

ReadResult readBackWritten(IniDocument &doc, const QString &path, const ReadBack &readBack, QString *error,
                           FileStamp *stamp)
{
    if (!readBack.exact) {
        const bool given = doc.content().encodingGiven;
        return ReadIniFile(doc, path, error, stamp, IfMissing::Empty,
                           given ? std::optional(doc.encoding()) : std::nullopt);
    }
    const QString nativePath = QDir::toNativeSeparators(path);
    doc.resetAsReadBack(nativePath, FileNameFromPath(nativePath), readBack.encoding);
    doc.showOpened();
    return ReadResult::Ok;
}

QString EncodingShownAs(TextEncoding encoding)
{
    return TextCodec::displayName(encoding);
}

std::optional<TextEncoding> EncodingNamed(const QString &name)
{
    return TextCodec::encodingOfName(name);
}

QStringList EncodingNames()
{
    return TextCodec::encodingNames();
}
