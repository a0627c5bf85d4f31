#pragma once
// The body rows of a report table, measured and painted directly with Qt's text layout:
// each column's place, font and alignment are found once (from the template laid out by
// the text engine), and each distinct text is shaped once and reused while it is kept,
// so a page of rows costs its glyphs and lines and no text document. Figures (amounts,
// counts, accounts, dates) and texts kept whole (product names) stay on one line; other texts wrap at word boundaries, or
// anywhere in a word longer than its column.
#include <QBrush>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>

#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextLayout;
class QThread;

namespace tallivo {

// One column of the body rows, in dots of the layout resolution from the left of the
// paint area.
struct RowColumn
{
    double left = 0;     // the cell's box: its left border line
    double width = 0;    // from the left border line to the right one
    double textLeft = 0; // the room for the text
    double textWidth = 0;
    QFont font; // resolved for the layout device
    Qt::Alignment alignment = Qt::AlignLeft;
    QBrush color = QBrush(Qt::black);
    QBrush background;   // Qt::NoBrush: the page shows through
    bool figure = false; // kept on one line: figures, texts kept whole
};

// How a row is framed: the room above and below its text and its border lines.
struct RowFrame
{
    double textTop = 0;    // from the row's top to its text
    double textBottom = 0; // from its text to the row's bottom
    double border = 0;     // the width of each cell's frame
    double outer = 0;      // the width of the table's own frame, left and right of the cells
    QBrush borderBrush = QBrush(Qt::darkGray);
};

class RowPainter
{
public:
    // The device gives the layout resolution; it must outlive the painter.
    RowPainter(std::vector<RowColumn> columns, RowFrame frame, QPaintDevice& device);
    ~RowPainter();
    RowPainter(const RowPainter&) = delete;
    RowPainter& operator=(const RowPainter&) = delete;

    const std::vector<RowColumn>& Columns() const { return m_columns; }
    const RowFrame& Frame() const { return m_frame; }

    // The height of a row of these texts (one per column): its tallest cell as PaintRows
    // paints it, and its frame.
    double Height(const std::vector<QString>& cells) const;
    // Paints rows one under the other from top: their backgrounds, texts and frames;
    // heights (one per row) are what Height gave for the same texts. Texts of plain
    // letters that follow one another in the same font and color are set as one run of
    // glyphs, so that a page of rows is a few runs of text for the device rather than one
    // for each cell.
    void PaintRows(QPainter& painter, double top, const std::vector<double>& heights,
                   const std::vector<std::vector<QString>>& rows) const;
    // The lines a text takes in a column.
    int LineCount(std::size_t column, const QString& text) const;

private:
    using Shaped = std::shared_ptr<const QTextLayout>;
    // A column's font for texts of plain ASCII letters: each letter's glyph and advance
    // looked up once, so that such a text is set without shaping.
    struct PlainFont
    {
        QRawFont raw;
        quint32 glyphs[128] = {};
        double advances[128] = {};
        double ascent = 0;
    };
    // The width of a text set in the column's plain font, or a negative width when it
    // has letters outside it.
    double PlainWidth(std::size_t column, const QString& text) const;
    // Fonts and shaped texts belong to the thread that made them: a painter prepared on a
    // worker and painted on the window's thread makes them again there. The caller holds
    // m_mutex.
    void OnThisThread() const;
    double TextHeight(std::size_t column, const QString& text) const;
    // Sets a text's lines in a column's layout: its font, alignment and wrapping.
    void LayOut(std::size_t column, QTextLayout& layout) const;
    // The height of a text's layout, as ShapedText lays it out.
    double ShapedHeight(std::size_t column, const QString& text) const;
    void PaintFrames(QPainter& painter, double top, const std::vector<double>& heights) const;
    Shaped ShapedText(std::size_t column, const QString& text) const;

    std::vector<RowColumn> m_columns;
    RowFrame m_frame;
    QPaintDevice& m_device;
    std::vector<double> m_lineHeight; // of one line of a column's own font
    mutable std::vector<std::size_t> m_runOf; // the first column of the same raw font and color
    mutable std::vector<PlainFont> m_plain;
    mutable const QThread* m_thread = nullptr;
    mutable std::mutex m_mutex;
    mutable std::vector<QHash<QString, Shaped>> m_shaped;            // per column, the texts kept
    mutable std::vector<QHash<QString, double>> m_heights;           // per column, the heights of texts measured
    mutable std::vector<std::unique_ptr<QTextLayout>> m_measuring;   // per column, the layout texts are measured in
};

} // namespace tallivo
