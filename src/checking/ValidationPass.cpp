// The validation pass: reads the payment file line by line, hands every line to the
// check of its record type and compares what no single record can: a debit record's
// amount with its credit records, a credit record's declared WHT total, WHT count and
// invoice count with the records after it, the WHT income types under one credit, and
// the last debit record's number of credits.
#include "checking/ValidationPass.h"

#include "checking/AccountRowStore.h"
#include "common/AppError.h"
#include "common/WorkAhead.h"
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
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// The pass's own values, carried from line to line.
struct PassLocals
{
    bool creditSeen = false; // a credit or trailer record was met: arms the invoice count check
    int whtRecordsInCredit = 0;
    std::array<int, kOnceIncomeTypes.size()> incomeTypeCounts{};
    int incomeTypeSixCount = 0;
    int distinctIncomeTypes = 0;
    // The line the credit count finding names: the last debit record met in this pass,
    // or the trailer when the pass met none.
    int lastDebitLine = 0;
    int trailerLine = 0;

    bool operator==(const PassLocals&) const = default;
};

// What the pass carries from line to line: the check context and its own values.
struct PassState
{
    CheckContext ctx;
    PassLocals locals;

    bool operator==(const PassState&) const = default;
};

class Pass
{
public:
    explicit Pass(CheckSession& s) : m_s(s), m_c(s.ctx) {}

    // Resets the pass-wide values and the grid.
    void Start();
    // Checks every line of the source.
    void Run(LineSource& lines);
    // Checks the lines of the source, numbered after the given number of lines before them.
    void RunAfter(LineSource& lines, std::uint64_t before);
    // Checks one line: its record's check and the rules across records.
    void Line(std::string_view line, int lineNo);
    // The same for a line of the file the session's pass goes through, which it notes.
    void LineOfFile(std::string_view line, std::uint64_t number)
    {
        m_s.passLine = number;
        Line(line, static_cast<int>(number));
    }

    PassState State() const { return {m_c, m_own}; }
    void Adopt(const PassState& state)
    {
        m_c = state.ctx;
        m_own = state.locals;
    }

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
        m_own.creditSeen = true;
    }
    void ResetIncomeTypes()
    {
        m_own.incomeTypeCounts.fill(0);
        m_own.incomeTypeSixCount = 0;
        m_own.whtRecordsInCredit = 0;
        m_own.distinctIncomeTypes = 0;
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

    PassLocals m_own;
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
    m_own.lastDebitLine = lineNo;
    CompareDebitAmount(); // closes the previous debit record
    CheckDebitRecord(m_s, line, lineNo, m_c.currentProduct);
    m_c.declaredCreditCount = StrToInt(f[Debit::CreditCount]);
    m_c.creditAmountSum = 0;
}

void Pass::OnCredit(std::string_view line, int lineNo)
{
    ++m_c.creditCount;
    CompareWhtTotal(); // closes the previous credit record
    if (m_own.creditSeen)
        CheckInvoiceCount();
    m_own.creditSeen = true;
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
    ++m_own.whtRecordsInCredit;
    const DecimalText lineText(lineNo);
    if (m_own.whtRecordsInCredit > kMaxWhtRecordsPerCredit)
        Report(RecordCode::Wht, lineText.View(), Wht::IncomeType, "Witholding Tax Number should not be more five");
    const std::string_view type = Trim(Fields(line)[Wht::IncomeType]);
    for (std::size_t i = 0; i < kOnceIncomeTypes.size(); ++i) {
        if (type != kOnceIncomeTypes[i])
            continue;
        const int count = ++m_own.incomeTypeCounts[i];
        if (count == 2)
            Report(RecordCode::Wht, lineText.View(), Wht::IncomeType,
                   "should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3");
        if (count == 1)
            ++m_own.distinctIncomeTypes;
    }
    if (type == kIncomeTypeSix) {
        const int count = ++m_own.incomeTypeSixCount;
        if (count > kMaxIncomeTypeSix) {
            Report(RecordCode::Wht, lineText.View(), Wht::IncomeType, "Type 6 should not be more than three ");
            ++m_own.distinctIncomeTypes;
        }
        if (count == 1)
            ++m_own.distinctIncomeTypes;
    }
    CheckWhtRecord(m_s, line, lineNo, m_own.distinctIncomeTypes, m_c.currentProduct);
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
    m_own.trailerLine = lineNo;
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
    RunAfter(lines, 0);
    m_s.passLine = 0;
}

void Pass::RunAfter(LineSource& lines, std::uint64_t before)
{
    PaymentLine paymentLine;
    while (lines.Next(paymentLine))
        LineOfFile(paymentLine.text, before + lines.LineNumber());
}

