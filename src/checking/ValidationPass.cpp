// The validation pass: reads the payment file line by line, hands every line to the
// check of its record type and compares what no single record can: a debit record's
// amount with its credit records, a credit record's declared WHT total, WHT count and
// invoice count with the records after it, the WHT income types under one credit, and
// the last debit record's number of credits.
#include "checking/ValidationPass.h"

#include "checking/AccountRowStore.h"
#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/HeaderLayout.h"
#include "format/PaymentFileReader.h"
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "format/RecordTypes.h"
#include "format/WhtLayout.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <exception>

namespace tallivo {

namespace {

// The WHT income type codes that may appear once under a credit record; "6" may appear three times.
constexpr std::array<std::string_view, 12> kOnceIncomeTypes = {"1",     "2",     "3",     "4a",  "4b",  "4b1.1",
                                                               "4b1.2", "4b1.3", "4b1.4", "4b2", "4b3", "5"};
constexpr std::string_view kIncomeTypeSix = "6";
constexpr int kMaxWhtRecordsPerCredit = 5;
constexpr int kMaxIncomeTypeSix = 3;

constexpr std::uint32_t Code(std::string_view code)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2]));
}

class DecimalText
{
public:
    explicit DecimalText(std::int64_t n)
    {
        m_length = static_cast<std::size_t>(std::to_chars(m_text, m_text + sizeof m_text, n).ptr - m_text);
    }
    std::string_view View() const { return {m_text, m_length}; }

private:
    char m_text[24];
    std::size_t m_length = 0;
};

// Writes the table row through when the pass ends, also when an error ends it.
class AccountRowFlush
{
public:
    explicit AccountRowFlush(AccountRowStore* store) : m_store(store) {}
    ~AccountRowFlush() noexcept(false)
    {
        if (m_store == nullptr)
            return;
        if (std::uncaught_exceptions() > m_uncaught) {
            try {
                m_store->Flush();
            } catch (...) {
                // The error that ends the pass is the one the user sees.
            }
        } else {
            m_store->Flush();
        }
    }
    AccountRowFlush(const AccountRowFlush&) = delete;
    AccountRowFlush& operator=(const AccountRowFlush&) = delete;

private:
    AccountRowStore* m_store;
    int m_uncaught = std::uncaught_exceptions();
};

class Pass
{
public:
    explicit Pass(CheckSession& s) : m_s(s), m_c(s.ctx) {}

    // Resets the pass-wide values and the grid.
    void Start();
    // Checks every line of the source.
    void Run(LineSource& lines);

private:
    // Cross-record findings: dataValid := false, a row without account cells, FlagInvalidData.
    void Report(std::string_view recordType, std::string_view line, const Field& field, std::string_view message)
    {
        m_c.dataValid = false;
        m_s.AddError(recordType, line, field.columns, field.name, message);
        m_s.FlagInvalidData();
    }
    void CompareDebitAmount()
    {
        if (m_c.debitAmount != m_c.creditAmountSum)
            Report(RecordCode::Debit, DecimalText(m_c.debitLine).View(), Debit::Amount,
                   "Debit amount does not match with credit detail");
    }
    void CompareWhtTotal()
    {
        if (m_c.whtAmountSum != m_c.totalWhtAmount)
            Report(RecordCode::Credit, DecimalText(m_c.creditLine).View(), Credit::TotalWhtAmount,
                   "Total WHT Amount does not match with WHT detail");
    }
    void CheckInvoiceCount()
    {
        if (m_c.declaredInvoiceCount != m_c.invoiceCount)
            Report(RecordCode::Credit, DecimalText(m_c.creditLine).View(), Credit::InvoiceCountCompared,
                   "No. of Invoice does not match with Total Invoice");
        m_c.invoiceCount = 0;
        m_c.declaredInvoiceCount = 0;
        m_creditSeen = true;
    }
    void ResetIncomeTypes()
    {
        m_incomeTypeCounts.fill(0);
        m_incomeTypeSixCount = 0;
        m_whtRecordsInCredit = 0;
        m_distinctIncomeTypes = 0;
    }

