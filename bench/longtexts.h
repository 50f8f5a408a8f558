#pragma once

#include <QString>

class TimingApplication;

// Times the window on names and data of many megabytes. The file written into folder
// holds a short section, a section whose one key has a name and data of length
// characters each, and a section whose own name is that long, so that the tree and the
// list both hold a huge text. Each time is best of three (one run when a run takes
// over a second), a fresh window per run; -1 when the file cannot be written.
struct LongTextTimes
{
    double click = -1;   // a click on the section with the huge key, to the window painted
    double resize = -1;  // a resize of the window showing that key, to painted
    double longest = -1; // the longest event after the click, until idle
};
LongTextTimes timeLongTexts(TimingApplication &app, const QString &folder, qsizetype length);

// Times the editors on a name or data of length characters, in the same file: the
// in-place edit of the huge section name (tree) and of the huge key name (key list),
// and the value editor on the huge key, its data box. "open" runs from the request to
// the editor painted (for the value editor: made, shown and painted); "key" is one
// typed character at the end of the text, to the editor painted, the mean of up to ten
// (fewer when they are slow). -1 when the file cannot be written or no editor opened.
struct EditorTimes
{
    double treeOpen = -1;
    double treeKey = -1;
    double listOpen = -1;
    double listKey = -1;
    double dialogOpen = -1;
    double dialogKey = -1;
};
EditorTimes timeEditors(TimingApplication &app, const QString &folder, qsizetype length);
