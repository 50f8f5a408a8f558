#include "workloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// splitmix64: tiny, fast and the same on every platform and Qt version.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int bounded(int n) { return int(next() % std::uint64_t(n)); }
    int between(int lo, int hi) { return lo + bounded(hi - lo + 1); }

private:
    std::uint64_t m_state;
};

constexpr char kNameChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
constexpr char kValueChars[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ._-:/";

// Lengths lean to the short end of 8..40, as in real files: most keys are short words,
// a few values are paths or sentences.
int nameLength(Random &random) { return std::min(random.between(8, 20), random.between(8, 40)); }
int valueLength(Random &random) { return std::max(random.between(8, 16), random.between(8, 28)); }

void appendAscii(QString &text, Random &random, const char *chars, int charCount, int length)
{
    // A name starts with a letter so that no line starts with "[" or is mistaken for
    // anything but a key line by any reader.
    text += QLatin1Char(kNameChars[random.bounded(52)]);
    for (int i = 1; i < length; ++i)
        text += QLatin1Char(chars[random.bounded(charCount)]);
}

// Common Chinese characters (all in GBK's two-byte range), now and then a digit.
void appendChinese(QString &text, Random &random, int length)
{
    for (int i = 0; i < length; ++i) {
        if (i > 0 && random.bounded(8) == 0)
            text += QChar(u'0' + random.bounded(10));
        else
            text += QChar(char16_t(0x4E00 + random.bounded(0x9FA5 - 0x4E00 + 1)));
    }
}

struct Shape
{
    int sections;
    int keys;
    bool chinese;
    std::uint64_t seed;
};

Shape shapeOf(Workload workload)
{
    switch (workload) {
    case Workload::W1: return {100000, 10, false, 1};
    case Workload::W2Gb18030:
    case Workload::W2Utf8: return {100000, 10, true, 2};
    case Workload::W3: return {1, 1000000, false, 3};
    case Workload::W4: return {1000, 10, false, 4};
    case Workload::W1x10: return {1000000, 10, false, 1};
    }
    return {0, 0, false, 0};
}

QString text(const Shape &shape)
{
    Random random(shape.seed);
    QString out;
    out.reserve(qsizetype(shape.sections) * (24 + qsizetype(shape.keys) * 40));
    constexpr int nameCharCount = int(sizeof kNameChars) - 1;
    constexpr int valueCharCount = int(sizeof kValueChars) - 1;
    for (int s = 0; s < shape.sections; ++s) {
        out += u'[';
        if (shape.chinese) {
            appendChinese(out, random, random.between(3, 8));
            out += QString::number(s);
        } else {
            appendAscii(out, random, kNameChars, nameCharCount, random.between(8, 24));
        }
        out += u"]\r\n"_s;
        for (int k = 0; k < shape.keys; ++k) {
            if (shape.chinese) {
                appendChinese(out, random, random.between(3, 10));
                out += u'=';
                appendChinese(out, random, random.between(4, 14));
            } else {
                appendAscii(out, random, kNameChars, nameCharCount, nameLength(random));
                out += u'=';
                appendAscii(out, random, kValueChars, valueCharCount, valueLength(random));
            }
            out += u"\r\n"_s;
        }
    }
    return out;
}

} // namespace

namespace Workloads {

QList<Workload> all()
{
    return {Workload::W1, Workload::W2Gb18030, Workload::W2Utf8, Workload::W3, Workload::W4};
}

QString name(Workload workload)
{
    switch (workload) {
    case Workload::W1: return u"W1"_s;
    case Workload::W2Gb18030: return u"W2 GB18030"_s;
    case Workload::W2Utf8: return u"W2 UTF-8"_s;
    case Workload::W3: return u"W3"_s;
    case Workload::W4: return u"W4"_s;
    case Workload::W1x10: return u"W1x10"_s;
    }
    return {};
}

QString fileName(Workload workload)
{
    switch (workload) {
    case Workload::W1: return u"w1.ini"_s;
    case Workload::W2Gb18030: return u"w2-gb18030.ini"_s;
    case Workload::W2Utf8: return u"w2-utf8.ini"_s;
    case Workload::W3: return u"w3.ini"_s;
    case Workload::W4: return u"w4.ini"_s;
    case Workload::W1x10: return u"w1x10.ini"_s;
    }
    return {};
}

int sectionCount(Workload workload) { return shapeOf(workload).sections; }
int keysPerSection(Workload workload) { return shapeOf(workload).keys; }
qint64 keyCount(Workload workload)
{
    const Shape shape = shapeOf(workload);
    return qint64(shape.sections) * shape.keys;
}

QByteArray bytes(Workload workload)
{
    const QString all = text(shapeOf(workload));
    if (workload == Workload::W2Gb18030) {
        QStringEncoder encoder("GB18030");
        return encoder.isValid() ? QByteArray(encoder(all)) : QByteArray();
    }
    return all.toUtf8();
}

QString ensureFile(Workload workload, const QString &folder)
{
    if (!QDir().mkpath(folder))
        return {};
    const QString path = QDir(folder).filePath(fileName(workload));
    const QString sizePath = path + u".size"_s;
    // The size of the last file written is kept beside it, so a second run need not
    // generate the bytes only to compare their count.
    QFile sizeFile(sizePath);
    if (QFileInfo(path).isFile() && sizeFile.open(QIODevice::ReadOnly)
        && sizeFile.readAll().trimmed().toLongLong() == QFileInfo(path).size())
        return path;
    sizeFile.close();
    const QByteArray data = bytes(workload);
    if (data.isEmpty())
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return {};
    QSaveFile size(sizePath);
    if (size.open(QIODevice::WriteOnly))
        size.write(QByteArray::number(data.size()));
    size.commit();
    return path;
}

} // namespace Workloads
