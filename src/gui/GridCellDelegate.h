#pragma once
// Draws a result grid cell the way the grid always has: the cell filled with its
// background, then the text on one line in the cell shrunk by 2 pixels at the top and
// at the right, aligned as the model says (centred or touching the left edge).
#include <QStyledItemDelegate>

namespace tallivo {

class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace tallivo
