#include "iniwriter.h"

#include "documentcontent.h"
#include "documentscan.h"
#include "eightbitchoice.h"
#include "encodingdetector.h"
#include "textcodec.h"

#include <QBuffer>

#include <algorithm>
#include <optional>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// How the writer says why it failed: *error (when given) gets the reason.
bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// Encodes the lines into a buffer of about a megabyte that goes to the sink whenever it
// is full. ASCII texts of a UTF-8 file are copied as they are; so are those of a legacy
// file, and the other texts of either are encoded straight into the buffer, unless the
// document holds escapes (whose bytes may join the text beside them: that is checked on
// whole chunks). Everything else gathers as text and is encoded a chunk at a time, so
// that an encoder is set up once per chunk rather than once per line.
class Encoder
{
public:
    Encoder(const DocumentContent &content, const DocumentScan &scan, QIODevice &device, QString *error)
        : m_content(content), m_encoding(content.encoding), m_device(device), m_error(error),
          m_utf8Out(m_encoding == TextEncoding::Utf8 || m_encoding == TextEncoding::Utf8Bom),
          m_direct((m_utf8Out || m_encoding == TextEncoding::Legacy) && !scan.escapes),
          m_forecast(!scan.ascii && (m_encoding == TextEncoding::Legacy || isSingleByte(m_encoding))),
          m_escapes(scan.escapes)
    {
        m_out.resize(kPiece + 64);
        const QByteArray mark = TextCodec::byteOrderMark(m_encoding);
        append(mark.constData(), mark.size());
    }

    bool put(const KeyList::StoredText &t)
    {
        if (m_text.isEmpty() && (m_utf8Out || m_direct) && t.ascii) {
            char *d = room(t.size());
            if (t.wide)
                std::copy(t.utf16.utf16(), t.utf16.utf16() + t.size(), d);
            else
                std::memcpy(d, t.latin1.data(), size_t(t.size()));
            m_used += t.size();
            return m_used < kPiece || flush();
        }
        if (m_text.isEmpty() && m_direct && t.wide)
            return encodeDirect(t.utf16);
        if (m_text.isEmpty())
            m_chunkStartLine = m_lines;
        if (t.wide)
            m_text += t.utf16;
        else
            m_text += t.latin1;
        // Direct encoding gathers nothing but a Latin-1 text that is not ASCII, which goes
        // out at once: the text of a later line may not join it in one chunk. Otherwise
        // chunks end at line ends (endLine()), so that the check of a chunk's escapes
        // decodes whole lines, as a read does.
        return !m_direct || encodeText();
    }
    bool put(QStringView text)
    {
        KeyList::StoredText t;
        t.utf16 = text;
        t.wide = true;
        t.ascii = isAscii(text);
        return put(t);
    }
    bool put(QLatin1StringView text)
    {
        KeyList::StoredText t;
        t.latin1 = text;
        t.ascii = true;
        return put(t);
    }
    bool endLine()
    {
        const bool ok = put(QLatin1StringView("\r\n"));
        ++m_lines;
        return ok && (m_text.size() < kTextChunk || encodeText());
    }
    bool finish() { return (m_text.isEmpty() || encodeText()) && flush(); }
    // After finish(), for 8-bit text without mark that is not all ASCII: the encoding a
    // read works out for the bytes written (Utf8 for other text).
    TextEncoding readsAs() const { return m_choice ? m_choice->result() : TextEncoding::Utf8; }
    bool deviceFailed() const { return m_deviceFailed; }

    // A key line whose bytes start with "[" and end with "]" reads back as a header: in
    // the legacy code page the trail byte of the data's last character can be that "]"
    // (a name holding "=" or text that itself ends in "]" the document scan finds).
    void noteKeyLine(const KeyList::StoredText &name, const KeyList::StoredText &data)
    {
        if (m_encoding != TextEncoding::Legacy || data.size() == 0 || !data.wide || name.size() == 0
            || (name.wide ? name.utf16.front() : QChar(name.latin1.front())) != u'[')
            return;
        const QStringView text = data.utf16;
        const qsizetype last = text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1;
        QByteArray bytes;
        if (TextCodec::encode(text.last(last), m_encoding, &bytes, nullptr) && bytes.endsWith(']'))
            m_keyLineAsHeader = true;
    }
    bool keyLineAsHeader() const { return m_keyLineAsHeader; }

private:
    static constexpr qsizetype kPiece = 1024 * 1024;
    static constexpr qsizetype kTextChunk = 256 * 1024;

    bool fail(const QString &reason) { return failWith(m_error, reason); }

    bool encodeText()
    {
        // The mark was written once at the start; UTF-8 is encoded without one.
        const TextEncoding encoding = m_utf8Out ? TextEncoding::Utf8 : m_encoding;
        const qsizetype markSize = TextCodec::byteOrderMark(encoding).size();
        m_encoded.clear();
        QString reason;
        qsizetype badPos = -1;
        if (!TextCodec::encode(m_text, encoding, &m_encoded, &reason, &badPos))
            return failAt(m_chunkStartLine + QStringView(m_text).first(badPos).count(u'\n') + 1, reason);
        append(m_encoded.constData() + markSize, m_encoded.size() - markSize);
        m_text.clear();
        return m_used < kPiece || flush();
    }