    void OnHeader(std::string_view line, int lineNo);
    void OnDebit(std::string_view line, int lineNo);
    void OnCredit(std::string_view line, int lineNo);
    void OnWht(std::string_view line, int lineNo);
    void OnInvoice(std::string_view line, int lineNo);
    void OnDirectDebitBatch(std::string_view line, int lineNo);
    void OnTrailer(std::string_view line, int lineNo);

    CheckSession& m_s;
    CheckContext& m_c;

    // Pass-local values.
    bool m_creditSeen = false; // a credit or trailer record was met: arms the invoice count check
    int m_whtRecordsInCredit = 0;
    std::array<int, kOnceIncomeTypes.size()> m_incomeTypeCounts{};
    int m_incomeTypeSixCount = 0;
    int m_distinctIncomeTypes = 0;
    // The line the credit count finding names: the last debit record met in this pass,
    // or the trailer when the pass met none.
    int m_lastDebitLine = 0;
    int m_trailerLine = 0;
};

void Pass::OnHeader(std::string_view line, int lineNo)
{
    CheckHeaderRecord(m_s, line, lineNo);
    m_c.companyId = Trim(Fields(line)[Header::CompanyId]);
}

void Pass::OnDebit(std::string_view line, int lineNo)
{
    const Fields f(line);
    m_c.creditsUnderDebit = 0;
    m_c.currentProduct = f[Debit::ProductCode];
    ++m_c.debitCount;
    m_lastDebitLine = lineNo;
    CompareDebitAmount(); // closes the previous debit record
    CheckDebitRecord(m_s, line, lineNo, m_c.currentProduct);
    m_c.declaredCreditCount = StrToInt(f[Debit::CreditCount]);
    m_c.creditAmountSum = 0;
}

void Pass::OnCredit(std::string_view line, int lineNo)
{
    ++m_c.creditCount;
    CompareWhtTotal(); // closes the previous credit record
    if (m_creditSeen)
        CheckInvoiceCount();
    m_creditSeen = true;
    m_c.whtCount = 0;
    m_c.declaredWhtCount = 0;
    CheckCreditRecord(m_s, line, lineNo, m_c.currentProduct);
    m_c.whtAmountSum = 0;
    ++m_c.creditsUnderDebit;
    m_c.declaredWhtCount = StrToInt(m_c.declaredWhtCountText);
    m_c.declaredInvoiceCount = StrToInt(m_c.declaredInvoiceCountText);
    ResetIncomeTypes();
}

void Pass::OnWht(std::string_view line, int lineNo)
{
    ++m_c.whtCount;
    m_c.invoiceCount = 0;
    ++m_whtRecordsInCredit;
    const DecimalText lineText(lineNo);
    if (m_whtRecordsInCredit > kMaxWhtRecordsPerCredit)
        Report(RecordCode::Wht, lineText.View(), Wht::IncomeType, "Witholding Tax Number should not be more five");
    const std::string_view type = Trim(Fields(line)[Wht::IncomeType]);
    for (std::size_t i = 0; i < kOnceIncomeTypes.size(); ++i) {
        if (type != kOnceIncomeTypes[i])
            continue;
        const int count = ++m_incomeTypeCounts[i];
        if (count == 2)
            Report(RecordCode::Wht, lineText.View(), Wht::IncomeType,
                   "should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3");
        if (count == 1)
            ++m_distinctIncomeTypes;
    }
    if (type == kIncomeTypeSix) {
        const int count = ++m_incomeTypeSixCount;
        if (count > kMaxIncomeTypeSix) {
            Report(RecordCode::Wht, lineText.View(), Wht::IncomeType, "Type 6 should not be more than three ");
            ++m_distinctIncomeTypes;
        }
        if (count == 1)
            ++m_distinctIncomeTypes;
    }
    CheckWhtRecord(m_s, line, lineNo, m_distinctIncomeTypes, m_c.currentProduct);
}

