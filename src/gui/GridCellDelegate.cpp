#include "gui/GridCellDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

#include <algorithm>

namespace tallivo {

namespace {

constexpr int kTopInset = 2;   // the text starts 2 pixels below the cell's top
constexpr int kBottomRoom = 2; // and keeps clear of the grid line below
constexpr int kGridRowHeight = 17;

// Letters with the highest marks above (mai tho on sara i, mai chattawa) and the lowest
// below (sara u, uu, phinthu under the letters with tails), with Latin letters.
const char16_t kTallestText[] = u"\u0E1B\u0E34\u0E49\u0E1D\u0E35\u0E4B\u0E1F\u0E37\u0E4A "
                                u"\u0E0E\u0E39 \u0E0F\u0E38 \u0E24\u0E3A \u0E2A\u0E38\u0E14\u0E32 \u0E4D\u0E47 Agjy|";

} // namespace

GridCellDelegate::TextPlacement GridCellDelegate::PlacementFor(const QFont& font)
{
    // Painting asks for every cell: the last font's answer is kept.
    thread_local QFont lastFont;
    thread_local TextPlacement lastPlacement{0, 0};
    if (lastPlacement.rowHeight > 0 && lastFont == font)
        return lastPlacement;
    // The line as drawText lays it out: its ascent and descent are those of every font
    // the text uses (Qt falls back on another font for Thai); the glyphs' ink may reach
    // beyond them (marks stacked above a letter, the tails below).
    const QString text = QString::fromUtf16(kTallestText);
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1.0e6);
    layout.endLayout();
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    const int ascent = static_cast<int>(std::ceil(line.ascent()));
    const int descent = static_cast<int>(std::ceil(line.descent()));
    const int above = std::max(0, static_cast<int>(std::ceil(-ink.top())) - ascent);
    const int below = std::max(descent, static_cast<int>(std::ceil(ink.bottom())) + 1);
    const int height = kTopInset + above + ascent + below + kBottomRoom;
    lastFont = font;
    lastPlacement = {kTopInset + above, std::max(kGridRowHeight, height)};
    return lastPlacement;
}

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
    const int top = PlacementFor(opt.font).top;
    painter->drawText(option.rect.adjusted(0, top, -2, 0), int(alignment | Qt::TextSingleLine), text);
    painter->restore();
}

} // namespace tallivo
