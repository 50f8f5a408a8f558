#include "iniwriter.h"

#include "inidocument.h"
#include "textcodec.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kLineEnd = u"\r\n";

// --- the general route: the whole file as UTF-16 text, then encoded ---

void appendText(const KeyList::StoredText &t, QString &text)
{
    if (t.wide)
        text += t.utf16;
    else
        text += t.latin1;
}

qsizetype rowsLength(const KeyList &keys)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < keys.count(); ++i)
        n += keys.storedName(i).size() + 1 + (keys.writesEmptyData(i) ? 0 : keys.storedData(i).size()) + 2;
    return n;
}

void appendRows(const KeyList &keys, QString &text)
{
    for (qsizetype i = 0; i < keys.count(); ++i) {
        appendText(keys.storedName(i), text);
        text += u'=';
        if (!keys.writesEmptyData(i))
            appendText(keys.storedData(i), text);
        text += kLineEnd;
    }
}

// The whole file as text, built in one buffer of the exact size.
QString documentText(const IniDocument &doc)
{
    const KeyList &rootKeys = *doc.list(0);
    qsizetype length = rowsLength(rootKeys);
    for (const auto &section : doc.sections())
        length += section->name.size() + 4 + rowsLength(section->keys);

    QString text;
    text.reserve(length);
    appendRows(rootKeys, text);
    for (const auto &section : doc.sections()) {
        text += u'[';
        text += section->name;
        text += u']';
        text += kLineEnd;
        appendRows(section->keys, text);
    }
    return text;
}

bool encodeText(const IniDocument &doc, QByteArray *bytes, QString *error)
{
    const QString text = documentText(doc);
    QString reason;
    qsizetype badPos = -1;
    if (TextCodec::encode(text, doc.encoding(), bytes, &reason, &badPos))
        return true;
    if (error) {
        const qsizetype line = QStringView(text).first(badPos).count(u'\n') + 1;
        *error = u"第 %1 行：%2"_s.arg(line).arg(reason);
    }
    return false;
}

// --- the UTF-8 route: bytes written straight from the stored texts ---

// False when the text holds a character UTF-8 cannot hold (a lone surrogate).
bool appendUtf8(const KeyList::StoredText &t, QByteArray &out, QString &scratch)
{
    if (t.ascii) {
        out.append(t.latin1.data(), t.latin1.size());
        return true;
    }
    scratch.clear();
    appendText(t, scratch);
    QString ignored;
    return TextCodec::encode(scratch, TextEncoding::Utf8, &out, &ignored);
}

bool encodeUtf8(const IniDocument &doc, QByteArray *bytes)
{
    // The buffer is allocated once: an ASCII text is its own UTF-8, any other takes at
    // most three bytes a code unit (which the encoder also claims while it works).
    auto bound = [](const KeyList::StoredText &t) { return t.ascii ? t.size() : 3 * t.size(); };
    auto rowsBytes = [&](const KeyList &keys) {
        qsizetype n = 0;
        for (qsizetype i = 0; i < keys.count(); ++i)
            n += bound(keys.storedName(i)) + (keys.writesEmptyData(i) ? 0 : bound(keys.storedData(i))) + 3;
        return n;
    };
    qsizetype size = rowsBytes(*doc.list(0));
    for (const auto &section : doc.sections())
        size += 3 * section->name.size() + 4 + rowsBytes(section->keys);

    bytes->append(TextCodec::byteOrderMark(doc.encoding()));
    bytes->reserve(bytes->size() + size);
    QString scratch;
    auto appendRows = [&](const KeyList &keys) {
        for (qsizetype i = 0; i < keys.count(); ++i) {
            if (!appendUtf8(keys.storedName(i), *bytes, scratch))
                return false;
            bytes->append('=');
            if (!keys.writesEmptyData(i) && !appendUtf8(keys.storedData(i), *bytes, scratch))
                return false;
            bytes->append("\r\n", 2);
        }
        return true;
    };
    if (!appendRows(*doc.list(0)))
        return false;
    QString ignored;
    for (const auto &section : doc.sections()) {
        bytes->append('[');
        if (!TextCodec::encode(section->name, TextEncoding::Utf8, bytes, &ignored))
            return false;
        bytes->append("]\r\n", 3);
        if (!appendRows(section->keys))
            return false;
    }
    return true;
}

} // namespace

bool EncodeIniDocument(const IniDocument &doc, QByteArray *bytes, QString *error)
{
    bytes->clear();
    const TextEncoding encoding = doc.encoding();
    if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom) {
        if (encodeUtf8(doc, bytes))
            return true;
        // A character UTF-8 cannot hold: the general route finds its line for the message.
        bytes->clear();
    }
    if (encodeText(doc, bytes, error))
        return true;
    bytes->clear();
    return false;
}

bool WriteIniFile(const IniDocument &doc, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    QByteArray bytes;
    if (!EncodeIniDocument(doc, &bytes, error))
        return false;

    // QSaveFile writes beside the target and renames over it on commit; it never falls
    // back to writing the target in place, and it takes over the old file's permissions.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