    // A text of the current line, in UTF-8 or the legacy code page, without escapes.
    bool encodeDirect(QStringView text)
    {
        const TextEncoding encoding = m_utf8Out ? TextEncoding::Utf8 : m_encoding;
        bool escapes = false;
        const qsizetype written =
                TextCodec::encodeInto(text, encoding, room(TextCodec::kMaxBytesPerUnit * text.size()), &escapes);
        if (written < 0) {
            // The encoder says which character and why.
            QByteArray scratch;
            QString reason;
            TextCodec::encode(text, encoding, &scratch, &reason);
            return failAt(m_lines + 1, reason);
        }
        m_used += written;
        return m_used < kPiece || flush();
    }

    bool failAt(qsizetype line, const QString &reason)
    {
        return fail(u"第 %1 行，%2：%3"_s.arg(line).arg(describeLine(m_content, line), reason));
    }

    // A file without byte-order mark whose first bytes read as one (a first key named
    // U+FEFF, or undecodable bytes FF FE brought to the top by the reversed key order),
    // or a UTF-16 file without mark that no longer looks like one, would open as another
    // encoding next time, and a save from there would garble it. The first piece holds
    // all the bytes the detection looks at.
    QString readsBackReason() const
    {
        switch (EncodingDetector::reopensAs(QByteArrayView(m_out.constData(), m_used), m_encoding)) {
        case EncodingDetector::Reopening::Same:
            break;
        case EncodingDetector::Reopening::ByteOrderMark:
            return u"第 1 行：文件将以字节顺序标记的字节开头，再次打开时会被当作另一种编码读取"_s;
        case EncodingDetector::Reopening::Other:
            return u"文件中的英文字符太少，再次打开时将认不出它的编码 %1，会被当作另一种编码读取"_s.arg(
                    TextCodec::encodingName(m_encoding));
        }
        return {};
    }

    bool flush()
    {
        if (!m_checkedStart) {
            m_checkedStart = true;
            if (const QString reason = readsBackReason(); !reason.isEmpty())
                return fail(reason);
        }
        if (m_used == 0)
            return true;
        if (m_forecast) {
            // Pieces end after a whole text, and a text that is not ASCII has ASCII ("[",
            // "]", "=", CR LF) on both sides: no UTF-8 sequence runs across two pieces.
            // Legacy text without escapes is written as characters that decode alone.
            const QByteArrayView piece(m_out.constData(), m_used);
            if (!m_choice)
                m_choice.emplace(piece);
            m_choice->count(piece, m_encoding == TextEncoding::Legacy && !m_escapes ? 0 : -1);
        }
        if (m_device.write(m_out.constData(), m_used) != m_used) {
            m_deviceFailed = true;
            return fail(m_device.errorString());
        }
        m_used = 0;
        return true;
    }

    // Room for n more bytes at m_used (the buffer grows only for a text longer than it).
    char *room(qsizetype n)
    {
        if (m_used + n > m_out.size())
            m_out.resize(std::max(m_used + n, 2 * m_out.size()));
        return m_out.data() + m_used;
    }
    void append(const char *bytes, qsizetype n)
    {
        if (n > 0)
            std::memcpy(room(n), bytes, size_t(n));
        m_used += n;
    }

    const DocumentContent &m_content;
    const TextEncoding m_encoding;
    QIODevice &m_device;
    QString *const m_error;
    const bool m_utf8Out;
    const bool m_direct;
    const bool m_forecast; // what a read will make of the bytes is worked out on the way
    const bool m_escapes;
    std::optional<EightBitChoice> m_choice; // judges the first piece, counts them all
    QByteArray m_out;    // the piece being filled: its first m_used bytes
    qsizetype m_used = 0;
    QByteArray m_encoded; // a chunk of m_text, encoded
    QString m_text;
    qsizetype m_lines = 0;          // line ends put so far
    qsizetype m_chunkStartLine = 0; // line ends put before m_text's first character
    bool m_checkedStart = false;
    bool m_keyLineAsHeader = false;
    bool m_deviceFailed = false;
};

bool putRows(Encoder &out, const KeyList &keys)
{
    for (qsizetype i = 0; i < keys.count(); ++i) {
        if (!keys.writesEmptyData(i))
            out.noteKeyLine(keys.storedName(i), keys.storedData(i));
        if (!out.put(keys.storedName(i)) || !out.put(QLatin1StringView("=")))
            return false;
        if (!keys.writesEmptyData(i) && !out.put(keys.storedData(i)))
            return false;
        if (!out.endLine())
            return false;
    }
    return true;
}

bool encodeLines(const DocumentContent &content, Encoder &out)
{
    if (!putRows(out, content.rootKeys))
        return false;
    for (const auto &section : content.sections) {
        if (!out.put(QLatin1StringView("[")) || !out.put(QStringView(section->name))
            || !out.put(QLatin1StringView("]")) || !out.endLine() || !putRows(out, section->keys))
            return false;
    }
    return out.finish();
}

} // namespace

bool writeIni(const DocumentContent &content, QIODevice &device, QString *error, WrittenText *written)
{
    const DocumentScan scan = scanDocument(content);
    if (!scan.lineBreak.isEmpty())
        return failWith(error, scan.lineBreak);
    Encoder out(content, scan, device, error);
    if (!encodeLines(content, out))
        return false;
    if (written) {
        written->rowsReadBack = scan.rowsReadBack && !out.keyLineAsHeader();
        written->ascii = scan.ascii;
        written->escapes = scan.escapes;
        written->readsAs = out.readsAs();
    }
    return true;
}

bool encodeIniDocument(const DocumentContent &content, QByteArray *bytes, QString *error, WrittenText *written)
{
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool ok = writeIni(content, buffer, error, written);
    buffer.close();
    if (!ok)
        bytes->clear();
    return ok;
}
