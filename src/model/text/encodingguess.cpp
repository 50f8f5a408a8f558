#include "encodingguess.h"

#include "codepagelayout.h"
#include "legacycodec.h"
#include "singlebytecodec.h"

#include <QByteArray>

#ifdef TARNWICK_HAVE_ICU
#  include <unicode/ucsdet.h>
#endif
#ifdef TARNWICK_HAVE_UCHARDET
#  include <uchardet.h>
#endif

#include <algorithm>
#include <cstring>
#include <set>

namespace {

constexpr int kMinConfidence = 30; // what ICU must say of a code page other than Windows-1252

bool hasC1Bytes(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) >= 0x80 && uchar(b) <= 0x9F; });
}

bool isLatin(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Windows1252:
    case TextEncoding::Windows1250:
    case TextEncoding::Windows1254:
    case TextEncoding::Windows1257:
    case TextEncoding::Iso8859_1:
    case TextEncoding::Iso8859_2:
    case TextEncoding::Iso8859_15:
        return true;
    default:
        return false;
    }
}

// The lines of head that hold a byte from 0x80 up: what tells one 8-bit encoding from
// another, without the pages of ASCII around it that dilute the detectors' statistics.
QByteArray sampleOf(QByteArrayView head)
{
    QByteArray sample;
    qsizetype start = 0;
    while (start < head.size() && sample.size() < EncodingGuess::kSampleBytes) {
        qsizetype end = start;
        bool high = false;
        while (end < head.size() && head[end] != '\n') {
            high = high || uchar(head[end]) >= 0x80;
            ++end;
        }
        if (high)
            sample.append(head.sliced(start, std::min(end + 1, head.size()) - start));
        start = end + 1;
    }
    return sample;
}

// How the legacy code page reads the head, character by character.
struct LegacyReading
{
    qsizetype common = 0;  // GB2312 characters: hanzi and the rows of punctuation
    qsizetype frequent = 0; // of those, hanzi of the 3,755 most used (GB2312 level 1)
    qsizetype rare = 0;    // other characters: GBK extensions, private use, four bytes
    qsizetype broken = 0;  // bytes that decode to no character
    // A run of bytes from 0x80 up with five different ones among them (box drawing
    // repeats one byte): a word that no Western language writes.
    bool longWord = false;

    explicit LegacyReading(QByteArrayView head)
    {
        const CodePageLayout layout(LegacyCodec::platformCodePage());
        const bool chinese = layout.codePage() == CodePageLayout::kGb18030 || layout.codePage() == 936;
        const auto *s = reinterpret_cast<const uchar *>(head.data());
        const uchar *const end = s + head.size();
        while (s < end) {
            if (*s < 0x80) {
                ++s;
                continue;
            }
            const int len = layout.sequenceLength(s, end);
            if (len == 0) {
                ++broken;
                ++s;
            } else if (len == 2 && chinese && s[0] >= 0xA1 && s[0] <= 0xF7 && s[0] != 0xAA && s[1] >= 0xA1
                       && s[1] <= 0xFE && (s[0] <= 0xA9 || s[0] >= 0xB0)) {
                ++common;
                frequent += s[0] >= 0xB0 && s[0] <= 0xD7;
                s += 2;
            } else {
                rare += len > 1 || !chinese;
                s += len;
            }
        }
        std::set<uchar> run;
        for (const char c : head) {
            if (uchar(c) < 0x80)
                run.clear();
            else if (!run.insert(uchar(c)).second)
                continue; // a repeated byte neither lengthens nor ends the word
            longWord = longWord || run.size() >= 5;
        }
    }

    // Chinese text beyond doubt: nothing broken, hardly anything rare, and most of its
    // hanzi among the most used. Western or Cyrillic text does not read so, short of a
    // word or two.
    bool clean() const
    {
        return common > 0 && broken == 0 && rare * 8 <= common && frequent * 2 >= common - frequent;
    }
    // Chinese text as far as the legacy reading alone can tell, with a few slips.
    bool plausible() const
    {
        return common > 0 && broken * 16 <= common && rare * 4 <= common;
    }
};

