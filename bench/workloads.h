#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The benchmark files, generated the same way every run (fixed seeds, own generator):
//   W1        100,000 sections of 10 keys, ASCII names and values of 8 to 40
//             characters, CR LF (about 37 MB);
//   W2Gb18030 W1's shape with Chinese section names, key names and values, in GB18030;
//   W2Utf8    the same text in UTF-8 (no byte-order mark);
//   W3        one section of 1,000,000 keys (ASCII, CR LF);
//   W4        1,000 sections of 10 keys (ASCII, CR LF);
//   W1x10     W1's shape ten times over: 1,000,000 sections, 10,000,000 keys (about
//             370 MB), for the memory of the largest files; not among all().
// Every line is a header or a key line; no comments, no blank lines.
enum class Workload { W1, W2Gb18030, W2Utf8, W3, W4, W1x10 };

namespace Workloads {

// W1 to W4.
QList<Workload> all();
// "W1", "W2 GB18030", ...
QString name(Workload workload);
// A file name for it: "w1.ini", "w2-gb18030.ini", ...
QString fileName(Workload workload);
int sectionCount(Workload workload);
int keysPerSection(Workload workload);
qint64 keyCount(Workload workload);

// The file's bytes.
QByteArray bytes(Workload workload);

// Writes the workload into folder (created when missing) unless a file of that name is
// there already with the expected size; returns its path, or an empty text when it
// cannot be written. Lets a benchmark hand the same file to several processes.
QString ensureFile(Workload workload, const QString &folder);

} // namespace Workloads
