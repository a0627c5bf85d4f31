#include "render/RowPainter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QThread>

#include <algorithm>

namespace tallivo {

namespace {

// Texts kept shaped per column: the texts of several pages, so that what repeats
// (products, codes, zero amounts) is shaped once, and what does not is let go.
constexpr qsizetype kKeptPerColumn = 2048;

} // namespace

RowPainter::RowPainter(std::vector<RowColumn> columns, RowFrame frame, QPaintDevice& device)
    : m_columns(std::move(columns)), m_frame(std::move(frame)), m_device(device), m_shaped(m_columns.size()),
      m_heights(m_columns.size())
{
    for (const RowColumn& column : m_columns)
        m_lineHeight.push_back(QFontMetricsF(column.font, &m_device).height());
}

void RowPainter::OnThisThread() const
{
    if (m_thread == QThread::currentThread())
        return;
    m_thread = QThread::currentThread();
    for (auto& kept : m_shaped)
        kept.clear();
    for (auto& kept : m_heights)
        kept.clear();
    m_measuring.clear();
    m_measuring.resize(m_columns.size());
    m_plain.clear();
    for (const RowColumn& column : m_columns) {
        PlainFont plain;
        plain.raw = QRawFont::fromFont(column.font); // at the size the text engine sets the font
        plain.ascent = QFontMetricsF(column.font, &m_device).ascent();
        if (plain.raw.isValid()) {
            QString letters;
            for (ushort ch = 0x20; ch < 0x7F; ++ch)
                letters += QChar(ch);
            const QList<quint32> glyphs = plain.raw.glyphIndexesForString(letters);
            const QList<QPointF> advances = plain.raw.advancesForGlyphIndexes(glyphs);
            for (qsizetype i = 0; i < letters.size() && i < glyphs.size() && i < advances.size(); ++i) {
                plain.glyphs[letters[i].unicode()] = glyphs[i];
                plain.advances[letters[i].unicode()] = advances[i].x();
            }
        }
        m_plain.push_back(std::move(plain));
    }
    // The first column of the same raw font and color: their plain texts are set together.
    m_runOf.clear();
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        std::size_t first = 0;
        while (first < c && !(m_plain[first].raw == m_plain[c].raw && m_columns[first].color == m_columns[c].color))
            ++first;
        m_runOf.push_back(first);
    }
}

double RowPainter::PlainWidth(std::size_t column, const QString& text) const
{
    const PlainFont& plain = m_plain[column];
    if (!plain.raw.isValid())
        return -1;
    double width = 0;
    for (const QChar ch : text) {
        const ushort u = ch.unicode();
        if (u >= 128 || plain.glyphs[u] == 0)
            return -1;
        width += plain.advances[u];
    }
    return width;
}

RowPainter::~RowPainter() = default;

