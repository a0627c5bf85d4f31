#include "gui/GridCellDelegate.h"

#include <QApplication>
#include <QPainter>

namespace tallivo {

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    const Qt::Alignment alignment = opt.displayAlignment;

    // Background, selection and focus as the style draws them, without the text.
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(0, 2, -2, 0), int(alignment | Qt::TextSingleLine), text);
    painter->restore();
}

} // namespace tallivo
