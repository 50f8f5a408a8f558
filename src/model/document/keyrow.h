#pragma once

#include <QLatin1StringView>
#include <QString>

// One key of a section: its name (first column) and its data (second column).
//
// A key read from a line such as "key=" shows the text "(Empty)" as its data; such a
// row remembers that the text stands for empty data, so the writer can write the line
// back as it was for as long as the data is still exactly "(Empty)".
class KeyRow
{
public:
    KeyRow() = default;
    KeyRow(QString name, QString data, bool readEmpty = false)
        : m_name(std::move(name)), m_data(std::move(data)), m_readEmpty(readEmpty) {}

    // The text shown for a key that was read with empty data.
    static constexpr QLatin1StringView emptyText() { return QLatin1StringView("(Empty)"); }

    const QString &name() const { return m_name; }
    const QString &data() const { return m_data; }
    void setName(const QString &name) { m_name = name; }
    void setData(const QString &data) { m_data = data; }

    // True while the data is the "(Empty)" that stands for empty data in the file.
    bool writesEmptyData() const { return m_readEmpty && m_data == emptyText(); }
    bool readEmpty() const { return m_readEmpty; }

    friend bool operator==(const KeyRow &a, const KeyRow &b)
    {
        return a.m_name == b.m_name && a.m_data == b.m_data && a.m_readEmpty == b.m_readEmpty;
    }

private:
    QString m_name;
    QString m_data;
    bool m_readEmpty = false;
};
