#pragma once
// The result grid: a table of text cells addressed by column and row (both from 0).
// Row 0 is the header row, column 0 the numbering column. The checks, the error-file
// writers and the payment summary use it; the window shows it through a thin model.
// Rows are held compactly (one string per row, with the end of each cell) so a
// million findings stay usable; a cell may hold any byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

enum class GridLayout { None, RecordTypeErrors, RecordLengthErrors, Errors, Summary };

// The columns of each layout by name (column 0 numbers the rows). Every reader and writer
// of a layout addresses its cells by these.
namespace RecordTypeColumn {
inline constexpr std::size_t Line = 1;
}
namespace RecordLengthColumn {
inline constexpr std::size_t RecordType = 1;
inline constexpr std::size_t Line = 2;
} // namespace RecordLengthColumn
namespace ErrorColumn {
inline constexpr std::size_t RecordType = 1;
inline constexpr std::size_t Line = 2;
inline constexpr std::size_t Columns = 3; // "35-50", or one column
inline constexpr std::size_t FieldName = 4;
inline constexpr std::size_t Message = 5;
inline constexpr std::size_t Account = 6;
inline constexpr std::size_t PayeeName = 7;
} // namespace ErrorColumn
namespace SummaryColumn {
inline constexpr std::size_t Product = 1;
inline constexpr std::size_t ValueDate = 2; // "Total" on the Total line
inline constexpr std::size_t Credits = 3;
inline constexpr std::size_t Amount = 4;      // with thousands separators
inline constexpr std::size_t PlainAmount = 5; // hidden: the amount as a plain number
} // namespace SummaryColumn

class ResultGrid
{
public:
    static constexpr std::size_t kMaxColumns = 8;

    ResultGrid();

    std::size_t RowCount() const { return m_rowCount; }
    std::size_t ColCount() const { return m_colCount; }
    void SetRowCount(std::size_t rows);
    void SetColCount(std::size_t cols);

    std::string_view Cell(std::size_t col, std::size_t row) const;
    void SetCell(std::size_t col, std::size_t row, std::string_view text);
    // Column widths in pixels, as the layout sets them (0 hides a column).
    int ColWidth(std::size_t col) const { return col < kMaxColumns ? m_widths[col] : 0; }
    void SetColWidth(std::size_t col, int width);
    GridLayout Layout() const { return m_layout; }
    void SetLayout(GridLayout layout) { m_layout = layout; }

    // Appends one row after the growth rule: fills row (row count - 1) with cell 0 :=
    // its index and the given cells from column 1, then raises the row count by one.
    void AppendRow(std::initializer_list<std::string_view> cellsFromColumn1);
    // Appends, as AppendRow, the cells from column 1 of another grid's body row, with the
    // cell of column col replaced by the given text.
    void AppendRowFrom(const ResultGrid& other, std::size_t row, std::size_t col, std::string_view replacement);

    // Blanks every cell of rows 1 to the row count, then 2 rows and 2 columns.
    // Row 0 keeps its texts.
    void Reset();

    // Sets up a layout: column count, header texts and widths, 2 rows.
    void SetUpLayout(GridLayout layout, std::initializer_list<std::string_view> headers,
                     std::initializer_list<int> widths = {});

    // Counts writes to the grid, so a front end can tell whether to redraw.
    std::size_t Generation() const { return m_generation; }

private:
    // A body row: its cells one after the other in text, cell c ending at end[c].
    struct Row
    {
        std::string text;
        std::array<std::uint32_t, kMaxColumns> end{};
        std::uint8_t cells = 0;

        std::string_view Cell(std::size_t col) const;
        // Adds a cell after the last one.
        void Add(std::string_view cell)
        {
            text.append(cell);
            end[cells++] = static_cast<std::uint32_t>(text.size());
        }
    };
    Row& BodyRow(std::size_t row);
    // The row appended next, with cell 0 its index; put in place by PutNextRow.
    Row NextRow() const;
    void PutNextRow(Row&& row);

    std::array<std::string, kMaxColumns> m_header;
    std::vector<Row> m_rows; // body rows 1..; may be fewer than row count - 1
    std::array<int, kMaxColumns> m_widths{};
    std::size_t m_rowCount = 2;
    std::size_t m_colCount = 2;
    GridLayout m_layout = GridLayout::None;
    std::size_t m_generation = 0;
};

// Where a finding of the grid points in the payment file.
struct FindingLocation
{
    std::uint64_t line = 0;      // 1-based; 0 when the finding names no line
    std::size_t firstColumn = 0; // the columns it names; 0 when it names none
    std::size_t lastColumn = 0;
    std::string_view recordType; // the record type it names, if any (a length finding's)
};

// The location of the finding in body row `row` of a findings layout (record types,
// record lengths, field checks); nothing for the summary or an empty grid. A record type
// finding names the record code's columns.
std::optional<FindingLocation> LocationOf(const ResultGrid& grid, std::size_t row);

} // namespace tallivo
