#include "reports/PaymentSummary.h"

#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/PaymentFileReader.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"
#include "format/TrailerLayout.h"
#include "format/WhtLayout.h"
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

constexpr std::string_view kDirectDebitName = "Direct Debit";

// dd/mm/yyyy of a yyyymmdd date field.
std::string ValueDate(const Fields& f, const Field& field)
{
    const DateText parts = f.Date(field);
    std::string date(parts.day);
    date += '/';
    date += parts.month;
    date += '/';
    date += parts.year;
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

void WriteCreditTransferSummary(ResultGrid& grid, LineSource& reader, ReportTableWriter& tables)
{
    // The pending detail row is written when the next credit of the same debit, the
    // next debit or the trailer is met; what no later line overwrites carries over.
    DetailRow pending;
    Currency whtSum;
    Currency vatSum;
    int debits = 0;
    int credits = 0;
    std::string productName;
    std::string lastLine; // the trailer's counts and total as the last line read holds them
    std::string amount;   // a WHT or VAT amount's text, its room kept from line to line

    PaymentLine line;
    while (reader.Next(line)) {
        const std::string_view text = line.text;
        const Fields f(text);
        const std::string_view code = CodeOf(text);
        lastLine.assign(text.substr(0, Trailer::TotalAmount.Last()));

        if (code == RecordCode::Debit) {
            ++debits;
            credits = 0;
        } else if (code == RecordCode::Credit) {
            ++credits;
        }

        if (credits == 2 || code == RecordCode::Trailer || debits == 2) {
            tables.AppendDetailRow(pending);
            pending.TotalWHTAmount.clear();
            pending.TotalInvoidAmount.clear();
            pending.VATAmount.clear();
            whtSum = {};
            vatSum = {};
        }

        if (code == RecordCode::Debit) {
            if (const auto name = ProductTypeName(f[Debit::ProductCode]))
                productName = *name;
            pending.Product = productName;
            AppendSummaryLine(grid, productName, ValueDate(f, Debit::ValueDate), f[Debit::CreditCount],
                              AmountText(text, Debit::Amount));
            debits = 1;
        } else if (code == RecordCode::Credit) {
            pending.CreditAccount = f[Credit::Account];
            AssignAmountText(pending.CreditAmount, text, Credit::Amount);
            pending.DeliveryMode = f[Credit::DeliveryMode];
            pending.PickupLocation = f[Credit::PickupLocation];
            AssignAmountText(pending.TotalInvoidAmount, text, Credit::TotalInvoiceAmount);
            credits = 1;
        } else if (code == RecordCode::Payee) {
            const std::string_view thai = f[Payee::NameThai];
            pending.NameEng = Trim(thai).empty() ? f[Payee::NameEnglish] : thai;
        } else if (code == RecordCode::Wht) {
            AssignAmountText(amount, text, Wht::Amount);
            whtSum = AddCurrency(whtSum, StrToCurr(amount));
            pending.TotalWHTAmount = whtSum.ToText();
        } else if (code == RecordCode::Invoice) {
            AssignAmountText(amount, text, Invoice::VatAmount);
            vatSum = AddCurrency(vatSum, StrToCurr(amount));
            pending.VATAmount = vatSum.ToText();
        }
    }

    // The Total line takes the last grid row, which stays the last.
    const std::size_t total = grid.RowCount() - 1;
    grid.SetCell(SummaryColumn::ValueDate, total, "Total");
    grid.SetCell(SummaryColumn::Credits, total, std::to_string(StrToInt(Fields(lastLine)[Trailer::CreditCount])));
    grid.SetCell(SummaryColumn::Amount, total,
                 FormatThousands2(StrToFloat(AmountText(lastLine, Trailer::TotalAmount))));
}

void WriteDirectDebitSummary(ResultGrid& grid, LineSource& reader)
{
    std::string productName;
    PaymentLine line;
    while (reader.Next(line)) {
        const std::string_view text = line.text;
        if (CodeOf(text) != RecordCode::DirectDebitBatch)
            continue;
        const Fields f(text);
        if (f[DirectDebitBatch::ProductCode] == Product::DirectDebit)
            productName = kDirectDebitName;
        AppendSummaryLine(grid, productName, ValueDate(f, DirectDebitBatch::ValueDate), f[DirectDebitBatch::ItemCount],
                          AmountText(text, DirectDebitBatch::TotalAmount));
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

std::vector<std::string> ProductTypeNames()
{
    std::vector<std::string> names;
    for (const auto& [productCode, name] : kProductTypeNames)
        names.emplace_back(name);
    names.emplace_back(kDirectDebitName);
    return names;
}

void SetUpSummaryLayout(ResultGrid& grid)
{
    const std::string hiddenHeader(
        grid.Cell(SummaryColumn::PlainAmount, 0)); // no header is written for the hidden column
    grid.SetUpLayout(GridLayout::Summary,
                     {"No.", "Product Type", "Value Date", "No. of Credit", "Amount", hiddenHeader},
                     {40, 200, 100, 120, 200, 0});
}

void WritePaymentSummary(ResultGrid& grid, const std::string& path, std::string_view currentProduct,
                         ReportTableWriter& tables, LineForm form)
{
    PaymentFileReader reader(path, form);
    WritePaymentSummary(grid, reader, currentProduct, tables);
}

void WritePaymentSummary(ResultGrid& grid, LineSource& lines, std::string_view currentProduct,
                         ReportTableWriter& tables)
{
    tables.EmptyReportTables();
    if (currentProduct != Product::DirectDebit)
        WriteCreditTransferSummary(grid, lines, tables);
    else
        WriteDirectDebitSummary(grid, lines);
    tables.DetailRowsWritten();
}

} // namespace tallivo
