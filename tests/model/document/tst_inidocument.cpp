#include "inidocument.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIniDocument : public QObject
{
    Q_OBJECT

private:
    // Sections A, B, C, D at tree indexes 2..5, each with rows "<name>1" and "<name>2";
    // every list sorted descending with its first row current and selected.
    static void fourSections(IniDocument &doc)
    {
        for (const QString &name : {u"A"_s, u"B"_s, u"C"_s, u"D"_s}) {
            const int member = doc.addSection(name);
            doc.appendRow(member, KeyRow(name + u'1', u"v"_s));
            doc.appendRow(member, KeyRow(name + u'2', u"v"_s));
            doc.setSorting(member, true, Qt::DescendingOrder);
            doc.setCurrentRow(member, 0, true);
        }
    }

    static QStringList rowNames(const KeyList &keys)
    {
        QStringList names;
        for (const KeyRow &row : keys.rows())
            names << row.name();
        return names;
    }

private slots:
    void startState()
    {
        IniDocument doc;
        QCOMPARE(doc.nodeCount(), 1);
        QCOMPARE(doc.rootText(), u"Untitled.ini"_s);
        QCOMPARE(doc.path(), u"Untitled"_s);
        QVERIFY(!doc.hasFile());
        QCOMPARE(doc.statusPath(), u"Untitled.ini"_s);
        QCOMPARE(doc.statusCount(), u"0 项"_s);
        QCOMPARE(doc.sectionCountText(), u"0 项目"_s);
        QVERIFY(doc.list(0) && doc.list(0)->isEmpty());
        QCOMPARE(doc.frontList(), 0);
        QCOMPARE(doc.encoding(), defaultNewFileEncoding());
    }

    // Sections take tree indexes from 2 in creation order; member i belongs to node i.
    void addSections()
    {
        IniDocument doc;
        QSignalSpy inserted(&doc, &IniDocument::sectionInserted);
        QCOMPARE(doc.addSection(u"A"_s), 2);
        QCOMPARE(doc.addSection(u"A"_s), 3);
        QCOMPARE(doc.addSection(QString()), 4);
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(inserted.at(2).at(0).toInt(), 4);
        QCOMPARE(doc.nodeCount(), 4);
        QCOMPARE(doc.sectionCountText(), u"3 项目"_s);
        QCOMPARE(doc.nodeText(3), u"A"_s);
        QCOMPARE(doc.fullPath(3), u"Untitled.ini\\A"_s);
        QVERIFY(doc.list(2) != doc.list(3));
        for (int member : {0, 2, 3, 4})
            QVERIFY(doc.isMember(member) && doc.list(member));
        QCOMPARE(IniDocument::memberOfNode(1), 0);
        QCOMPARE(IniDocument::memberOfNode(4), 4);
    }

    void removeSection_data()
    {
        QTest::addColumn<int>("treeIndex");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("first") << 2 << QStringList{u"B"_s, u"C"_s, u"D"_s};
        QTest::newRow("middle") << 3 << QStringList{u"A"_s, u"C"_s, u"D"_s};
        QTest::newRow("selected") << 4 << QStringList{u"A"_s, u"B"_s, u"D"_s};
        QTest::newRow("last") << 5 << QStringList{u"A"_s, u"B"_s, u"C"_s};
    }

    // Later sections move one tree index and one member number down, keeping their rows
    // in order; their lists count as new (sorting off, no current row). Earlier lists
    // keep everything.
    void removeSection()
    {
        QFETCH(int, treeIndex);
        QFETCH(QStringList, names);
        IniDocument doc;
        fourSections(doc);
        doc.setFrontList(5);
        doc.setSelectedNode(4);
        QSignalSpy renumbered(&doc, &IniDocument::listsRenumbered);

        QVERIFY(doc.removeSection(treeIndex));
        QCOMPARE(doc.nodeCount(), 4);
        QVERIFY(!doc.isMember(5) && !doc.list(5));
        for (int node = 2; node <= 4; ++node) {
            const QString name = names[node - 2];
            QCOMPARE(doc.nodeText(node), name);
            const KeyList &keys = *doc.list(node);
            QCOMPARE(rowNames(keys), (QStringList{name + u'2', name + u'1'}));
            const bool moved = node >= treeIndex;
            QCOMPARE(keys.sorted(), !moved);
            QCOMPARE(keys.current(), moved ? -1 : 0);
        }
        QCOMPARE(renumbered.count(), treeIndex == 5 ? 0 : 1);
        if (treeIndex < 5)
            QCOMPARE(renumbered.at(0).at(0).toInt(), treeIndex);
        // The front list and the selection follow their section; a removed one passes
        // to the section that followed it, or falls back when it was the last.
        QCOMPARE(doc.frontList(), treeIndex == 5 ? 0 : 4);
        QCOMPARE(doc.selectedNode(), treeIndex <= 3 ? 3 : 4);
    }

    // Member 1, negative and too-high numbers address nothing and change nothing.
    void missingMembersAreHarmless()
    {
        IniDocument doc;
        fourSections(doc);
        QSignalSpy any(&doc, &IniDocument::rowChanged);
        for (int member : {1, -1, 6, 1000}) {
            QVERIFY(!doc.isMember(member));
            QVERIFY(!doc.list(member));
            QCOMPARE(doc.insertRow(member, 0, KeyRow(u"k"_s, u"v"_s)), qsizetype(-1));
            QVERIFY(!doc.removeRow(member, 0));
            QCOMPARE(doc.setRowName(member, 0, u"x"_s), qsizetype(-1));
            QVERIFY(!doc.setRowData(member, 0, u"x"_s));
            QVERIFY(!doc.setCurrentRow(member, 0, true));
            QVERIFY(!doc.setSorting(member, true));
            QVERIFY(!doc.setFrontList(member));
        }
        for (int node : {0, 1, -3, 6})
            QVERIFY(!doc.removeSection(node));
        QVERIFY(!doc.setSelectedNode(6));
        QVERIFY(doc.nodeText(6).isEmpty());
        // Row positions out of range in an existing list are refused as well.
        QVERIFY(!doc.removeRow(2, 2));
        QVERIFY(!doc.setRowData(2, -1, u"x"_s));
        QCOMPARE(any.count(), 0);
        QCOMPARE(doc.nodeCount(), 5);
        QCOMPARE(doc.keyTotal(), qint64(8));
    }

    // Sorting is case-insensitive and keeps rows of equal names in their order.
    void sorting()
    {
        IniDocument doc;
        const int m = doc.addSection(u"S"_s);
        const QStringList names{u"b"_s, u"A"_s, u"c"_s, u"a"_s, u"B"_s, u"a"_s};
        for (int i = 0; i < names.size(); ++i)
            doc.appendRow(m, KeyRow(names[i], QString::number(i)));
        QVERIFY(doc.setSorting(m, true));
        QStringList order;
        for (const KeyRow &row : doc.list(m)->rows())
            order << row.name() + row.data();
        QCOMPARE(order, (QStringList{u"A1"_s, u"a3"_s, u"a5"_s, u"b0"_s, u"B4"_s, u"c2"_s}));

        // While sorted, new and renamed rows take their sorted place.
        QCOMPARE(doc.appendRow(m, KeyRow(u"Ab"_s, u"6"_s)), qsizetype(3));
        QCOMPARE(doc.setRowName(m, 0, u"z"_s), qsizetype(6));
        // Turning sorting off keeps the order; appending then goes to the end.
        QVERIFY(doc.setSorting(m, false));
        QCOMPARE(doc.appendRow(m, KeyRow(u"0"_s, u"7"_s)), qsizetype(7));
        QCOMPARE(doc.list(m)->row(6).name(), u"z"_s);
    }

    // Clearing empties tree and lists but keeps the path and status texts.
    void clear()
    {
        IniDocument doc;
        fourSections(doc);
        doc.appendRow(0, KeyRow(u"top"_s, u"1"_s));
        doc.setPath(u"/tmp/x.ini"_s);
        doc.setStatusTexts(u"/tmp/x.ini"_s, u"4 项目"_s);
        QSignalSpy resets(&doc, &IniDocument::resetDone);
        doc.clear(u"Untitled.ini"_s);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(doc.nodeCount(), 1);
        QVERIFY(doc.list(0)->isEmpty());
        QCOMPARE(doc.rootText(), u"Untitled.ini"_s);
        QCOMPARE(doc.path(), u"/tmp/x.ini"_s);
        QCOMPARE(doc.statusCount(), u"4 项目"_s);
        QCOMPARE(doc.sectionCountText(), u"0 项目"_s);
        QCOMPARE(doc.selectedNode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