void RowPainter::LayOut(std::size_t column, QTextLayout& layout) const
{
    const RowColumn& c = m_columns[column];
    QTextOption option(c.alignment);
    option.setWrapMode(c.figure ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(c.textWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

RowPainter::Shaped RowPainter::ShapedText(std::size_t column, const QString& text) const
{
    QHash<QString, Shaped>& kept = m_shaped[column];
    if (const auto it = kept.constFind(text); it != kept.constEnd())
        return *it;
    auto layout = std::make_shared<QTextLayout>(text, m_columns[column].font, &m_device);
    layout->setCacheEnabled(true);
    LayOut(column, *layout);
    if (kept.size() >= kKeptPerColumn)
        kept.clear();
    kept.insert(text, layout);
    return layout;
}

double RowPainter::ShapedHeight(std::size_t column, const QString& text) const
{
    // Laid out as ShapedText lays it out for painting, in a layout kept for measuring:
    // only its height is kept, so that measuring many rows neither makes nor keeps a
    // layout for each text, and a text that repeats is shaped once.
    QHash<QString, double>& kept = m_heights[column];
    if (const auto it = kept.constFind(text); it != kept.constEnd())
        return *it;
    if (!m_measuring[column])
        m_measuring[column] = std::make_unique<QTextLayout>(QString(), m_columns[column].font, &m_device);
    QTextLayout& layout = *m_measuring[column];
    layout.setText(text);
    LayOut(column, layout);
    const double height = layout.boundingRect().height();
    if (kept.size() >= kKeptPerColumn)
        kept.clear();
    kept.insert(text, height);
    return height;
}

double RowPainter::TextHeight(std::size_t column, const QString& text) const
{
    // Measured as PaintRows sets the text: a plain text on one line is set from the
    // column's glyphs in a line of its font; any other text is painted from its layout,
    // whose lines give its height. So a row is always as tall as what is painted in it,
    // whatever the fonts its letters take and wherever the layout breaks its lines.
    const RowColumn& c = m_columns[column];
    if (text.isEmpty())
        return m_lineHeight[column];
    if (const double plain = PlainWidth(column, text); plain >= 0 && (c.figure || plain <= c.textWidth))
        return m_lineHeight[column];
    return ShapedHeight(column, text);
}

double RowPainter::Height(const std::vector<QString>& cells) const
{
    const std::lock_guard lock(m_mutex);
    OnThisThread();
    double text = 0;
    for (std::size_t c = 0; c < m_columns.size() && c < cells.size(); ++c)
        text = std::max(text, TextHeight(c, cells[c]));
    return m_frame.textTop + text + m_frame.textBottom;
}

int RowPainter::LineCount(std::size_t column, const QString& text) const
{
    const std::lock_guard lock(m_mutex);
    OnThisThread();
    return ShapedText(column, text)->lineCount();
}

void RowPainter::PaintRows(QPainter& painter, double top, const std::vector<double>& heights,
                           const std::vector<std::vector<QString>>& rows) const
{
    if (rows.empty() || rows.size() != heights.size())
        return;
    const std::lock_guard lock(m_mutex);
    OnThisThread();
    painter.save();
    // The glyphs of plain texts that follow one another in the same font and color
    // (the run of their first column), placed as the text engine aligns them on their
    // lines, are set together; everything is painted in the order of the cells.
    std::size_t runColumn = 0;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    const QBrush* pen = nullptr;
    const auto setPen = [&](const QBrush& color) {
        if (pen == &color || (pen && *pen == color))
            return;
        painter.setPen(QPen(color, 0));
        pen = &color;
    };
    const auto flush = [&] {
        if (glyphs.isEmpty())
            return;
        setPen(m_columns[runColumn].color);
        QGlyphRun run;
        run.setRawFont(m_plain[runColumn].raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        glyphs.clear();
        positions.clear();
    };
    double y = top;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<QString>& cells = rows[r];
        for (std::size_t c = 0; c < m_columns.size() && c < cells.size(); ++c) {
            const RowColumn& column = m_columns[c];
            if (column.background.style() != Qt::NoBrush) {
                flush();
                painter.fillRect(QRectF(column.left, y, column.width, heights[r]), column.background);
            }
            const QString& text = cells[c];
            if (text.isEmpty())
                continue;
            const double plain = PlainWidth(c, text);
            if (plain >= 0 && (column.figure || plain <= column.textWidth)) {
                if (m_runOf[c] != runColumn)
                    flush();
                runColumn = m_runOf[c];
                const PlainFont& font = m_plain[c];
                double x = column.textLeft;
                if (column.alignment & Qt::AlignRight)
                    x += column.textWidth - plain;
                else if (column.alignment & Qt::AlignHCenter)
                    x += (column.textWidth - plain) / 2;
                const double baseline = y + m_frame.textTop + font.ascent;
                double advance = 0;
                for (const QChar ch : text) {
                    glyphs.append(font.glyphs[ch.unicode()]);
                    positions.append(QPointF(x + advance, baseline));
                    advance += font.advances[ch.unicode()];
                }
                continue;
            }
            flush();
            setPen(column.color);
            ShapedText(c, text)->draw(&painter, QPointF(column.textLeft, y + m_frame.textTop));
        }
        y += heights[r];
    }
    flush();
    painter.restore();
    PaintFrames(painter, top, heights);
}

void RowPainter::PaintFrames(QPainter& painter, double top, const std::vector<double>& heights) const
{
    if (m_columns.empty() || heights.empty())
        return;
    // Each cell is framed on its own, as the text engine frames the headings and totals:
    // where two cells meet, their frames make one line of twice the width. Drawn once
    // for all the rows of a page.
    double bottom = top;
    for (const double height : heights)
        bottom += height;
    const double b = m_frame.border;
    const double left = m_columns.front().left;
    const double right = m_columns.back().left + m_columns.back().width;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (b > 0) {
        painter.setPen(QPen(m_frame.borderBrush, 2 * b, Qt::SolidLine, Qt::FlatCap));
        for (std::size_t c = 1; c < m_columns.size(); ++c)
            painter.drawLine(QPointF(m_columns[c].left, top), QPointF(m_columns[c].left, bottom));
        double y = top;
        for (std::size_t r = 0; r + 1 < heights.size(); ++r) {
            y += heights[r];
            painter.drawLine(QPointF(left, y), QPointF(right, y));
        }
        painter.setPen(QPen(m_frame.borderBrush, b, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(left + b / 2, top), QPointF(left + b / 2, bottom));
        painter.drawLine(QPointF(right - b / 2, top), QPointF(right - b / 2, bottom));
        painter.drawLine(QPointF(left, top + b / 2), QPointF(right, top + b / 2));
        painter.drawLine(QPointF(left, bottom - b / 2), QPointF(right, bottom - b / 2));
    }
    if (m_frame.outer > 0) {
        const double half = m_frame.outer / 2;
        painter.setPen(QPen(m_frame.borderBrush, m_frame.outer, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(left - half, top), QPointF(left - half, bottom));
        painter.drawLine(QPointF(right + half, top), QPointF(right + half, bottom));
    }
    painter.restore();
}

} // namespace tallivo
