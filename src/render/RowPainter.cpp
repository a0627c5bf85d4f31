#include "render/RowPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace tallivo {

namespace {

// Texts kept shaped per column: the texts of several pages, so that what repeats
// (products, codes, zero amounts) is shaped once, and what does not is let go.
constexpr qsizetype kKeptPerColumn = 2048;

// The first character a font has no glyph for (another font draws it), or none.
bool NeedsAnotherFont(const QFontMetricsF& metrics, const QString& text, QChar::Script& script)
{
    for (const QChar ch : text)
        if (ch.unicode() >= 0x80 && !metrics.inFont(ch)) {
            script = ch.script();
            return true;
        }
    return false;
}

} // namespace

RowPainter::RowPainter(std::vector<RowColumn> columns, RowFrame frame, QPaintDevice& device)
    : m_columns(std::move(columns)), m_frame(std::move(frame)), m_device(device), m_shaped(m_columns.size())
{
    for (const RowColumn& column : m_columns)
        m_lineHeight.push_back(QFontMetricsF(column.font, &m_device).height());
}

RowPainter::~RowPainter() = default;

RowPainter::Shaped RowPainter::ShapedText(std::size_t column, const QString& text) const
{
    QHash<QString, Shaped>& kept = m_shaped[column];
    if (const auto it = kept.constFind(text); it != kept.constEnd())
        return *it;
    const RowColumn& c = m_columns[column];
    auto layout = std::make_shared<QTextLayout>(text, c.font, &m_device);
    QTextOption option(c.alignment);
    option.setWrapMode(c.figure ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    double y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(c.textWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    if (kept.size() >= kKeptPerColumn)
        kept.clear();
    kept.insert(text, layout);
    return layout;
}

double RowPainter::TextHeight(std::size_t column, const QString& text) const
{
    const RowColumn& c = m_columns[column];
    if (text.isEmpty())
        return m_lineHeight[column];
    const QFontMetricsF metrics(c.font, &m_device);
    QChar::Script script = QChar::Script_Unknown;
    const bool otherFont = NeedsAnotherFont(metrics, text, script);
    if (!otherFont && (c.figure || metrics.horizontalAdvance(text) <= c.textWidth))
        return m_lineHeight[column];
    return ShapedText(column, text)->boundingRect().height();
}

double RowPainter::Height(const std::vector<QString>& cells) const
{
    const std::lock_guard lock(m_mutex);
    double text = 0;
    for (std::size_t c = 0; c < m_columns.size() && c < cells.size(); ++c)
        text = std::max(text, TextHeight(c, cells[c]));
    return m_frame.textTop + text + m_frame.textBottom;
}

int RowPainter::LineCount(std::size_t column, const QString& text) const
{
    const std::lock_guard lock(m_mutex);
    return ShapedText(column, text)->lineCount();
}

void RowPainter::Paint(QPainter& painter, double y, double height, const std::vector<QString>& cells) const
{
    const std::lock_guard lock(m_mutex);
    painter.save();
    for (std::size_t c = 0; c < m_columns.size() && c < cells.size(); ++c) {
        const RowColumn& column = m_columns[c];
        if (column.background.style() != Qt::NoBrush)
            painter.fillRect(QRectF(column.left, y, column.width, height), column.background);
        if (cells[c].isEmpty())
            continue;
        painter.setPen(QPen(column.color, 0));
        ShapedText(c, cells[c])->draw(&painter, QPointF(column.textLeft, y + m_frame.textTop));
    }
    // Each cell framed on its own and the table's frame at both ends, as the text engine
    // frames the cells of the headings and totals.
    painter.setBrush(Qt::NoBrush);
    if (m_frame.border > 0) {
        const double half = m_frame.border / 2;
        painter.setPen(QPen(m_frame.borderBrush, m_frame.border, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        for (const RowColumn& column : m_columns)
            painter.drawRect(QRectF(column.left, y, column.width, height).adjusted(half, half, -half, -half));
    }
    if (m_frame.outer > 0 && !m_columns.empty()) {
        const double half = m_frame.outer / 2;
        const double left = m_columns.front().left - half;
        const double right = m_columns.back().left + m_columns.back().width + half;
        painter.setPen(QPen(m_frame.borderBrush, m_frame.outer, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(left, y), QPointF(left, y + height));
        painter.drawLine(QPointF(right, y), QPointF(right, y + height));
    }
    painter.restore();
}

} // namespace tallivo