// Characters that text hardly holds, of those the bytes from 0x80 up give in encoding: C1
// controls, accents standing alone (˝ ˛ ˇ) and bytes the page leaves unassigned.
qsizetype oddCharacters(const QByteArray &sample, TextEncoding encoding)
{
    qsizetype odd = 0;
    for (const QChar c : SingleByteCodec::decode(sample, encoding)) {
        const QChar::Category category = c.category();
        odd += c.unicode() >= 0x80 && (category == QChar::Other_Control || category == QChar::Symbol_Modifier
                                       || category == QChar::Other_Surrogate);
    }
    return odd;
}

// Whether the words of the sample, read in encoding, change from small to capital letters
// inside a word, as Chinese bytes read in a Cyrillic or Greek page do ("ЙиЦГ" for 设置)
// and real words hardly ever do: in more than one word in four of two letters or more.
bool capitalsInsideWords(const QByteArray &sample, TextEncoding encoding)
{
    qsizetype words = 0;
    qsizetype mixed = 0;
    qsizetype letters = 0;
    bool change = false;
    QChar previous;
    for (const QChar c : SingleByteCodec::decode(sample, encoding) + u' ') {
        if (c.unicode() >= 0x80 && c.isLetter()) {
            change = change || (letters > 0 && previous.isLower() && c.isUpper());
            ++letters;
            previous = c;
            continue;
        }
        words += letters >= 2;
        mixed += letters >= 2 && change;
        letters = 0;
        change = false;
    }
    return words > 0 && mixed * 4 > words;
}

#ifdef TARNWICK_HAVE_UCHARDET
TextEncoding uchardetGuess(const QByteArray &sample)
{
    uchardet_t detector = uchardet_new();
    if (!detector)
        return TextEncoding::Utf8;
    uchardet_handle_data(detector, sample.constData(), size_t(sample.size()));
    uchardet_data_end(detector);
    const TextEncoding guess = EncodingGuess::ofDetectorName(uchardet_get_charset(detector), sample);
    uchardet_delete(detector);
    return guess;
}
#endif

// ICU's best answer among the encodings here (and, with latinToo false, only those of
// other scripts than Latin), when it is sure enough.
TextEncoding icuGuess(const QByteArray &sample, bool latinToo)
{
#ifdef TARNWICK_HAVE_ICU
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector *detector = ucsdet_open(&status);
    if (U_SUCCESS(status))
        ucsdet_setText(detector, sample.constData(), int32_t(sample.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = U_SUCCESS(status) ? ucsdet_detectAll(detector, &count, &status) : nullptr;
    TextEncoding chosen = TextEncoding::Utf8;
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        const char *name = ucsdet_getName(matches[i], &status);
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_FAILURE(status))
            break;
        const TextEncoding candidate = EncodingGuess::ofDetectorName(name, sample);
        if (candidate == TextEncoding::Utf8 || (!latinToo && isLatin(candidate)))
            continue;
        if (confidence >= kMinConfidence || !latinToo)
            chosen = candidate;
        break;
    }
    ucsdet_close(detector);
    return chosen;
#else
    Q_UNUSED(sample);
    Q_UNUSED(latinToo);
    return TextEncoding::Utf8;
#endif
}

} // namespace