void Pass::Line(std::string_view line, int lineNo)
{
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
        Report(RecordCode::Debit,
               DecimalText(m_own.lastDebitLine != 0 ? m_own.lastDebitLine : m_own.trailerLine).View(),
               Debit::CreditCountCompared, "No. of Credit does not match with Total Credit Detail");
}

// ---- The pass over a file read as two parts at once ----
//
// The second part is checked ahead, on a thread of its own, from blank values. Its lines
// up to its first credit record (the prefix) are copied: the pass of the first part checks
// them again on the values it carries, since the rules across records reach back over
// them. From that credit record on, the values of both runs agree unless a record before
// it left one unset; then the second part's findings are taken as they are, their lines
// renumbered, and the sums and counts the trailer compares are carried on. The trailer
// and what follows it, and a second part whose values did not agree, are checked on the
// first part's thread.

constexpr std::size_t kMostPrefixLines = 1000;  // a part without a credit record early on is checked in order
constexpr std::size_t kMostDebitsAhead = 1 << 16; // the debit amounts kept to sum again

// The addAccBatchError row of the run ahead, and what it did to the row after the sync.
struct NotingAccountRow : MemoryAccountRow
{
    void StartRow(std::string_view a) override
    {
        MemoryAccountRow::StartRow(a);
        started = noting;
        namesSet = false;
    }
    void SetNames(std::string_view en, std::string_view th) override
    {
        MemoryAccountRow::SetNames(en, th);
        namesSet = noting;
    }
    bool noting = false;   // after the sync
    bool started = false;  // a row was started after the sync
    bool namesSet = false; // names were set after the sync and the row's last start
};

// Written line by line on the thread that runs ahead: kept apart, on cache lines of its
// own, from what the other thread writes as often.
struct alignas(128) PartAhead
{
    CheckSession session;
    NotingAccountRow row;
    std::vector<std::string> prefix; // copied lines, up to and with the first credit record
    bool synced = false;             // the first credit record was checked: results follow
    bool usable = false;             // the results from the sync to linesTaken hold
    PassState atSync;
    std::size_t rowsAtSync = 0;      // the grid's row count at the sync
    PassState atEnd;
    bool headerAfterSync = false;
    std::vector<long double> debitsAfterSync;
    std::uint64_t linesTaken = 0;    // lines taken from the part, the resume line among them
    std::optional<std::string> resume; // the last line taken, not checked
};

void RunAhead(PartAhead& a, LineSource& lines, const Clock* clock, const StopToken& stop)
{
    a.session.clock = clock;
    a.session.accountRow = &a.row;
    Pass pass(a.session);
    pass.Start();
    PaymentLine line;
    std::uint64_t n = 0;
    try {
        while (!stop.StopRequested() && lines.Next(line)) {
            ++n;
            const std::string_view text = line.text;
            if (!a.synced) {
                a.prefix.emplace_back(text);
                a.linesTaken = n;
                pass.Line(text, static_cast<int>(n));
                if (CodeOf(text) == RecordCode::Credit) {
                    a.synced = true;
                    a.atSync = pass.State();
                    a.rowsAtSync = a.session.grid.RowCount();
                    a.session.ctx.dataValid = true;
                    a.session.hasFindingsToSave = false;
                    a.session.debitTotalLog = &a.debitsAfterSync;
                    a.row.noting = true;
                } else if (a.prefix.size() >= kMostPrefixLines) {
                    return;
                }
                continue;
            }
            if (CodeOf(text) == RecordCode::Trailer || a.debitsAfterSync.size() >= kMostDebitsAhead) {
                a.resume.emplace(text);
                break;
            }
            if (CodeOf(text) == RecordCode::Header)
                a.headerAfterSync = true;
            pass.Line(text, static_cast<int>(n));
        }
        a.linesTaken = n;
        a.atEnd = pass.State();
        a.usable = a.synced;
    } catch (const AppError&) {
        // Checked again in order: the error, and the values it left, are the first part's business.
        a.usable = false;
    }
}

int Shifted(int line, std::uint64_t by)
{
    return line == 0 ? 0 : static_cast<int>(static_cast<std::uint64_t>(line) + by);
}

// The run ahead's values at its sync are those the true pass has there, but for what the
// records before it summed and counted, and line numbers counted from the part's start.
bool AgreeAtSync(PassState truth, PassState ahead, std::uint64_t offset)
{
    ahead.ctx.debitLine = Shifted(ahead.ctx.debitLine, offset);
    ahead.ctx.creditLine = Shifted(ahead.ctx.creditLine, offset);
    ahead.locals.lastDebitLine = Shifted(ahead.locals.lastDebitLine, offset);
    ahead.ctx.dataValid = truth.ctx.dataValid;
    ahead.ctx.debitAmountTotal = truth.ctx.debitAmountTotal;
    ahead.ctx.debitCount = truth.ctx.debitCount;
    ahead.ctx.creditCount = truth.ctx.creditCount;
    ahead.ctx.invalidAccountCount = truth.ctx.invalidAccountCount;
    ahead.ctx.companyId = truth.ctx.companyId;
    return ahead == truth;
}