void Pass::OnInvoice(std::string_view line, int lineNo)
{
    // The WHT count of a credit record is compared once, at its first invoice record.
    if (m_c.declaredWhtCount != m_c.whtCount && m_c.invoiceCount == 0)
        Report(RecordCode::Credit, DecimalText(m_c.creditLine).View(), Credit::WhtCountCompared,
               "No. of Withoding Tax does not match with Total Withoding Tax");
    ++m_c.invoiceCount;
    CheckInvoiceRecord(m_s, line, lineNo, m_c.currentProduct);
}

void Pass::OnDirectDebitBatch(std::string_view line, int lineNo)
{
    m_c.currentProduct = Fields(line)[DirectDebitBatch::ProductCode];
    CheckDirectDebitBatchRecord(m_s, line, lineNo);
}

void Pass::OnTrailer(std::string_view line, int lineNo)
{
    m_trailerLine = lineNo;
    CompareDebitAmount(); // closes the last debit record
    CompareWhtTotal();    // closes the last credit record
    CheckTrailerRecord(m_s, line, lineNo);
    m_c.whtAmountSum = 0;
    m_c.creditAmountSum = 0;
    m_c.trailerSeen = true;
    CheckInvoiceCount(); // closes the last credit record, whether or not one was met
}

void Pass::Start()
{
    m_c.dataValid = true;
    m_c.debitAmount = 0;
    m_c.totalWhtAmount = 0;
    m_c.debitAmountTotal = 0;
    m_c.debitCount = 0;
    m_c.creditCount = 0;
    m_c.creditsUnderDebit = 0;
    m_c.whtCount = 0;
    m_c.invoiceCount = 0;
    m_c.declaredCreditCount = 0;
    m_c.trailerSeen = false;

    m_s.ResetErrorGrid();
    m_s.SetUpErrorLayout();
}

void Pass::Run(LineSource& lines)
{
    PaymentLine paymentLine;
    int lineNo = 0;
    while (lines.Next(paymentLine)) {
        ++lineNo;
        m_s.passLine = lines.LineNumber();
        const std::string_view line = paymentLine.text;
        if (line.size() >= kRecordCodeWidth) {
            switch (Code(line)) {
            case Code(RecordCode::Header): OnHeader(line, lineNo); break;
            case Code(RecordCode::Debit): OnDebit(line, lineNo); break;
            case Code(RecordCode::Credit): OnCredit(line, lineNo); break;
            case Code(RecordCode::Payee): CheckPayeeRecord(m_s, line, lineNo, m_c.currentProduct); break;
            case Code(RecordCode::Wht): OnWht(line, lineNo); break;
            case Code(RecordCode::Invoice): OnInvoice(line, lineNo); break;
            case Code(RecordCode::DirectDebitBatch): OnDirectDebitBatch(line, lineNo); break;
            case Code(RecordCode::DirectDebitItem): CheckDirectDebitItemRecord(m_s, line, lineNo); break;
            case Code(RecordCode::Trailer): OnTrailer(line, lineNo); break;
            default: break; // read and counted, not checked
            }
        }
        if (m_c.trailerSeen && m_c.creditsUnderDebit != m_c.declaredCreditCount)
            Report(RecordCode::Debit, DecimalText(m_lastDebitLine != 0 ? m_lastDebitLine : m_trailerLine).View(),
                   Debit::CreditCountCompared, "No. of Credit does not match with Total Credit Detail");
    }
    m_s.passLine = 0;
}

} // namespace

void ValidatePaymentFile(CheckSession& s, const std::string& path, LineForm form)
{
    Pass pass(s);
    pass.Start();
    const AccountRowFlush flush(s.accountRow);
    PaymentFileReader reader(path, form);
    pass.Run(reader);
}

void RunValidationPass(CheckSession& s, LineSource& lines)
{
    Pass pass(s);
    pass.Start();
    pass.Run(lines);
}

} // namespace tallivo
