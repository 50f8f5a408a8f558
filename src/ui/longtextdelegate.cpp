#include "longtextdelegate.h"

#include "celltext.h"
#include "firstlineguard.h"
#include "longlineedit.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <QToolTip>

#include <limits>

QString LongTextDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    // Cut before the base class looks at the text: it scans all of it for line breaks.
    if (value.userType() == QMetaType::QString)
        return QStyledItemDelegate::displayText(CellText::shown(value.toString()), locale);
    return QStyledItemDelegate::displayText(value, locale);
}

QWidget *LongTextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    if (index.data(Qt::EditRole).toString().size() >= LongLineEdit::minimumLength) {
        auto *editor = new LongLineEdit(parent);
        editor->setFrame(editor->style()->styleHint(QStyle::SH_ItemView_DrawDelegateFrame, nullptr, editor));
        return editor;
    }
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    allowAnyLength(editor);
    FirstLineGuard::attach(qobject_cast<QLineEdit *>(editor));
    return editor;
}

void LongTextDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    QStyledItemDelegate::setEditorData(editor, index);
    // A view selects its line edit's whole text as it opens it (before showing it).
    if (auto *edit = qobject_cast<LongLineEdit *>(editor); edit && !edit->isVisible())
        edit->selectAll();
}

void LongTextDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const
{
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    // The view's line edit grows with its text up to the view's right edge; a long
    // text's reaches it at once.
    if (qobject_cast<LongLineEdit *>(editor) && editor->parentWidget())
        editor->resize(qMax(editor->width(), editor->parentWidget()->width() - editor->x()), editor->height());
}

bool LongTextDelegate::isCut(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (index.data(Qt::DisplayRole).toString().size() > CellText::shownLimit)
        return true;
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : nullptr;
    if (!style)
        return false;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    // The style keeps this margin on both sides of an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return opt.fontMetrics.horizontalAdvance(opt.text) > textRect.width() - 2 * margin;
}

bool LongTextDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                 const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty() || !isCut(option, index)) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), toolTipHtml(tip), view->viewport(), option.rect);
    return true;
}

QString LongTextDelegate::toolTipHtml(const QString &tip)
{
    // A tooltip wraps rich text at break opportunities only, so a long path or a word
    // without blanks would run off the screen: a zero-width space after each character
    // lets it wrap anywhere, as Chinese text does.
    QString breakable;
    breakable.reserve(tip.size() * 2);
    for (qsizetype i = 0; i < tip.size(); ++i) {
        breakable += tip.at(i);
        if (!tip.at(i).isHighSurrogate() && tip.at(i) != u'\n')
            breakable += QChar(0x200B);
    }
    // As plain text, whatever it looks like.
    return Qt::convertFromPlainText(breakable, Qt::WhiteSpaceNormal);
}

void LongTextDelegate::allowAnyLength(QWidget *editor)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setMaxLength(std::numeric_limits<int>::max());
}
