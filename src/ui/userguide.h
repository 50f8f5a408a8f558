#pragma once

#include <QString>
#include <QStringList>

// The user guide, one HTML page in Chinese (docs/guide.html in the sources), which the
// menu item "Tarn博客" opens in the user's browser.
namespace UserGuide {

// Where the page may be, in the order looked at: the documentation folder of an
// installation relative to the program's folder (share/doc/tarnwick on Linux), a "doc"
// folder beside the program (Windows), the bundle's resources (macOS), and the source
// tree the program was built from (a program run from its build folder).
QStringList candidates();

// The first of candidates() that is an existing file, or an empty text when none is.
QString path();

} // namespace UserGuide
