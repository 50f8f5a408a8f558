#include "filenamecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

// Windows keeps names as UTF-16 and macOS as valid UTF-8, and Qt hands them over as
// text unchanged (macOS only normalised), so every name there reaches its file. Qt's
// encodeName there is the ANSI code page or a normalisation, which a round trip would
// wrongly take for a loss.
namespace {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
constexpr bool namesAreText = true;
#else
constexpr bool namesAreText = false;
#endif

bool pathSurvivesAsBytes(const QString &path)
{
    // A lone surrogate has no bytes of its own; the name written would be another.
    if (QFile::decodeName(QFile::encodeName(path)) != path)
        return false;
    const QString slashed = QDir::fromNativeSeparators(path);
    const qsizetype replacement = slashed.lastIndexOf(QChar(QChar::ReplacementCharacter));
    if (replacement < 0)
        return true;
    // The last part holding U+FFFD must be on disk as it is spelt; when it is, every
    // part before it is too. A link counts even when it leads nowhere.
    const qsizetype end = slashed.indexOf(u'/', replacement);
    const QFileInfo part(end < 0 ? slashed : slashed.left(end));
    return part.exists() || part.isSymLink();
}
}

bool fileNameBytesSurvive(const QByteArray &name)
{
    return namesAreText || QFile::encodeName(QFile::decodeName(name)) == name;
}

bool urlNameBytesSurvive(const QUrl &url)
{
    return fileNameBytesSurvive(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

bool filePathSurvives(const QString &path)
{
    return namesAreText || pathSurvivesAsBytes(path);
}

QString undecodableNameReason()
{
    return u"文件名中有不符合系统编码的字节（显示为 \uFFFD），"
           u"程序无法按原名读写这个文件，以免读到或建成另一个名称的文件。"
           u"请先给文件改名，再试一次。"_s;
}
