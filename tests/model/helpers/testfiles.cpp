#include "testfiles.h"

#include "inidocument.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace TestFiles {

QString dataFile(const QString &name)
{
    return QDir::toNativeSeparators(QStringLiteral(TARNWICK_TEST_DATA) + u'/' + name);
}

QByteArray readBytes(const QString &path, const QByteArray &unreadable)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable;
    return file.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()
           && file.flush();
}

QByteArray oldBytes()
{
    return QByteArrayLiteral("[Old]\r\nkeep=me\r\n");
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

QStringList iniCases(const QString &dir)
{
    QStringList names;
    const QStringList files = QDir(dir).entryList({u"*.ini"_s}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names << file.chopped(4);
    return names;
}

static QString quoted(const QString &text)
{
    QString out = u"\""_s;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += u"\\\""_s; break;
        case u'\\': out += u"\\\\"_s; break;
        case u'\r': out += u"\\r"_s; break;
        case u'\n': out += u"\\n"_s; break;
        case u'\t': out += u"\\t"_s; break;
        default:
            if (c.unicode() < 0x20 || c.isSurrogate())
                out += u"\\u%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + u'"';
}

static QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return u"utf8"_s;
    case TextEncoding::Utf8Bom: return u"utf8-bom"_s;
    case TextEncoding::Utf16LeBom: return u"utf16le-bom"_s;
    case TextEncoding::Utf16BeBom: return u"utf16be-bom"_s;
    case TextEncoding::Legacy: return u"legacy"_s;
    case TextEncoding::Utf16Le: return u"utf16le"_s;
    case TextEncoding::Utf16Be: return u"utf16be"_s;
    case TextEncoding::Windows1252: return u"windows-1252"_s;
    case TextEncoding::Windows1251: return u"windows-1251"_s;
    case TextEncoding::Windows1250: return u"windows-1250"_s;
    case TextEncoding::Koi8R: return u"koi8-r"_s;
    case TextEncoding::Utf32LeBom: return u"utf32le-bom"_s;
    case TextEncoding::Utf32BeBom: return u"utf32be-bom"_s;
    case TextEncoding::Utf32Le: return u"utf32le"_s;
    case TextEncoding::Utf32Be: return u"utf32be"_s;
    default: break;
    }
    return TextCodec::encodingName(encoding).toLower();
}

static void describeList(const KeyList &keys, QString &out)
{
    out += u", current %1"_s.arg(keys.current());
    if (keys.currentSelected())
        out += u" selected"_s;
    if (keys.sorted())
        out += u" sorted"_s;
    out += u'\n';
    for (const KeyRow &row : keys.rows()) {
        out += u"  "_s + quoted(row.name()) + u" = "_s + quoted(row.data());
        if (row.readEmpty())
            out += u" (read empty)"_s;
        out += u'\n';
    }
}

QString describe(const IniDocument &doc)
{
    QString out = u"encoding "_s + encodingName(doc.encoding()) + u'\n';
    out += u"root "_s + quoted(doc.rootText())
           + (doc.rootExpanded() ? u" expanded"_s : u" collapsed"_s)
           + u", selected %1, front %2\n"_s.arg(doc.selectedNode()).arg(doc.frontList());
    for (int node = 1; node <= doc.nodeCount(); ++node) {
        const int member = IniDocument::memberOfNode(node);
        out += u"node %1 %2 member %3"_s.arg(node).arg(quoted(doc.nodeText(node))).arg(member);
        describeList(*doc.list(member), out);
    }
    return out;
}

QByteArray firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    return "sizes " + QByteArray::number(actual.size()) + " and " + QByteArray::number(expected.size())
           + ", first difference at byte " + QByteArray::number(i) + ": actual \""
           + actual.mid(i, 24).toHex(' ') + "\", expected \"" + expected.mid(i, 24).toHex(' ') + '"';
}

} // namespace TestFiles
