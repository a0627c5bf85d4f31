#pragma once
// A payment file with an identifying value in every field that holds one, and what a
// check and a payment summary show of a file: a masked copy must show the same.
#include "PaymentRecordFixture.h"
#include "TestFiles.h"
#include "checking/CheckSession.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "common/Clock.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/DirectDebitItemLayout.h"
#include "reports/PaymentSummary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallivo::test {

// Thai words in the payment file's single-byte code page.
inline const std::string kThaiName = "\xca\xc1\xca\xd8\xb7\xb8\xd4\xec \xe3\xa8\xb4\xd5";  // a given name and family name
inline const std::string kThaiName2 = "\xbb\xc3\xd0\xe0\xca\xc3\xd4\xb0 \xc7\xa7\xc8\xec"; // another

struct NullTables : ReportTableWriter
{
    void EmptyReportTables() override {}
    void AppendDetailRow(const DetailRow& row) override
    {
        rows.push_back(row.Product + "|" + row.CreditAmount + "|" + row.TotalInvoidAmount + "|" + row.TotalWHTAmount +
                       "|" + row.DeliveryMode + "|" + row.PickupLocation + "|" + row.VATAmount);
    }
    std::vector<std::string> rows;
};

// Everything a check and a summary of a file show, but the account and payee name cells.
struct Examined
{
    std::vector<std::string> findings; // record type|line|columns|field|message
    std::string passError;
    std::vector<std::uint64_t> unknownTypeLines;
    std::vector<std::uint64_t> wrongLengthLines;
    std::vector<std::string> summary;
    std::string summaryError;
    std::vector<std::string> detailRows;
    std::vector<std::string> strictFindings;
    bool dataValid = false;

    bool operator==(const Examined&) const = default;
};

inline Examined Examine(const std::string& bytes)
{
    TempFolder dir;
    const std::string path = dir.Write("pay.txt", bytes);
    Examined e;
    FixedClock clock(kToday);
    CheckSession s;
    s.clock = &clock;
    try {
        ValidatePaymentFile(s, path);
    } catch (const AppError& error) {
        e.passError = error.message();
    }
    e.dataValid = s.ctx.dataValid;
    for (std::size_t r = 1; r + 1 < s.grid.RowCount(); ++r) {
        std::string row;
        for (std::size_t c = 1; c <= 5; ++c)
            row.append(s.grid.Cell(c, r)).append("|");
        e.findings.push_back(row);
    }
    const StructureScan scan = ScanStructure(path);
    e.unknownTypeLines = scan.unknownTypeLines;
    for (const auto& [type, line] : scan.wrongLengths)
        e.wrongLengthLines.push_back(line);
    ResultGrid grid;
    SetUpSummaryLayout(grid);
    NullTables tables;
    try {
        WritePaymentSummary(grid, path, s.ctx.currentProduct, tables);
    } catch (const AppError& error) {
        e.summaryError = error.message();
    }
    for (std::size_t r = 1; r < grid.RowCount(); ++r)
        for (std::size_t c = 1; c < grid.ColCount(); ++c)
            e.summary.emplace_back(grid.Cell(c, r));
    e.detailRows = tables.rows;
    for (const StrictFinding& f : FindStrictFindings(path))
        e.strictFindings.push_back(f.recordType + "|" + std::to_string(f.line) + "|" + f.message);
    return e;
}

// A file with an identifying value in every field that holds one and text in columns no
// field names, each of them listed in secrets.
struct IdentifyingFile
{
    Rec header = ValidHeader().Set("65-96", "HEADER NOTE SECRET-H");
    Rec debit = ValidDebit("DCP").Set(Debit::Account, "2222222228").Set(Debit::FeeAccount, "4444444446");
    Rec credit = WithWht(ValidCredit("DCP"))
                     .Set(Credit::Account, "3333333332")
                     .Set(Credit::WhtRemark, "REMARK FOR SOMCHAI")
                     .Set(Credit::ChequeReference, "CHQREF-778899")
                     .Set(Credit::InvoicePresent, "Y")
                     .Set(Credit::InvoiceCount, "000001")
                     .Set(Credit::TotalInvoiceAmount, "0000000000100000")
                     .Set("72-85", "UNNAMED72SECRT")
                     .Set("286-335", "99 SUKHUMVIT ROAD KLONGTOEY BANGKOK");
    Rec payee = ValidPayee()
                    .Set(Payee::IdNumber, "3100700123456")
                    .Set(Payee::NameThai, kThaiName)
                    .Set(Payee::TaxId, "0105551234")
                    .Set(Payee::NameEnglish, "SOMCHAI JAIDEE")
                    .Set(Payee::FaxNumber, "0298765432")
                    .Set(Payee::Payee2NameThai, kThaiName2)
                    .Set("133-342", "123 MOO 4 TAMBON SECRET AMPHOE")
                    .Set("433-506", "somchai@example.invalid")
                    .Set("607-816", "ATTN KHUN SOMCHAI");
    Rec wht = ValidWht().Set(Wht::IncomeDescription, "CONSULTING FOR SOMCHAI");
    Rec invoice = ValidInvoice().Set(Invoice::Number, "INV2024SECRET").Set("63-147", "INVOICE DESCRIPTION SECRET");
    Rec debitB = ValidDebit("MCL").Set(Debit::Account, "5555555550").Set(Debit::FeeDebitAccount, "987654321098765");
    Rec creditB = ValidCredit("MCL").Set(Credit::Account, "8765432109876");
    Rec batch = ValidDirectDebitBatch()
                    .Set(DirectDebitBatch::CreditAccount, "6666666666")
                    .Set(DirectDebitBatch::CreditAccount2, "7777777778")
                    .Set("50-58", "BATCHNOTE");
    Rec item = ValidDirectDebitItem().Set(DirectDebitItem::Account, "1212121212").Set("46-200", "ITEM PAYER SECRET");
    Rec trailer = ValidTrailer("000002", "000002", "0000000002000000");

    std::vector<std::string> secrets = {"SECRET",        "2222222228",     "4444444446",   "3333333332",
                                        "SOMCHAI",       "CHQREF-778899",  "3100700123456", kThaiName,
                                        "0105551234", "0298765432",     kThaiName2,     "SUKHUMVIT",
                                        "INV2024SECRET", "987654321098765", "8765432109876", "6666666666",
                                        "7777777778",    "1212121212",     "BATCHNOTE",    "example.invalid",
                                        "UNNAMED72"};

    std::string Bytes() const
    {
        return FileOf({header, debit, credit, payee, wht, invoice, debitB, creditB, payee, batch, item, trailer});
    }
};

} // namespace tallivo::test
