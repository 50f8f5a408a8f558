#include "panelrow.h"

#include <QCoreApplication>
#include <QResizeEvent>

PanelRow::PanelRow(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void PanelRow::addPanel(QWidget *panel, int width)
{
    panel->setParent(this);
    m_panels.append({panel, width});
    updateGeometry();
    layoutPanels();
}

int PanelRow::widthOf(const Panel &panel) const
{
    // A larger font widens a panel to its text; the first one's text may be cut.
    if (&panel == &m_panels.constFirst())
        return panel.width;
    return qMax(panel.width, panel.widget->sizeHint().width());
}

QSize PanelRow::sizeHint() const
{
    int width = 0;
    int height = 0;
    for (const Panel &panel : m_panels) {
        width += widthOf(panel) + spacing;
        height = qMax(height, panel.widget->sizeHint().height());
    }
    return {qMax(0, width - spacing), height};
}

QSize PanelRow::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

bool PanelRow::event(QEvent *event)
{
    // The panels' height changes when the style polishes them, when the font changes and
    // when a text needs a taller font (a Chinese count after an empty start), and a text
    // set while the row is hidden tells nobody. A status
    // bar fixes its height when a widget is added and measures again only on a layout
    // request of its own, so send it one whenever the row's height has changed.
    switch (event->type()) {
    case QEvent::LayoutRequest:
    case QEvent::Show:
    case QEvent::ChildPolished:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        if (const int height = sizeHint().height(); height != m_hintHeight) {
            m_hintHeight = height;
            updateGeometry();
            if (parentWidget())
                QCoreApplication::postEvent(parentWidget(), new QEvent(QEvent::LayoutRequest));
        }
        // The panels' widths follow their texts' too.
        layoutPanels();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PanelRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void PanelRow::layoutPanels()
{
    if (m_panels.isEmpty())
        return;
    int others = 0;
    for (qsizetype i = 1; i < m_panels.size(); ++i)
        others += spacing + widthOf(m_panels[i]);
    const Panel &first = m_panels.constFirst();
    int x = 0;
    for (const Panel &panel : std::as_const(m_panels)) {
        const int wanted = &panel == &first ? this->width() - others : widthOf(panel);
        const int width = qMax(wanted, panel.widget->minimumWidth());
        // A panel past the right edge keeps its place; the row clips what lies outside it.
        panel.widget->setGeometry(x, 0, width, this->height());
        x += width + spacing;
    }
}
