#pragma once
// Draws a result grid cell the way the grid always has: the cell filled with its
// background, then the text on one line in the cell shrunk by 2 pixels at the top and
// at the right, aligned as the model says (centred or touching the left edge). Where the
// font (or the font Qt falls back on for Thai) draws marks above its own ascent, the text
// moves down by what they need, so no mark is cut off.
#include <QStyledItemDelegate>

namespace tallivo {

class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where a cell's text goes in a font, and the row height that holds every glyph the
    // grid shows, Thai marks above and below their letters included.
    struct TextPlacement
    {
        int top;       // from the cell's top edge to the top of the text's line
        int rowHeight; // never below the grid's own 17 pixels
    };
    static TextPlacement PlacementFor(const QFont& font);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace tallivo
