#include "reports/PaymentSummary.h"

#include "format/PaymentFileReader.h"
#include "format/Primitives.h"
#include "format/RecordTypes.h"
#include "reports/CurrencySum.h"
#include "reports/NumberFormat.h"

#include <utility>

namespace tallivo {

namespace {

constexpr std::pair<std::string_view, std::string_view> kProductTypeNames[] = {
    {"PAY", "Payroll"},
    {"PA2", "Payroll(Type2)"},
    {"PA3", "Payroll(Type3)"},
    {"PA4", "MCL Payroll(Type1)"},
    {"PA5", "MCL Payroll(Type2)"},
    {"PA6", "MCL Payroll(Type3)"},
    {"DCP", "Direct Credit"},
    {"MCL", "Media Clearing"},
    {"BNT", "BahtNet"},
    {"MCP", "Manager Cheque"},
    {"CCP", "Corporate Cheque"},
    {"DDP", "Demand Draft"},
    {"XMQ", "Express Manager Cheque"},
    {"XDQ", "Express Demand Draft"},
};

// dd/mm/yyyy of a yyyymmdd field starting at the given column.
std::string ValueDate(std::string_view line, std::size_t firstColumn)
{
    std::string date(Columns(line, firstColumn + 6, firstColumn + 7));
    date += '/';
    date += Columns(line, firstColumn + 4, firstColumn + 5);
    date += '/';
    date += Columns(line, firstColumn, firstColumn + 3);
    return date;
}

// Appends a summary line: name, value date, number of credits, the amount twice.
void AppendSummaryLine(ResultGrid& grid, const std::string& productName, const std::string& valueDate,
                       std::string_view creditCount, const std::string& amountText)
{
    const std::string credits = std::to_string(StrToInt(creditCount));
    const long double amount = StrToFloat(amountText);
    grid.AppendRow({productName, valueDate, credits, FormatThousands2(amount), FormatPlain2(amount)});
}

void WriteCreditTransferSummary(ResultGrid& grid, PaymentFileReader& reader, ReportTableWriter& tables)
{
    // The pending detail row is written when the next credit of the same debit, the
    // next debit or the trailer is met; what no later line overwrites carries over.
    DetailRow pending;
    Currency whtSum;
    Currency vatSum;
    int debits = 0;
    int credits = 0;
    std::string productName;
    std::string lastLine; // the Total's columns 10-31 of the last line read

    PaymentLine line;
    while (reader.Next(line)) {
        const std::string_view text = line.text;
        const std::string_view code = text.substr(0, 3);
        lastLine.assign(text.substr(0, 31));

        if (code == "002") {
            ++debits;
            credits = 0;
        } else if (code == "003") {
            ++credits;
        }

        if (credits == 2 || code == "999" || debits == 2) {
            tables.AppendDetailRow(pending);
            pending.TotalWHTAmount.clear();
            pending.TotalInvoidAmount.clear();
            pending.VATAmount.clear();
            whtSum = {};
            vatSum = {};
        }

        if (code == "002") {
            if (const auto name = ProductTypeName(Columns(text, 4, 6)))
                productName = *name;
            pending.Product = productName;
            AppendSummaryLine(grid, productName, ValueDate(text, 7), Columns(text, 73, 78), AmountText(text, 49));
            debits = 1;
        } else if (code == "003") {
            pending.CreditAccount = Columns(text, 10, 34);
            pending.CreditAmount = AmountText(text, 35);
            pending.DeliveryMode = Columns(text, 65, 65);
            pending.PickupLocation = Columns(text, 66, 69);
            pending.TotalInvoidAmount = AmountText(text, 116);
            credits = 1;
        } else if (code == "004") {
            const std::string_view thai = Columns(text, 33, 132);
            pending.NameEng = Trim(thai).empty() ? Columns(text, 353, 422) : thai;
        } else if (code == "005") {
            whtSum = AddCurrency(whtSum, StrToCurr(AmountText(text, 20)));
            pending.TotalWHTAmount = whtSum.ToText();
        } else if (code == "006") {
            vatSum = AddCurrency(vatSum, StrToCurr(AmountText(text, 148)));
            pending.VATAmount = vatSum.ToText();
        }
    }

    // The Total line takes the last grid row, which stays the last.
    const std::size_t total = grid.RowCount() - 1;
    grid.SetCell(2, total, "Total");
    grid.SetCell(3, total, std::to_string(StrToInt(Columns(lastLine, 10, 15))));
    grid.SetCell(4, total, FormatThousands2(StrToFloat(AmountText(lastLine, 16))));
}

void WriteDirectDebitSummary(ResultGrid& grid, PaymentFileReader& reader)
{
    std::string productName;
    PaymentLine line;
    while (reader.Next(line)) {
        const std::string_view text = line.text;
        if (text.substr(0, 3) != "007")
            continue;
        if (Columns(text, 4, 6) == "DDR")
            productName = "Direct Debit";
        AppendSummaryLine(grid, productName, ValueDate(text, 15), Columns(text, 112, 117), AmountText(text, 96));
    }
}

} // namespace

std::optional<std::string_view> ProductTypeName(std::string_view code)
{
    for (const auto& [productCode, name] : kProductTypeNames)
        if (productCode == code)
            return name;
    return std::nullopt;
}

void SetUpSummaryLayout(ResultGrid& grid)
{
    const std::string hiddenHeader(grid.Cell(5, 0)); // no header is written for the hidden column
    grid.SetUpLayout(GridLayout::Summary, {"No.", "Product Type", "Value Date", "No. of Credit", "Amount", hiddenHeader},
                     {40, 200, 100, 120, 200, 0});
}

void WritePaymentSummary(ResultGrid& grid, const std::string& path, std::string_view currentProduct,
                         ReportTableWriter& tables)
{
    PaymentFileReader reader(path);
    tables.EmptyReportTables();
    if (currentProduct != "DDR")
        WriteCreditTransferSummary(grid, reader, tables);
    else
        WriteDirectDebitSummary(grid, reader);
}

} // namespace tallivo
