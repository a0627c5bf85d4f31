// The validation pass: reads the payment file line by line, hands every line to the
// check of its record type and compares what no single record can: a debit record's
// amount with its credit records, a credit record's declared WHT total, WHT count and
// invoice count with the records after it, the WHT income types under one credit, and
// the last debit record's number of credits.
#include "checking/ValidationPass.h"

#include "checking/AccountRowStore.h"
#include "format/PaymentFileReader.h"
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "format/RecordTypes.h"

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
    Pass(CheckSession& s, const RecordCheckSet& checks) : m_s(s), m_c(s.ctx), m_checks(checks) {}

    void Run(const std::string& path);

private:
    // Cross-record findings: DataValid := false, a row without account cells, FlagInvalidData.
    void Report(std::string_view recordType, std::string_view line, std::string_view columns,
                std::string_view fieldName, std::string_view message)
    {
        m_c.DataValid = false;
        m_s.AddError(recordType, line, columns, fieldName, message);
        m_s.FlagInvalidData();
    }
    void CompareDebitAmount()
    {
        if (m_c.DebitAmount != m_c.CreditAmountSum)
            Report("002", DecimalText(m_c.DebitLine).View(), "49-64", "Debit Amount",
                   "Debit amount does not match with credit detail");
    }
    void CompareWhtTotal()
    {
        if (m_c.WhtAmountSum != m_c.TotalWhtAmount)
            Report("003", DecimalText(m_c.CreditLine).View(), "94-109", "Total WHT Amount",
                   "Total WHT Amount does not match with WHT detail");
    }
    void CheckInvoiceCount()
    {
        if (m_c.DeclaredInvoiceCount != m_c.InvoiceCount)
            Report("003", DecimalText(m_c.CreditLine).View(), "110-115", "No of Invoice Detail",
                   "No. of Invoice does not match with Total Invoice");
        m_c.InvoiceCount = 0;
        m_c.DeclaredInvoiceCount = 0;
        m_creditSeen = true;
    }
    void ResetIncomeTypes()
    {
        m_incomeTypeCounts.fill(0);
        m_incomeTypeSixCount = 0;
        m_whtRecordsInCredit = 0;
        m_distinctIncomeTypes = 0;
    }

    void Header(std::string_view line, int lineNo);
    void Debit(std::string_view line, int lineNo);
    void Credit(std::string_view line, int lineNo);
    void Wht(std::string_view line, int lineNo);
    void Invoice(std::string_view line, int lineNo);
    void Trailer(std::string_view line, int lineNo);

    CheckSession& m_s;
    CheckContext& m_c;
    const RecordCheckSet& m_checks;

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

void Pass::Header(std::string_view line, int lineNo)
{
    m_checks.header(m_s, line, lineNo);
    m_c.CompanyId = Trim(Columns(line, 4, 15));
}

void Pass::Debit(std::string_view line, int lineNo)
{
    m_c.CreditsUnderDebit = 0;
    m_c.CurrentProduct = Columns(line, 4, 6);
    ++m_c.DebitCount;
    m_lastDebitLine = lineNo;
    CompareDebitAmount(); // closes the previous debit record
    m_checks.debit(m_s, line, lineNo, m_c.CurrentProduct);
    m_c.DeclaredCreditCount = StrToInt(Columns(line, 73, 78));
    m_c.CreditAmountSum = 0;
}

void Pass::Credit(std::string_view line, int lineNo)
{
    ++m_c.CreditCount;
    CompareWhtTotal(); // closes the previous credit record
    if (m_creditSeen)
        CheckInvoiceCount();
    m_creditSeen = true;
    m_c.WhtCount = 0;
    m_c.DeclaredWhtCount = 0;
    m_checks.credit(m_s, line, lineNo, m_c.CurrentProduct);
    m_c.WhtAmountSum = 0;
    ++m_c.CreditsUnderDebit;
    m_c.DeclaredWhtCount = StrToInt(m_c.DeclaredWhtCountText);
    m_c.DeclaredInvoiceCount = StrToInt(m_c.DeclaredInvoiceCountText);
    ResetIncomeTypes();
}

