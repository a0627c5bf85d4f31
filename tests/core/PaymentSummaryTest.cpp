// The payment summary: grid lines per debit (or direct-debit batch), the Total line
// from the trailer, and the detail rows with what carries over between credits.
#include "RecordBuilder.h"
#include "TestFiles.h"
#include "common/AppError.h"
#include "format/CreditLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/WhtLayout.h"
#include "reports/NumberFormat.h"
#include "reports/PaymentSummary.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallivo {
namespace {

using test::Rec;

struct RecordingTables : ReportTableWriter
{
    void EmptyReportTables() override { events.push_back("empty"); }
    void AppendDetailRow(const DetailRow& row) override
    {
        events.push_back("row");
        rows.push_back(row);
    }
    std::vector<std::string> events;
    std::vector<DetailRow> rows;
};

Rec Credit(const std::string& account, const std::string& amount16, const std::string& invoice16 = "0000000000000000")
{
    return Rec(RecordCode::Credit)
        .Set(Credit::Account, account)
        .Set(Credit::Amount, amount16)
        .Set(Credit::DeliveryMode, "M")
        .Set(Credit::PickupLocation, "0001")
        .Set(Credit::TotalInvoiceAmount, invoice16)
        .Set(Credit::ReceivingBankCode, "014");
}

Rec Payee(const std::string& thai, const std::string& english)
{
    return Rec(RecordCode::Payee).Set(Payee::NameThai, thai).Set(Payee::NameEnglish, english);
}

Rec Wht(const std::string& amount16)
{
    return Rec(RecordCode::Wht).Set(Wht::Amount, amount16);
}

Rec Invoice(const std::string& vat16)
{
    return Rec(RecordCode::Invoice).Set(Invoice::VatAmount, vat16);
}

std::vector<std::string> GridRow(const ResultGrid& grid, std::size_t row)
{
    std::vector<std::string> cells;
    for (std::size_t c = 0; c < grid.ColCount(); ++c)
        cells.emplace_back(grid.Cell(c, row));
    return cells;
}

std::string Padded(const std::string& text, std::size_t width)
{
    std::string s = text;
    s.resize(width, ' ');
    return s;
}

TEST(PaymentSummary, CreditTransferLinesTotalAndDetailRows)
{
    test::TempFolder dir;
    const std::string path = dir.Write(
        "pay.txt", test::FileOf({
                       test::ValidHeader(),
                       test::ValidDebit("XMQ").Set(Debit::ValueDate, "20240315").Set(Debit::Amount, "0000001234567890")
                           .Set(Debit::CreditCount, "000002"),
                       Credit("1111111114", "0000000001000000", "0000000000500000"),
                       Payee("", "JOHN O'NEIL"),
                       Wht("0000000000100000"),
                       Wht("0000000000050500"),
                       Invoice("0000000000007000"),
                       Credit("5555555550", "0000000002000000"), // no payee: keeps the name before
                       test::ValidDebit("MCL").Set(Debit::ValueDate, "20240316").Set(Debit::Amount, "0000000000500500")
                           .Set(Debit::CreditCount, "000001"),
                       Credit("2222222222", "0000000000500500"),
                       Payee("\xA1\xD2\xC3", "ENGLISH NAME"),
                       test::ValidTrailer("000002", "000009", "0000009999999990"), // shown as it is
                   }));
    ResultGrid grid;
    SetUpSummaryLayout(grid);
    RecordingTables tables;
    WritePaymentSummary(grid, path, "MCL", tables);

    ASSERT_EQ(grid.ColCount(), 6u);
    EXPECT_EQ(GridRow(grid, 0),
              (std::vector<std::string>{"No.", "Product Type", "Value Date", "No. of Credit", "Amount",
                                                          std::string(grid.Cell(5, 0))}));
    EXPECT_EQ(grid.ColWidth(5), 0);
    ASSERT_EQ(grid.RowCount(), 4u);
    EXPECT_EQ(GridRow(grid, 1), (std::vector<std::string>{"1", "Express Manager Cheque", "15/03/2024", "2",
                                                          "1,234,567.89", "1234567.89"}));
    EXPECT_EQ(GridRow(grid, 2),
              (std::vector<std::string>{"2", "Media Clearing", "16/03/2024", "1", "500.50", "500.50"}));
    EXPECT_EQ(GridRow(grid, 3), (std::vector<std::string>{"", "", "Total", "9", "9,999,999.99", ""}));

    ASSERT_EQ(tables.events.front(), "empty");
    ASSERT_EQ(tables.rows.size(), 3u);
    const DetailRow& a = tables.rows[0];
    EXPECT_EQ(a.Product, "Express Manager Cheque");
    EXPECT_EQ(a.NameEng, Padded("JOHN O'NEIL", 70)); // blank Thai name: the English one, untrimmed
    EXPECT_EQ(a.CreditAmount, "0000000001000.000");
    EXPECT_EQ(a.CreditAccount, Padded("1111111114", 25));
    EXPECT_EQ(a.TotalInvoidAmount, "0000000000500.000");
    EXPECT_EQ(a.TotalWHTAmount, "150.5");
    EXPECT_EQ(a.DeliveryMode, "M");
    EXPECT_EQ(a.PickupLocation, "0001");
    EXPECT_EQ(a.VATAmount, "7");

    const DetailRow& b = tables.rows[1];
    EXPECT_EQ(b.Product, "Express Manager Cheque");
    EXPECT_EQ(b.NameEng, a.NameEng); // carried over
    EXPECT_EQ(b.CreditAmount, "0000000002000.000");
    EXPECT_EQ(b.TotalWHTAmount, "");
    EXPECT_EQ(b.VATAmount, "");

    const DetailRow& c = tables.rows[2];
    EXPECT_EQ(c.Product, "Media Clearing");
    EXPECT_EQ(c.NameEng, Padded("\xA1\xD2\xC3", 100)); // the Thai name comes first
    EXPECT_EQ(c.CreditAmount, "0000000000500.500");
}

TEST(PaymentSummary, UnknownProductCodeKeepsTheNameBefore)
{
    test::TempFolder dir;
    const std::string path = dir.Write("pay.txt", test::FileOf({
                                                      test::ValidDebit("ZZZ"),
                                                      Credit("1111111114", "0000000001000000"),
                                                      test::ValidDebit("PA2"),
                                                      Credit("1111111114", "0000000001000000"),
                                                      test::ValidDebit("ZZZ"),
                                                      Credit("1111111114", "0000000001000000"),
                                                      test::ValidTrailer(),
                                                  }));
    ResultGrid grid;
    SetUpSummaryLayout(grid);
    RecordingTables tables;
    WritePaymentSummary(grid, path, "PAY", tables);
    EXPECT_EQ(grid.Cell(1, 1), "");
    EXPECT_EQ(grid.Cell(1, 2), "Payroll(Type2)");
    EXPECT_EQ(grid.Cell(1, 3), "Payroll(Type2)");
    ASSERT_EQ(tables.rows.size(), 3u);
    EXPECT_EQ(tables.rows[2].Product, "Payroll(Type2)");
}

TEST(PaymentSummary, DirectDebitOneLinePerBatchNoTotalNoDetail)
{
    test::TempFolder dir;
    const std::string path =
        dir.Write("dd.txt", test::FileOf({
                                test::ValidHeader(),
                                test::ValidDirectDebitBatch().Set(DirectDebitBatch::TotalAmount, "0000000012345670")
                                    .Set(DirectDebitBatch::ItemCount, "000003"),
                                test::ValidDirectDebitItem(),
                                test::ValidDirectDebitBatch().Set(DirectDebitBatch::ValueDate, "20240229")
                                    .Set(DirectDebitBatch::TotalAmount, "0000000000001000")
                                    .Set(DirectDebitBatch::ItemCount, "000001"),
                                test::ValidTrailer(),
                            }));
    ResultGrid grid;
    SetUpSummaryLayout(grid);
    RecordingTables tables;
    WritePaymentSummary(grid, path, "DDR", tables);
    ASSERT_EQ(grid.RowCount(), 4u);
    EXPECT_EQ(GridRow(grid, 1),
              (std::vector<std::string>{"1", "Direct Debit", "20/01/2025", "3", "12,345.67", "12345.67"}));
    EXPECT_EQ(GridRow(grid, 2), (std::vector<std::string>{"2", "Direct Debit", "29/02/2024", "1", "1.00", "1.00"}));
    EXPECT_EQ(GridRow(grid, 3), (std::vector<std::string>(6, "")));
    EXPECT_EQ(tables.events, (std::vector<std::string>{"empty"}));
}

TEST(PaymentSummary, ErrorsLeaveWhatWasWritten)
{
    test::TempFolder dir;
    // A missing file: nothing is emptied.
    {
        ResultGrid grid;
        SetUpSummaryLayout(grid);
        RecordingTables tables;
        EXPECT_THROW(WritePaymentSummary(grid, dir.Path("missing.txt"), "PAY", tables), AppError);
        EXPECT_TRUE(tables.events.empty());
    }
    // A number of credits that does not convert ends the pass after the first line.
    const std::string path = dir.Write("pay.txt", test::FileOf({
                                                      test::ValidDebit("PAY"),
                                                      Credit("1111111114", "0000000001000000"),
                                                      test::ValidDebit("PAY").Set(Debit::CreditCount, "00 001"),
                                                      test::ValidTrailer(),
                                                  }));
    ResultGrid grid;
    SetUpSummaryLayout(grid);
    RecordingTables tables;
    try {
        WritePaymentSummary(grid, path, "PAY", tables);
        ADD_FAILURE() << "no conversion error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "'00 001' is not a valid integer value");
    }
    EXPECT_EQ(grid.RowCount(), 3u);
    EXPECT_EQ(grid.Cell(1, 1), "Payroll");
    EXPECT_EQ(tables.rows.size(), 1u);
}

TEST(NumberFormat, AmountPatterns)
{
    struct Case
    {
        long double value;
        const char* thousands;
        const char* plain;
    };
    const Case cases[] = {
        {0.0L, "0.00", "0.00"},
        {1234567.89L, "1,234,567.89", "1234567.89"},
        {999.995L, "1,000.00", "1000.00"}, // half away from zero on the decimal digits
        {0.005L, "0.01", "0.01"},
        {0.004L, "0.00", "0.00"},
        {100.0L, "100.00", "100.00"},
        {9999999999999.999L, "10,000,000,000,000.00", "10000000000000.00"},
        {-1234.5L, "-1,234.50", "-1234.50"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatThousands2(c.value), c.thousands) << static_cast<double>(c.value);
        EXPECT_EQ(FormatPlain2(c.value), c.plain) << static_cast<double>(c.value);
    }
    EXPECT_EQ(AmountText(std::string(34, ' ') + "0000001234567890", Credit::Amount), "0000001234567.890");
    EXPECT_EQ(AmountText(std::string(34, ' ') + "00000012345678", Credit::Amount), "0000001234567.8")
        << "a line cut short gives shorter parts";
    EXPECT_EQ(QuotedText("O'NEIL"), "'O''NEIL'");
    EXPECT_EQ(QuotedText(""), "''");
}

} // namespace
} // namespace tallivo
