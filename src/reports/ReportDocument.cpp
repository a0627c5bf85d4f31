#include "reports/ReportDocument.h"

#include <algorithm>

namespace tallivo {

namespace {
const std::vector<std::string> kNoColumns;
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
    for (std::size_t c = 0; c < d.columns.size(); ++c) {
        if (c < cells.size())
            d.text.append(cells[c]);
        d.ends.push_back(d.text.size());
    }
    ++d.rows;
}

void ReportRows::push_back(const Row& row)
{
    Data& d = Own();
    for (const auto& [name, value] : row) {
        if (std::find(d.columns.begin(), d.columns.end(), name) != d.columns.end())
            continue;
        // A new column: every earlier row gets an empty cell for it.
        Data widened;
        widened.columns = d.columns;
        widened.columns.push_back(name);
        widened.rows = d.rows;
        for (std::size_t r = 0; r < d.rows; ++r) {
            for (std::size_t c = 0; c < d.columns.size(); ++c) {
                const std::uint64_t begin = r == 0 && c == 0 ? 0 : d.ends[r * d.columns.size() + c - 1];
                widened.text.append(d.text, begin, d.ends[r * d.columns.size() + c] - begin);
                widened.ends.push_back(widened.text.size());
            }
            widened.ends.push_back(widened.text.size());
        }
        d = std::move(widened);
    }
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
    const std::uint64_t begin = i == 0 ? 0 : m_data->ends[i - 1];
    return std::string_view(m_data->text).substr(begin, m_data->ends[i] - begin);
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
