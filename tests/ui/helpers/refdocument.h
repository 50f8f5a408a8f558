#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class IniDocument;

// A small model of what the editor's document should hold, kept by a test beside the
// real window and changed by the test's own simple rules. Rows carry ids so that a
// list's current row is followed through sorting and moves without index arithmetic.
struct RefRow
{
    QString name;
    QString data;
    bool readEmpty = false; // read as "k=": shown as "(Empty)", written back empty
    int id = 0;
};

struct RefList
{
    std::vector<RefRow> rows;
    int currentId = -1; // -1: no current row
    bool currentSelected = false;
    bool sorted = false;

    qsizetype current() const;
    void setCurrent(qsizetype pos, bool selected);
    // Appends (or, while sorted, inserts after every row that sorts before or with it).
    qsizetype add(RefRow row);
    void remove(qsizetype pos);
    // While sorted, the renamed row moves after every other row that sorts before or
    // with its new name. Returns its new position.
    qsizetype rename(qsizetype pos, const QString &name);
    // Stable, ascending, case-insensitive: what a click on the section does.
    void sort();
    // What a removed section's followers get: the rows only.
    void forgetState();
};

struct RefSection
{
    QString name;
    RefList keys;
};

struct RefDocument
{
    QString rootText = QStringLiteral("Untitled.ini");
    QString path = QStringLiteral("Untitled");
    QString statusPath = QStringLiteral("Untitled.ini");
    QString statusCount = QStringLiteral("0 项");
    RefList rootKeys;
    std::vector<RefSection> sections;
    int selected = 1;
    int front = 0;
    bool rootExpanded = true;

    int nodeCount() const { return int(sections.size()) + 1; }
    bool hasFile() const { return path != QStringLiteral("Untitled"); }
    RefList *list(int member);
    const RefList *list(int member) const;
    QString nodeText(int node) const;
    QString fullPath(int node) const;
    QString countText() const;
    qint64 keyTotal() const;

    static RefRow newRow(const QString &name, const QString &data, bool readEmpty = false);
    static QString fileName(const QString &path);

    // New: root only, not selected, collapsed, path "Untitled", status texts reset.
    void newDocument();
    // A read that found no file at path: an empty document of that name; the status
    // texts stay.
    void readMissing(const QString &path);
    // A read of text: every section header and key line, rows in reverse file order, each
    // list's top row current and selected, root selected and member 0 in front.
    void readText(const QString &path, const QString &text);
    // The text a save writes (lines end in CR LF).
    QString iniText() const;

    // An empty string when doc holds exactly this, else the first difference.
    QString differences(const IniDocument &doc) const;
};
