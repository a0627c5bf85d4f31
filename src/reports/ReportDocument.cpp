#include "reports/ReportDocument.h"

#include <algorithm>

namespace tallivo {

namespace {
const std::vector<std::string> kNoColumns;
// The text of a block of rows: large enough that a block holds thousands of rows, small
// enough that growing by one costs little.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
} // namespace

ReportRows::ReportRows(std::vector<std::string> columns) : m_data(std::make_shared<Data>())
{
    m_data->columns = std::move(columns);
}

ReportRows::ReportRows(std::initializer_list<Row> rows)
{
    for (const Row& row : rows)
        push_back(row);
}

ReportRows::Data& ReportRows::Own()
{
    if (!m_data)
        m_data = std::make_shared<Data>();
    else if (m_data.use_count() > 1)
        m_data = std::make_shared<Data>(*m_data);
    return *m_data;
}

const std::vector<std::string>& ReportRows::Columns() const
{
    return m_data ? m_data->columns : kNoColumns;
}

std::size_t ReportRows::ColumnIndex(std::string_view name) const
{
    const std::vector<std::string>& columns = Columns();
    return static_cast<std::size_t>(std::find(columns.begin(), columns.end(), name) - columns.begin());
}

void ReportRows::AddRow(const std::vector<std::string_view>& cells)
{
    Data& d = Own();
    std::size_t bytes = 0;
    for (std::size_t c = 0; c < d.columns.size() && c < cells.size(); ++c)
        bytes += cells[c].size();
    if (d.blocks.empty() || (!d.blocks.back().empty() && d.blocks.back().size() + bytes > kBlockBytes)) {
        d.blocks.emplace_back();
        d.blocks.back().reserve(std::max(kBlockBytes, bytes));
    }
    std::string& block = d.blocks.back();
    for (std::size_t c = 0; c < d.columns.size(); ++c) {
        if (c < cells.size())
            block.append(cells[c]);
        d.ends.push_back(static_cast<std::uint32_t>(block.size()));
    }
    d.rowBlocks.push_back(static_cast<std::uint32_t>(d.blocks.size() - 1));
    ++d.rows;
}

void ReportRows::push_back(const Row& row)
{
    for (const auto& [name, value] : row) {
        if (std::find(Columns().begin(), Columns().end(), name) != Columns().end())
            continue;
        // A new column: every earlier row gets an empty cell for it.
        std::vector<std::string> columns = Columns();
        columns.push_back(name);
        ReportRows widened(columns);
        std::vector<std::string_view> cells;
        for (std::size_t r = 0; r < size(); ++r) {
            cells.clear();
            for (std::size_t c = 0; c + 1 < columns.size(); ++c)
                cells.push_back(Cell(r, c));
            widened.AddRow(cells);
        }
        *this = std::move(widened);
    }
    const Data& d = Own();
    std::vector<std::string_view> cells;
    for (const std::string& column : d.columns) {
        const auto it = row.find(column);
        cells.push_back(it == row.end() ? std::string_view() : std::string_view(it->second));
    }
    AddRow(cells);
}

std::string_view ReportRows::Cell(std::size_t row, std::size_t column) const
{
    if (!m_data || row >= m_data->rows || column >= m_data->columns.size())
        return {};
    const std::size_t i = row * m_data->columns.size() + column;
    const std::uint32_t block = m_data->rowBlocks[row];
    const bool rowStartsBlock = row == 0 || m_data->rowBlocks[row - 1] != block;
    const std::uint32_t begin = column == 0 && rowStartsBlock ? 0 : m_data->ends[i - 1];
    return std::string_view(m_data->blocks[block]).substr(begin, m_data->ends[i] - begin);
}

ReportRows::Row ReportRows::operator[](std::size_t row) const
{
    Row cells;
    for (std::size_t c = 0; c < Columns().size(); ++c)
        cells[Columns()[c]] = std::string(Cell(row, c));
    return cells;
}

std::vector<ReportRows::Row> ReportRows::ToMaps() const
{
    std::vector<Row> rows;
    for (std::size_t r = 0; r < size(); ++r)
        rows.push_back((*this)[r]);
    return rows;
}

} // namespace tallivo
