#include "checking/ResultGrid.h"

#include <algorithm>

namespace tallivo {

namespace {
constexpr char kSep = '\x1f';
}

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

std::string_view ResultGrid::Split(const std::string& row, std::size_t col)
{
    std::size_t start = 0;
    for (std::size_t c = 0; c < col; ++c) {
        const auto sep = row.find(kSep, start);
        if (sep == std::string::npos)
            return {};
        start = sep + 1;
    }
    const auto end = row.find(kSep, start);
    return std::string_view(row).substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string_view ResultGrid::Cell(std::size_t col, std::size_t row) const
{
    if (col >= kMaxColumns)
        return {};
    if (row == 0)
        return m_header[col];
    if (row - 1 >= m_rows.size())
        return {};
    return Split(m_rows[row - 1], col);
}

std::string& ResultGrid::BodyRow(std::size_t row)
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
    std::string& body = BodyRow(row);
    std::size_t start = 0;
    for (std::size_t c = 0; c < col; ++c) {
        const auto sep = body.find(kSep, start);
        if (sep == std::string::npos) {
            body.append(col - c, kSep);
            start = body.size();
            break;
        }
        start = sep + 1;
    }
    const auto end = body.find(kSep, start);
    body.replace(start, end == std::string::npos ? std::string::npos : end - start, text);
}

void ResultGrid::SetColWidth(std::size_t col, int width)
{
    if (col < kMaxColumns)
        m_widths[col] = width;
    ++m_generation;
}

void ResultGrid::AppendRow(std::initializer_list<std::string_view> cellsFromColumn1)
{
    const std::size_t r = m_rowCount - 1;
    std::string row = std::to_string(r);
    for (std::string_view cell : cellsFromColumn1) {
        row += kSep;
        row.append(cell);
    }
    BodyRow(r) = std::move(row);
    ++m_rowCount;
    ++m_generation;
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

} // namespace tallivo