TextEncoding EncodingGuess::ofDetectorName(const char *name, QByteArrayView head)
{
    if (!name)
        return TextEncoding::Utf8;
    const QByteArray n = QByteArray(name).toUpper();
    const int legacy = LegacyCodec::platformCodePage();
    const bool chinese = legacy == CodePageLayout::kGb18030 || legacy == 936;
    if ((chinese && (n == "GB18030" || n == "GB2312" || n == "GBK")) || (legacy == 950 && n == "BIG5")
        || (legacy == 932 && (n == "SHIFT_JIS" || n == "WINDOWS-31J")) || (legacy == 949 && (n == "EUC-KR" || n == "UHC")))
        return TextEncoding::Legacy;
    const bool c1 = hasC1Bytes(head);
    struct Alias
    {
        const char *name;
        TextEncoding encoding;
        TextEncoding withC1; // the Windows page of the same script
    };
    static constexpr Alias aliases[] = {
        {"ISO-8859-1", TextEncoding::Windows1252, TextEncoding::Windows1252},
        {"ISO-8859-15", TextEncoding::Iso8859_15, TextEncoding::Windows1252},
        {"ISO-8859-2", TextEncoding::Iso8859_2, TextEncoding::Windows1250},
        {"ISO-8859-5", TextEncoding::Iso8859_5, TextEncoding::Windows1251},
        {"ISO-8859-7", TextEncoding::Windows1253, TextEncoding::Windows1253},
        {"ISO-8859-9", TextEncoding::Windows1254, TextEncoding::Windows1254},
        {"ISO-8859-13", TextEncoding::Windows1257, TextEncoding::Windows1257},
        {"ISO-8859-16", TextEncoding::Windows1250, TextEncoding::Windows1250},
        {"IBM866", TextEncoding::Cp866, TextEncoding::Cp866},
        {"IBM437", TextEncoding::Cp437, TextEncoding::Cp437},
    };
    TextEncoding found = TextEncoding::Utf8;
    for (const Alias &alias : aliases) {
        if (n == alias.name)
            found = c1 ? alias.withC1 : alias.encoding;
    }
    if (found == TextEncoding::Utf8) {
        for (const TextEncoding encoding : SingleByteCodec::all()) {
            if (SingleByteCodec::name(encoding).toUpper().toLatin1() == n)
                found = encoding;
        }
    }
    if (found == TextEncoding::Utf8 || !SingleByteCodec::isAvailable(found))
        return TextEncoding::Utf8;
    // On Windows the system's own code page comes first.
    return SingleByteCodec::codePage(found) == legacy ? TextEncoding::Legacy : found;
}

EncodingGuess EncodingGuess::of(QByteArrayView head)
{
    return judge(head, false);
}

TextEncoding EncodingGuess::singleByteOf(QByteArrayView head)
{
    return judge(head, true).singleByte;
}

EncodingGuess EncodingGuess::judge(QByteArrayView head, bool singleByteToo)
{
    const QByteArray sample = sampleOf(head.first(std::min(head.size(), kHeadBytes)));
    const LegacyReading reading(sample);
    EncodingGuess guess;
    TextEncoding named = TextEncoding::Utf8;
#ifdef TARNWICK_HAVE_UCHARDET
    // Chinese text beyond doubt needs no detector (uchardet takes its time over it).
    if (!reading.clean() || singleByteToo)
        named = uchardetGuess(sample);
#endif
    if (named == TextEncoding::Legacy || reading.clean()) {
        guess.legacy = true;
        // The single-byte page is needed only if the legacy code page fails later on:
        // worked out then (singleByteOf()), as ICU's detector takes its time.
        guess.singleByte = TextEncoding::Utf8;
        if (!singleByteToo)
            return guess;
    }
    if (named == TextEncoding::Utf8 || named == TextEncoding::Legacy) {
        // No answer from uchardet (or none in this build): ICU, and the legacy reading.
        const TextEncoding icu = icuGuess(sample, true);
        guess.legacy = guess.legacy || icu == TextEncoding::Legacy || reading.plausible();
        named = icu == TextEncoding::Utf8 || icu == TextEncoding::Legacy ? TextEncoding::Windows1252 : icu;
    }
    // A Latin page for text with words of five letters from 0x80 up reads Cyrillic or
    // Greek as strings of accented letters: the text is in another script's page.
    if (isLatin(named) && reading.longWord) {
        const TextEncoding other = icuGuess(sample, false);
        named = other == TextEncoding::Utf8 || other == TextEncoding::Legacy ? TextEncoding::Windows1251 : other;
    }
    // Chinese bytes (a few of them broken) that a detector took for Cyrillic or Greek.
    if ((reading.common > reading.broken + reading.rare && !isLatin(named) && capitalsInsideWords(sample, named)))
        guess.legacy = true;
    // Of two Latin pages, Windows-1252 when it reads the bytes as the other does (it has
    // the most letters to type in) or as fewer odd characters (a short file's "½" that a
    // Central European page reads as "˝").
    const auto western = TextEncoding::Windows1252;
    if (isLatin(named) && named != western
        && (SingleByteCodec::decode(sample, western) == SingleByteCodec::decode(sample, named)
            || oddCharacters(sample, western) < oddCharacters(sample, named)))
        named = western;
    guess.singleByte = named;
    return guess;
}
