#include "looks.h"

#include <QApplication>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

double luminance(const QColor &colour)
{
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF())
           + 0.0722 * channel(colour.blueF());
}

} // namespace

namespace Looks {

QPalette darkPalette()
{
    const QColor text(0xef, 0xf0, 0xf1);
    const QColor window(0x31, 0x36, 0x3b);
    const QColor base(0x23, 0x26, 0x29);
    QPalette palette(text, window, QColor(0x47, 0x50, 0x57), QColor(0x19, 0x1b, 0x1d),
                     QColor(0x2b, 0x30, 0x34), text, QColor(0xff, 0xff, 0xff), base, window);
    palette.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2e, 0x32));
    palette.setColor(QPalette::Highlight, QColor(0x1d, 0x54, 0x8a));
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa4, 0xa8));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x7a, 0x7e, 0x82));
    return palette;
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double inkContrast(const QImage &image, const QRect &area)
{
    const QRect inside = area.intersected(image.rect());
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    if (counts.isEmpty())
        return 1;
    const QRgb background =
        std::max_element(counts.cbegin(), counts.cend(), [](int a, int b) { return a < b; }).key();
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(QColor(background), QColor(it.key())));
    return best;
}

QList<qreal> fontSizes()
{
    return {9, 12, 16};
}

Theme::Theme(bool dark) : m_before(QApplication::palette())
{
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
}

Theme::~Theme()
{
    QApplication::setPalette(m_before);
}

AppFont::AppFont(qreal pointSize) : m_before(QApplication::font())
{
    QFont font = m_before;
    font.setPointSizeF(pointSize);
    QApplication::setFont(font);
}

AppFont::~AppFont()
{
    QApplication::setFont(m_before);
}

} // namespace Looks
