#pragma once

#include <QFont>
#include <QList>
#include <QPalette>

class QColor;
class QImage;
class QRect;

// The desktop settings a user may have (a dark theme, a larger font) and what they do to
// what the program draws.
namespace Looks {

// A dark theme's palette: light text on dark greys, as qt6ct's "darker" or KDE's Breeze
// Dark give.
QPalette darkPalette();

// The WCAG 2 contrast ratio of two colours: 1 (the same) to 21 (black on white).
double contrast(const QColor &a, const QColor &b);

// The contrast of what is drawn in area of image: its most frequent colour is taken for
// the background, the pixel that differs most from it for the ink. 1 for an area of one
// colour (a text drawn in the colour of its background, or none at all).
double inkContrast(const QImage &image, const QRect &area);

// The desktop font sizes the dialogs and the status bar are tried at, in points: the
// default the design was drawn for, then two larger ones.
QList<qreal> fontSizes();

// Gives the application the dark theme's palette, or the style's own light one, or a
// font, for as long as it lives, and puts back the one it had before.
class Theme
{
public:
    explicit Theme(bool dark);
    ~Theme();
    Q_DISABLE_COPY_MOVE(Theme)

private:
    QPalette m_before;
};

class AppFont
{
public:
    explicit AppFont(qreal pointSize);
    ~AppFont();
    Q_DISABLE_COPY_MOVE(AppFont)

private:
    QFont m_before;
};

} // namespace Looks
