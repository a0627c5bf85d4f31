#include "findings/ResultGrid.h"

#include <algorithm>

namespace tallivo {

ResultGrid::ResultGrid()
{
    // The window's grid starts with two columns 40 and 122 pixels wide.
    m_widths.fill(64);
    m_widths[0] = 40;
    m_widths[1] = 122;
}

void ResultGrid::SetRowCount(std::size_t rows)
{
    m_rowCount = rows;
    ++m_generation;
}

void ResultGrid::SetColCount(std::size_t cols)
{
    m_colCount = std::min(cols, kMaxColumns);
    ++m_generation;
}

std::string_view ResultGrid::Row::Cell(std::size_t col) const
{
    if (col >= cells)
        return {};
    const std::uint32_t begin = col == 0 ? 0 : end[col - 1];
    return std::string_view(text).substr(begin, end[col] - begin);
}

std::string_view ResultGrid::Cell(std::size_t col, std::size_t row) const
{
    if (col >= kMaxColumns)
        return {};
    if (row == 0)
        return m_header[col];
    if (row - 1 >= m_rows.size())
        return {};
    return m_rows[row - 1].Cell(col);
}

ResultGrid::Row& ResultGrid::BodyRow(std::size_t row)
{
    if (row > m_rows.size())
        m_rows.resize(row);
    return m_rows[row - 1];
}

void ResultGrid::SetCell(std::size_t col, std::size_t row, std::string_view text)
{
    if (col >= kMaxColumns)
        return;
    ++m_generation;
    if (row == 0) {
        m_header[col] = text;
        return;
    }
    // Rebuild the row with the one cell replaced: cells are set one at a time only by
    // the summary, rows of findings are appended whole.
    Row& body = BodyRow(row);
    Row rebuilt;
    const std::size_t cells = std::max<std::size_t>(body.cells, col + 1);
    for (std::size_t c = 0; c < cells; ++c)
        rebuilt.Add(c == col ? text : body.Cell(c));
    body = std::move(rebuilt);
}

void ResultGrid::SetColWidth(std::size_t col, int width)
{
    if (col < kMaxColumns)
        m_widths[col] = width;
    ++m_generation;
}

ResultGrid::Row ResultGrid::NextRow() const
{
    Row row;
    row.Add(std::to_string(m_rowCount - 1));
    return row;
}

void ResultGrid::PutNextRow(Row&& row)
{
    BodyRow(m_rowCount - 1) = std::move(row);
    ++m_rowCount;
    ++m_generation;
}

void ResultGrid::AppendRow(std::initializer_list<std::string_view> cellsFromColumn1)
{
    Row row = NextRow();
    for (const std::string_view cell : cellsFromColumn1) {
        if (row.cells >= kMaxColumns)
            break;
        row.Add(cell);
    }
    PutNextRow(std::move(row));
}

void ResultGrid::AppendRowFrom(const ResultGrid& other, std::size_t row, std::size_t col, std::string_view replacement)
{
    const Row& from = other.m_rows.at(row - 1);
    Row copy = NextRow();
    for (std::size_t c = 1; c < from.cells; ++c)
        copy.Add(c == col ? replacement : from.Cell(c));
    PutNextRow(std::move(copy));
}

void ResultGrid::Reset()
{
    // Rows 1 to the row count are blanked; row 0 keeps its texts.
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_rowCount = 2;
    m_colCount = 2;
    m_layout = GridLayout::None;
    ++m_generation;
}

void ResultGrid::SetUpLayout(GridLayout layout, std::initializer_list<std::string_view> headers,
                             std::initializer_list<int> widths)
{
    m_layout = layout;
    m_rowCount = 2;
    m_colCount = std::min(headers.size(), kMaxColumns);
    std::size_t c = 0;
    for (std::string_view h : headers)
        if (c < kMaxColumns)
            m_header[c++] = h;
    c = 0;
    for (int w : widths)
        if (c < kMaxColumns)
            m_widths[c++] = w;
    ++m_generation;
}

namespace {

// A whole number of at most 18 digits; 0 for anything else.
std::uint64_t NumberIn(std::string_view digits)
{
    std::uint64_t n = 0;
    if (digits.empty() || digits.size() > 18)
        return 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

constexpr std::size_t kRecordCodeColumns = 3; // a record type code takes columns 1-3

} // namespace

std::optional<FindingLocation> LocationOf(const ResultGrid& grid, std::size_t row)
{
    if (row == 0 || row >= grid.RowCount())
        return std::nullopt;
    FindingLocation at;
    switch (grid.Layout()) {
    case GridLayout::RecordTypeErrors:
        at.line = NumberIn(grid.Cell(RecordTypeColumn::Line, row));
        at.firstColumn = 1;
        at.lastColumn = kRecordCodeColumns;
        return at;
    case GridLayout::RecordLengthErrors:
        at.line = NumberIn(grid.Cell(RecordLengthColumn::Line, row));
        at.recordType = grid.Cell(RecordLengthColumn::RecordType, row);
        return at;
    case GridLayout::Errors: {
        at.line = NumberIn(grid.Cell(ErrorColumn::Line, row));
        at.recordType = grid.Cell(ErrorColumn::RecordType, row);
        const std::string_view columns = grid.Cell(ErrorColumn::Columns, row);
        if (!columns.empty()) {
            const std::size_t dash = columns.find('-');
            at.firstColumn = static_cast<std::size_t>(NumberIn(columns.substr(0, dash)));
            at.lastColumn = dash == std::string_view::npos
                                ? at.firstColumn
                                : static_cast<std::size_t>(NumberIn(columns.substr(dash + 1)));
        }
        return at;
    }
    case GridLayout::Summary:
    case GridLayout::None:
        break;
    }
    return std::nullopt;
}

} // namespace tallivo