void Pass::Wht(std::string_view line, int lineNo)
{
    ++m_c.WhtCount;
    m_c.InvoiceCount = 0;
    ++m_whtRecordsInCredit;
    const DecimalText lineText(lineNo);
    if (m_whtRecordsInCredit > kMaxWhtRecordsPerCredit)
        Report("005", lineText.View(), "36-40", "WHT Income Type", "Witholding Tax Number should not be more five");
    const std::string_view type = Trim(Columns(line, 36, 40));
    for (std::size_t i = 0; i < kOnceIncomeTypes.size(); ++i) {
        if (type != kOnceIncomeTypes[i])
            continue;
        const int count = ++m_incomeTypeCounts[i];
        if (count == 2)
            Report("005", lineText.View(), "36-40", "WHT Income Type",
                   "should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3");
        if (count == 1)
            ++m_distinctIncomeTypes;
    }
    if (type == kIncomeTypeSix) {
        const int count = ++m_incomeTypeSixCount;
        if (count > kMaxIncomeTypeSix) {
            Report("005", lineText.View(), "36-40", "WHT Income Type", "Type 6 should not be more than three ");
            ++m_distinctIncomeTypes;
        }
        if (count == 1)
            ++m_distinctIncomeTypes;
    }
    m_checks.wht(m_s, line, lineNo, m_distinctIncomeTypes, m_c.CurrentProduct);
}

void Pass::Invoice(std::string_view line, int lineNo)
{
    // The WHT count of a credit record is compared once, at its first invoice record.
    if (m_c.DeclaredWhtCount != m_c.WhtCount && m_c.InvoiceCount == 0)
        Report("003", DecimalText(m_c.CreditLine).View(), "92-93", "No of WHT Detail",
               "No. of Withoding Tax does not match with Total Withoding Tax");
    ++m_c.InvoiceCount;
    m_checks.invoice(m_s, line, lineNo, m_c.CurrentProduct);
}

void Pass::Trailer(std::string_view line, int lineNo)
{
    m_trailerLine = lineNo;
    CompareDebitAmount(); // closes the last debit record
    CompareWhtTotal();    // closes the last credit record
    m_checks.trailer(m_s, line, lineNo);
    m_c.WhtAmountSum = 0;
    m_c.CreditAmountSum = 0;
    m_c.TrailerSeen = true;
    CheckInvoiceCount(); // closes the last credit record, whether or not one was met
}

void Pass::Run(const std::string& path)
{
    m_c.DataValid = true;
    m_c.DebitAmount = 0;
    m_c.TotalWhtAmount = 0;
    m_c.DebitAmountTotal = 0;
    m_c.DebitCount = 0;
    m_c.CreditCount = 0;
    m_c.CreditsUnderDebit = 0;
    m_c.WhtCount = 0;
    m_c.InvoiceCount = 0;
    m_c.DeclaredCreditCount = 0;
    m_c.TrailerSeen = false;

    m_s.ResetErrorGrid();
    m_s.SetUpErrorLayout();

    const AccountRowFlush flush(m_s.accountRow);
    PaymentFileReader reader(path);
    PaymentLine paymentLine;
    int lineNo = 0;
    while (reader.Next(paymentLine)) {
        ++lineNo;
        m_s.passLine = reader.LineNumber();
        const std::string_view line = paymentLine.text;
        if (line.size() >= 3) {
            switch (Code(line)) {
            case Code("001"): Header(line, lineNo); break;
            case Code("002"): Debit(line, lineNo); break;
            case Code("003"): Credit(line, lineNo); break;
            case Code("004"): m_checks.payee(m_s, line, lineNo, m_c.CurrentProduct); break;
            case Code("005"): Wht(line, lineNo); break;
            case Code("006"): Invoice(line, lineNo); break;
            case Code("007"):
                m_c.CurrentProduct = Columns(line, 4, 6);
                m_checks.directDebitBatch(m_s, line, lineNo);
                break;
            case Code("008"): m_checks.directDebitItem(m_s, line, lineNo); break;
            case Code("999"): Trailer(line, lineNo); break;
            default: break; // read and counted, not checked
            }
        }
        if (m_c.TrailerSeen && m_c.CreditsUnderDebit != m_c.DeclaredCreditCount)
            Report("002", DecimalText(m_lastDebitLine != 0 ? m_lastDebitLine : m_trailerLine).View(), "73-78",
                   "No.of Credit", "No. of Credit does not match with Total Credit Detail");
    }
    m_s.passLine = 0;
}

} // namespace

const RecordCheckSet& StandardRecordChecks()
{
    static const RecordCheckSet checks{CheckHeaderRecord,          CheckDebitRecord,           CheckCreditRecord,
                                       CheckPayeeRecord,           CheckWhtRecord,             CheckInvoiceRecord,
                                       CheckDirectDebitBatchRecord, CheckDirectDebitItemRecord, CheckTrailerRecord};
    return checks;
}

void ValidatePaymentFile(CheckSession& s, const std::string& path, const RecordCheckSet& checks)
{
    Pass(s, checks).Run(path);
}

void ValidatePaymentFile(CheckSession& s, const std::string& path)
{
    ValidatePaymentFile(s, path, StandardRecordChecks());
}

} // namespace tallivo
