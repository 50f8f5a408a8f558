#include "iniwriter.h"

#include "encodingdetector.h"
#include "inidocument.h"
#include "textcodec.h"

#include <QSaveFile>

#include <cstring>

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

// A name as the window shows it: undecodable bytes appear as U+FFFD.
QString shown(QString text)
{
    for (QChar &c : text) {
        if (TextCodec::isEscape(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return text;
}

// What line (counted from 1) of documentText(doc) holds, for a message: the key or the
// section header written there.
QString lineSource(const IniDocument &doc, qsizetype line)
{
    qsizetype index = line - 1;
    const KeyList &rootKeys = *doc.list(0);
    if (index < rootKeys.count())
        return u"第一个节之前的键“%1”"_s.arg(shown(rootKeys.row(index).name()));
    index -= rootKeys.count();
    for (const auto &section : doc.sections()) {
        if (index == 0)
            return u"节“%1”的名称"_s.arg(shown(section->name));
        if (--index < section->keys.count())
            return u"节“%1”的键“%2”"_s.arg(shown(section->name), shown(section->keys.row(index).name()));
        index -= section->keys.count();
    }
    return {};
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
        *error = u"第 %1 行，%2：%3"_s.arg(line).arg(lineSource(doc, line), reason);
    }
    return false;
}

// --- the UTF-8 route: bytes written straight from the stored texts ---

// Writes UTF-8 into a buffer sized beforehand for the whole file, so that each piece
// is one copy and nothing is reallocated.
class Utf8Out
{
public:
    explicit Utf8Out(QByteArray *out) : m_out(out) {}
    void start(qsizetype bound)
    {
        m_start = m_out->size();
        m_out->resize(m_start + bound);
        m_d = m_out->data() + m_start;
    }
    void put(char c) { *m_d++ = c; }
    void put(const char *s, qsizetype n)
    {
        std::memcpy(m_d, s, size_t(n));
        m_d += n;
    }
    // False when the text holds a character UTF-8 cannot hold (a lone surrogate).
    bool put(const KeyList::StoredText &t)
    {
        if (t.ascii) {
            put(t.latin1.data(), t.latin1.size());
            return true;
        }
        m_text.clear();
        appendText(t, m_text);
        return put(QStringView(m_text));
    }
    bool put(QStringView text)
    {
        m_bytes.clear();
        QString ignored;
        if (!TextCodec::encode(text, TextEncoding::Utf8, &m_bytes, &ignored))
            return false;
        put(m_bytes.constData(), m_bytes.size());
        return true;
    }
    void finish() { m_out->truncate(m_d - m_out->constData()); }

private:
    QByteArray *m_out;
    qsizetype m_start = 0;
    char *m_d = nullptr;
    QString m_text;
    QByteArray m_bytes;
};

bool encodeUtf8(const IniDocument &doc, QByteArray *bytes)
{
    // A bound of the file's size without a pass over the rows: a character stored in
    // one byte takes at most two in UTF-8, one stored in two (UTF-16) at most three.
    auto rowsBytes = [](const KeyList &keys) { return 2 * keys.storedBytes() + 3 * keys.count(); };
    qsizetype size = rowsBytes(*doc.list(0));
    for (const auto &section : doc.sections())
        size += 3 * section->name.size() + 4 + rowsBytes(section->keys);

    bytes->append(TextCodec::byteOrderMark(doc.encoding()));
    Utf8Out out(bytes);
    out.start(size);
    auto putRows = [&](const KeyList &keys) {
        for (qsizetype i = 0; i < keys.count(); ++i) {
            if (!out.put(keys.storedName(i)))
                return false;
            out.put('=');
            if (!keys.writesEmptyData(i) && !out.put(keys.storedData(i)))
                return false;
            out.put("\r\n", 2);
        }
        return true;
    };
    if (!putRows(*doc.list(0)))
        return false;
    for (const auto &section : doc.sections()) {
        out.put('[');
        if (!out.put(QStringView(section->name)))
            return false;
        out.put("]\r\n", 3);
        if (!putRows(section->keys))
            return false;
    }
    out.finish();
    return true;
}

} // namespace

namespace {
bool encodeBytes(const IniDocument &doc, QByteArray *bytes, QString *error)
{
    const TextEncoding encoding = doc.encoding();
    if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom) {
        if (encodeUtf8(doc, bytes))
            return true;
        // A character UTF-8 cannot hold: the general route finds its line for the message.
        bytes->clear();
    }
    return encodeText(doc, bytes, error);
}
} // namespace

bool EncodeIniDocument(const IniDocument &doc, QByteArray *bytes, QString *error)
{
    bytes->clear();
    if (encodeBytes(doc, bytes, error)) {
        // A file without byte-order mark whose first bytes read as one (a first key named
        // U+FEFF, or undecodable bytes FF FE brought to the top by the reversed key
        // order), or a UTF-16 file without mark that no longer looks like one, would open
        // as another encoding next time, and a save from there would garble it.
        switch (EncodingDetector::readsBackAs(*bytes, doc.encoding())) {
        case EncodingDetector::ReadBack::Same:
            return true;
        case EncodingDetector::ReadBack::ByteOrderMark:
            if (error)
                *error = u"第 1 行：文件将以字节顺序标记的字节开头，再次打开时会被当作另一种编码读取"_s;
            break;
        case EncodingDetector::ReadBack::Other:
            if (error)
                *error = u"文件中的英文字符太少，再次打开时将认不出它的编码 %1，会被当作另一种编码读取"_s.arg(
                        TextCodec::encodingName(doc.encoding()));
            break;
        }
    }
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
