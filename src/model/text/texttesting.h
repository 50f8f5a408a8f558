#pragma once

#include <QByteArrayView>
#include <QString>

class LegacyCodec;

// What tests and fuzz targets check the codecs against; the program itself never uses it.
class TextTesting
{
public:
    // The text LegacyCodec::decode() gives, each sequence through the converter on its
    // own and no table: the slow route that the fast one is checked against.
    static QString decodeEachSequence(LegacyCodec &codec, QByteArrayView bytes,
                                      qsizetype *escaped = nullptr);
};
