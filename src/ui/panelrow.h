#pragma once

#include <QList>
#include <QWidget>

// A row of status bar panels laid out as a native status bar does: left to right, each
// at its own width, the first one taking whatever room the row has beyond the others'
// widths. No panel ever gets less than its minimum width; when the row is narrower than
// that, the panels that do not fit are cut off at the row's right edge rather than
// squeezed or drawn over one another. The row asks for no minimum width of its own, so
// it never stops its window from being made narrow.
class PanelRow : public QWidget
{
    Q_OBJECT
public:
    explicit PanelRow(QWidget *parent = nullptr);

    // Adds panel (reparented to the row) at the right end. The first panel added is the
    // stretching one: width is its width in a row that has room for every panel, and it
    // shrinks down to its minimum width first. Later panels keep width, or the width of
    // their text (sizeHint) where a larger font needs more.
    void addPanel(QWidget *panel, int width);

    // The gap between two panels, in pixels.
    static constexpr int spacing = 2;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutPanels();

    struct Panel {
        QWidget *widget;
        int width;
    };
    int widthOf(const Panel &panel) const;

    QList<Panel> m_panels;
    int m_hintHeight = -1;
};
