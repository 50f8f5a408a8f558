#pragma once

class QWidget;

// Pure decoration (a picture, the shadow drawn under a title) left out of what assistive
// technology sees: a screen reader reads the children of a window, and would announce a
// shadow as the text it shadows once more.
namespace Decoration {

// Makes every window of window's class leave its marked children out of its accessible
// children. Call at the very start of the window's constructor, before it gets an owner
// or a child: Qt keeps the accessible interface it first makes for an object.
void leaveOutOf(const QWidget &window);

// Marks child, a direct child of such a window, as decoration.
void mark(QWidget *child);

} // namespace Decoration
