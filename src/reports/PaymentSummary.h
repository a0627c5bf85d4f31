#pragma once
// The payment summary: the result grid turned into one line per debit record (or
// per direct-debit batch record) with a Total line from the trailer, and one detail
// row per credit record for the payment detail report.
#include "findings/ResultGrid.h"
#include "format/PaymentFileReader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

// The product name of a product code (exact, case-sensitive), or nothing for a
// code outside the table.
std::optional<std::string_view> ProductTypeName(std::string_view code);
// Every product name the summary and the detail rows can show.
std::vector<std::string> ProductTypeNames();

// One row of ReportTableDetail, all fields text.
struct DetailRow
{
    std::string Product;
    std::string NameEng;
    std::string CreditAmount; // the column "Credit Amount"
    std::string CreditAccount;
    std::string TotalInvoidAmount;
    std::string TotalWHTAmount;
    std::string DeliveryMode;
    std::string PickupLocation;
    std::string VATAmount;
};

// Where the summary puts its table rows: the two report tables.
class ReportTableWriter
{
public:
    virtual ~ReportTableWriter() = default;
    // Removes all rows of ReportTable, then of ReportTableDetail.
    virtual void EmptyReportTables() = 0;
    virtual void AppendDetailRow(const DetailRow& row) = 0;
    // Every detail row is written: what emptying kept until now can go.
    virtual void DetailRowsWritten() {}
};

// Sets up the summary layout: 6 columns with their headers and widths (the sixth,
// holding the amount for the report table, 0 pixels wide and its header untouched), 2 rows.
void SetUpSummaryLayout(ResultGrid& grid);

// Reads the payment file and writes the summary lines into the grid (after
// SetUpSummaryLayout) and the detail rows into the tables, which it empties first,
// once the file is open. currentProduct "DDR" chooses the direct-debit summary.
// A field that does not convert raises the conversion error; what was written
// before stays. The lines are read in the given form.
void WritePaymentSummary(ResultGrid& grid, const std::string& path, std::string_view currentProduct,
                         ReportTableWriter& tables, LineForm form = LineForm::AsInFile);
// The same over the lines of a source (a shared read of the file, or a held file's reader).
void WritePaymentSummary(ResultGrid& grid, LineSource& lines, std::string_view currentProduct,
                         ReportTableWriter& tables);

} // namespace tallivo
