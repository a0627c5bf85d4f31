#pragma once
// What the report commands hand the report renderer: one or several reports, each
// a template's text, its named variables and the rows of the table it reads. Plain
// data, no Qt, so the commands build it headless and the renderer turns it into
// pages (preview or PDF).
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

// The rows of the table a report reads, in table order: the column names once and every
// cell's text (single-byte Thai, as the tables hold it). The cells are held in blocks of
// text, a row within one block, so a million rows take little more than their bytes and
// grow a block at a time; copies share them until one of them changes.
class ReportRows
{
public:
    // One row by column name.
    using Row = std::map<std::string, std::string>;

    ReportRows() = default;
    explicit ReportRows(std::vector<std::string> columns);
    // Rows by column name; the columns are the names in the order first met.
    ReportRows(std::initializer_list<Row> rows);

    // Appends a row of cells in Columns() order (missing cells are empty).
    void AddRow(const std::vector<std::string_view>& cells);
    // Appends a row by column name; a name not met before becomes a new column, empty
    // in the rows before.
    void push_back(const Row& row);

    std::size_t size() const { return m_data ? m_data->rows : 0; }
    bool empty() const { return size() == 0; }
    const std::vector<std::string>& Columns() const;
    // The column's index, or Columns().size() when there is none of that name.
    std::size_t ColumnIndex(std::string_view name) const;
    std::string_view Cell(std::size_t row, std::size_t column) const;

    // One row by column name, and all of them (for small tables and tests).
    Row operator[](std::size_t row) const;
    std::vector<Row> ToMaps() const;

private:
    struct Data
    {
        std::vector<std::string> columns;
        std::vector<std::string> blocks;       // every cell, row by row
        std::vector<std::uint32_t> rowBlocks;  // the block of each row
        std::vector<std::uint32_t> ends;       // where each cell ends in its row's block
        std::size_t rows = 0;
    };
    Data& Own(); // the data, copied first when shared

    std::shared_ptr<Data> m_data;
};

// One report of a document: a template's text, its variables (each a renderer
// expression: a string constant in single quotes with inner quotes doubled) and
// the rows of the table it reads, in table order.
struct PreparedReport
{
    std::string templateText;
    std::map<std::string, std::string> variables;
    ReportRows rows;
    // Columns (by name) whose texts are never broken over lines, with every text such a
    // column can hold (as the rows hold them): the column is made wide enough for the
    // widest, whichever of them the rows show.
    std::map<std::string, std::vector<std::string>> wholeTexts{};
};

// One or several reports prepared one after the other into one document.
struct ReportDocument
{
    std::vector<PreparedReport> parts;
    // The payment file the reports are of (empty when not known): what is saved of the
    // document is named after it.
    std::string paymentFile{};
};

} // namespace tallivo