// The values after the run ahead's last line, on the true values at its sync.
PassState Joined(const PassState& truth, const PartAhead& a, std::uint64_t offset)
{
    PassState joined = a.atEnd;
    CheckContext& c = joined.ctx;
    c.debitLine = Shifted(c.debitLine, offset);
    c.creditLine = Shifted(c.creditLine, offset);
    joined.locals.lastDebitLine = Shifted(joined.locals.lastDebitLine, offset);
    joined.locals.trailerLine = truth.locals.trailerLine;
    c.dataValid = truth.ctx.dataValid && a.atEnd.ctx.dataValid;
    c.debitCount = truth.ctx.debitCount + (a.atEnd.ctx.debitCount - a.atSync.ctx.debitCount);
    c.creditCount = truth.ctx.creditCount + (a.atEnd.ctx.creditCount - a.atSync.ctx.creditCount);
    c.invalidAccountCount =
        truth.ctx.invalidAccountCount + (a.atEnd.ctx.invalidAccountCount - a.atSync.ctx.invalidAccountCount);
    c.debitAmountTotal = truth.ctx.debitAmountTotal;
    for (const long double value : a.debitsAfterSync)
        c.debitAmountTotal = static_cast<double>(c.debitAmountTotal + value);
    if (!a.headerAfterSync)
        c.companyId = truth.ctx.companyId;
    return joined;
}

// The run ahead's findings after its sync, their lines counted from the file's start.
void TakeRows(CheckSession& s, const PartAhead& a, std::uint64_t offset)
{
    constexpr std::size_t kLineColumn = 2;
    const ResultGrid& rows = a.session.grid;
    for (std::size_t r = a.rowsAtSync - 1; r + 1 < rows.RowCount(); ++r) {
        const std::string_view text = rows.Cell(kLineColumn, r);
        int line = 0;
        std::from_chars(text.data(), text.data() + text.size(), line);
        s.grid.AppendRowFrom(rows, r, kLineColumn, DecimalText(Shifted(line, offset)).View());
    }
    if (a.session.hasFindingsToSave)
        s.FlagInvalidData();
    if (s.accountRow != nullptr) {
        if (a.row.started)
            s.accountRow->StartRow(a.row.account);
        if (a.row.namesSet)
            s.accountRow->SetNames(a.row.nameEn, a.row.nameTh);
    }
}

// The second part on the first part's values, from what the run ahead left.
void JoinPart(Pass& pass, CheckSession& s, PartAhead& a, const SecondPart& second, std::uint64_t offset)
{
    std::uint64_t n = 0;
    for (const std::string& line : a.prefix)
        pass.LineOfFile(line, offset + ++n);
    if (a.synced) {
        if (a.usable && AgreeAtSync(pass.State(), a.atSync, offset)) {
            const PassState truth = pass.State();
            TakeRows(s, a, offset);
            pass.Adopt(Joined(truth, a, offset));
            if (a.resume)
                pass.LineOfFile(*a.resume, offset + a.linesTaken);
        } else {
            // Checked again in order from the sync, on a read of its own.
            const std::unique_ptr<LineSource> again = second.again();
            PaymentLine skipped;
            for (std::uint64_t i = 0; i < n && again->Next(skipped); ++i) {
            }
            pass.RunAfter(*again, offset);
            return;
        }
    }
    pass.RunAfter(second.lines, offset);
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

void RunValidationPassInParts(CheckSession& s, LineSource& first, const SecondPart& second)
{
    Pass pass(s);
    pass.Start();
    const auto ahead = std::make_unique<PartAhead>();
    WorkAhead<void> runAhead(
        [&a = *ahead, &second, clock = s.clock](const StopToken& stop) { RunAhead(a, second.lines, clock, stop); });
    pass.Run(first);
    const std::uint64_t offset = first.LineNumber();
    if (second.follows()) { // else the run ahead is dropped: its lines are not of the text
        runAhead.Take();
        JoinPart(pass, s, *ahead, second, offset);
    }
    s.passLine = 0;
}

void RunValidationPass(CheckSession& s, LineSource& lines)
{
    Pass pass(s);
    pass.Start();
    pass.Run(lines);
}

} // namespace tallivo
