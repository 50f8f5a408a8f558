#include "decoration.h"

#include <QAccessibleWidget>
#include <QDialog>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

constexpr char markName[] = "tarnwickDecoration";

QSet<QString> &classesLeavingOut()
{
    static QSet<QString> classes;
    return classes;
}

bool isDecoration(const QAccessibleInterface *child)
{
    return child && child->object() && child->object()->property(markName).toBool();
}

// The window's accessible self as Qt makes it, without the marked children. The marks
// are read at each call, so that children marked after the interface was made count.
class WithoutDecoration : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QAccessibleInterface *> children = shownChildren();
        return index >= 0 && index < children.size() ? children.at(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(shownChildren().indexOf(const_cast<QAccessibleInterface *>(child)));
    }

private:
    QList<QAccessibleInterface *> shownChildren() const
    {
        QList<QAccessibleInterface *> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface *child = QAccessibleWidget::child(i);
            if (child && !isDecoration(child))
                children << child;
        }
        return children;
    }
};

// Asked for the object's own class first, then for each base class.
QAccessibleInterface *leavingOutFactory(const QString &key, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || key != QLatin1StringView(object->metaObject()->className())
        || !classesLeavingOut().contains(key))
        return nullptr;
    const QAccessible::Role role = qobject_cast<QDialog *>(widget) ? QAccessible::Dialog
                                   : widget->isWindow()            ? QAccessible::Window
                                                                   : QAccessible::Client;
    return new WithoutDecoration(widget, role);
}

} // namespace

namespace Decoration {

void leaveOutOf(const QWidget &window)
{
    static const bool installed = [] {
        QAccessible::installFactory(leavingOutFactory);
        return true;
    }();
    Q_UNUSED(installed);
    classesLeavingOut().insert(QLatin1StringView(window.metaObject()->className()));
}

void mark(QWidget *child)
{
    child->setProperty(markName, true);
}

} // namespace Decoration
