#include "masking/MaskedCopy.h"

#include "checking/CheckSession.h"
#include "checking/RecordChecks.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "common/InputFile.h"
#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/DirectDebitItemLayout.h"
#include "format/HeaderLayout.h"
#include "format/InvoiceLayout.h"
#include "format/PayeeLayout.h"
#include "format/PaymentFileReader.h"
#include "format/Primitives.h"
#include "format/RecordLayouts.h"
#include "format/RecordTypes.h"
#include "format/TrailerLayout.h"
#include "format/WhtLayout.h"
#include "masking/RawLines.h"
#include "sealing/Sha1.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tallivo {

namespace {

// How many look-alikes of one value are tried on a record before the value is kept.
constexpr std::uint32_t kAttempts = 256;
// The pass that carries the check context from record to record keeps no more rows
// than this: its rows are not wanted, only its context.
constexpr std::size_t kPassRowsKept = 1024;

std::string_view Blanks()
{
    static const std::string blanks(4096, ' ');
    return blanks;
}

// Every field any layout of a record type names; the debit record has two layouts.
struct NamedFields
{
    std::string_view code;
    std::span<const Field> layout;
    std::span<const Field> otherLayout;
};
constexpr NamedFields kNamedFields[] = {
    {RecordCode::Header, Header::kFields, {}},
    {RecordCode::Debit, Debit::kFieldsA, Debit::kFieldsB},
    {RecordCode::Credit, Credit::kFields, {}},
    {RecordCode::Payee, Payee::kFields, {}},
    {RecordCode::Wht, Wht::kFields, {}},
    {RecordCode::Invoice, Invoice::kFields, {}},
    {RecordCode::DirectDebitBatch, DirectDebitBatch::kFields, {}},
    {RecordCode::DirectDebitItem, DirectDebitItem::kFields, {}},
    {RecordCode::Trailer, Trailer::kFields, {}},
};

// Which columns of a record type some field names (index 0 unused; the code's columns
// count as named). Empty for a line of no known type.
const std::vector<bool>& NamedColumns(std::string_view code)
{
    static const std::vector<std::vector<bool>> tables = [] {
        std::vector<std::vector<bool>> all;
        for (const NamedFields& named : kNamedFields) {
            std::vector<bool> columns(RecordLength(named.code) + 1, false);
            for (std::size_t c = 1; c <= kRecordCodeWidth; ++c)
                columns[c] = true;
            for (const std::span<const Field> fields : {named.layout, named.otherLayout})
                for (const Field& field : fields)
                    for (std::size_t c = field.First(); c <= field.Last(); ++c)
                        columns[c] = true;
            all.push_back(std::move(columns));
        }
        return all;
    }();
    static const std::vector<bool> none;
    for (std::size_t i = 0; i < std::size(kNamedFields); ++i)
        if (kNamedFields[i].code == code)
            return tables[i];
    return none;
}

// The fields of a record that identify someone.
constexpr const Field* kCreditIdentifying[] = {&Credit::Account, &Credit::WhtRemark, &Credit::ChequeReference};
constexpr const Field* kPayeeIdentifying[] = {&Payee::IdNumber,    &Payee::NameThai,  &Payee::TaxId,
                                              &Payee::NameEnglish, &Payee::FaxNumber, &Payee::Payee2NameThai};
constexpr const Field* kWhtIdentifying[] = {&Wht::IncomeDescription};
constexpr const Field* kInvoiceIdentifying[] = {&Invoice::Number};
constexpr const Field* kBatchIdentifying[] = {&DirectDebitBatch::CreditAccount, &DirectDebitBatch::CreditAccount2};
constexpr const Field* kItemIdentifying[] = {&DirectDebitItem::Account};
constexpr const Field* kDebitIdentifyingA[] = {&Debit::Account, &Debit::FeeAccount};
constexpr const Field* kDebitIdentifyingB[] = {&Debit::Account, &Debit::FeeDebitAccount};

std::span<const Field* const> IdentifyingFields(std::string_view line)
{
    const std::string_view code = CodeOf(line);
    if (code == RecordCode::Credit)
        return kCreditIdentifying;
    if (code == RecordCode::Payee)
        return kPayeeIdentifying;
    if (code == RecordCode::Wht)
        return kWhtIdentifying;
    if (code == RecordCode::Invoice)
        return kInvoiceIdentifying;
    if (code == RecordCode::DirectDebitBatch)
        return kBatchIdentifying;
    if (code == RecordCode::DirectDebitItem)
        return kItemIdentifying;
    if (code == RecordCode::Debit) {
        // The fee account of layout A, or the fee debit account of layout B.
        const auto layout = LayoutOfLine(line);
        const bool layoutB = layout && std::any_of(layout->fields.begin(), layout->fields.end(), [](const Field& f) {
            return f.range.first == Debit::FeeDebitAccount.First() && f.range.last == Debit::FeeDebitAccount.Last();
        });
        return layoutB ? std::span<const Field* const>(kDebitIdentifyingB) : kDebitIdentifyingA;
    }
    return {};
}

// What the check of one record does: the rows it appends (their record type, line,
// columns, field and message), the error that ends the pass there, and the check
// context the records after it read.
struct CheckOutcome
{
    std::string rows;
    std::string error;
    CheckContext ctx;

    bool operator==(const CheckOutcome&) const = default;
};

// Runs one record's check as the validation pass runs it, from the context before it.
class RecordCheck
{
public:
    explicit RecordCheck(const Clock* clock) { m_s.clock = clock; }

    CheckOutcome Run(const CheckContext& before, std::string_view line, int lineNo)
    {
        m_s.ctx = before;
        m_s.ResetErrorGrid();
        m_s.SetUpErrorLayout();
        CheckOutcome outcome;
        try {
            Dispatch(line, lineNo);
        } catch (const AppError& e) {
            outcome.error = e.message();
        }
        const ResultGrid& grid = m_s.grid;
        for (std::size_t row = 1; row + 1 < grid.RowCount(); ++row) {
            for (std::size_t col = 1; col <= 5; ++col) {
                outcome.rows += grid.Cell(col, row);
                outcome.rows += '\x1f';
            }
            outcome.rows += '\x1e';
        }
        outcome.ctx = m_s.ctx;
        return outcome;
    }

private:
    // The record's check with what the pass sets up for it first (ValidationPass.cpp).
    void Dispatch(std::string_view line, int lineNo)
    {
        CheckContext& c = m_s.ctx;
        const std::string_view code = CodeOf(line);
        const Fields f(line);
        if (code == RecordCode::Header) {
            CheckHeaderRecord(m_s, line, lineNo);
        } else if (code == RecordCode::Debit) {
            c.creditsUnderDebit = 0;
            c.currentProduct = f[Debit::ProductCode];
            ++c.debitCount;
            CheckDebitRecord(m_s, line, lineNo, c.currentProduct);
        } else if (code == RecordCode::Credit) {
            ++c.creditCount;
            c.whtCount = 0;
            c.declaredWhtCount = 0;
            CheckCreditRecord(m_s, line, lineNo, c.currentProduct);
        } else if (code == RecordCode::Payee) {
            CheckPayeeRecord(m_s, line, lineNo, c.currentProduct);
        } else if (code == RecordCode::Wht) {
            // The income types met under the credit do not meet the masked fields' rules.
            CheckWhtRecord(m_s, line, lineNo, 1, c.currentProduct);
        } else if (code == RecordCode::Invoice) {
            CheckInvoiceRecord(m_s, line, lineNo, c.currentProduct);
        } else if (code == RecordCode::DirectDebitBatch) {
            c.currentProduct = f[DirectDebitBatch::ProductCode];
            CheckDirectDebitBatchRecord(m_s, line, lineNo);
        } else if (code == RecordCode::DirectDebitItem) {
            CheckDirectDebitItemRecord(m_s, line, lineNo);
        } else if (code == RecordCode::Trailer) {
            CheckTrailerRecord(m_s, line, lineNo);
        }
    }

    CheckSession m_s;
};

// The masked form of each line, and the table of values and their look-alikes.
class LineMasker
{
public:
    LineMasker(const MaskKey& key, const Clock* clock, MaskOutcome& outcome)
        : m_key(key), m_check(clock), m_outcome(outcome)
    {
    }

    // The masked line, agreeing with the original under the check from the given context.
    // The last line of a file keeps the columns the summary's Total line reads of it,
    // whatever its type.
    const std::string& Mask(std::string_view line, int lineNo, const CheckContext& before, bool lastLine)
    {
        m_out.assign(line);
        m_line = line;
        m_pinned = lastLine && CodeOf(line) != RecordCode::Trailer;
        const std::vector<bool>& named = NamedColumns(CodeOf(line));
        if (named.empty()) {
            // No known record type: only its code is kept; the pass does not check it.
            for (std::size_t i = kRecordCodeWidth; i < m_out.size(); ++i)
                if (!Pinned(i))
                    m_out[i] = ' ';
            return m_out;
        }
        const CheckOutcome original = m_check.Run(before, line, lineNo);
        for (std::size_t i = kRecordCodeWidth; i < m_out.size(); ++i)
            if ((i + 1 >= named.size() || !named[i + 1]) && !Pinned(i))
                m_out[i] = ' ';
        if (m_check.Run(before, m_out, lineNo) != original)
            m_out.assign(line); // the checks read no unnamed column: never met
        for (const Field* field : IdentifyingFields(line))
            MaskField(*field, lineNo, before, original);
        return m_out;
    }

private:
    // Whether the byte at index i must stay as it is.
    bool Pinned(std::size_t i) const
    {
        return m_pinned && i + 1 >= Trailer::CreditCount.First() && i + 1 <= Trailer::TotalAmount.Last();
    }

    void MaskField(const Field& field, int lineNo, const CheckContext& before, const CheckOutcome& original)
    {
        const std::string_view text = Fields(m_out)[field];
        const std::string_view trimmed = Trim(text);
        if (!HasMaskableCharacters(trimmed))
            return;
        const std::string value(trimmed);
        const std::size_t at = static_cast<std::size_t>(trimmed.data() - m_out.data());
        // Puts the look-alike in place, the pinned bytes kept, when the check agrees.
        bool pinnedAny = false;
        const auto agrees = [&](const std::string& lookAlike) {
            m_candidate = m_out;
            m_candidate.replace(at, lookAlike.size(), lookAlike);
            pinnedAny = false;
            for (std::size_t i = at; i < at + lookAlike.size(); ++i)
                if (Pinned(i) && m_candidate[i] != m_line[i]) {
                    m_candidate[i] = m_line[i];
                    pinnedAny = true;
                }
            if (m_candidate.compare(at, value.size(), value) == 0 || m_check.Run(before, m_candidate, lineNo) != original)
                return false;
            m_out.swap(m_candidate);
            return true;
        };
        ++m_outcome.valuesReplaced;
        m_given.insert(value); // an original value is never another's look-alike
        const auto known = m_lookAlikes.find(value);
        if (known != m_lookAlikes.end() && agrees(known->second))
            return;
        for (std::uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
            std::string lookAlike = LookAlike(value, attempt, m_key);
            if (lookAlike == value || m_given.count(lookAlike) != 0 || !agrees(lookAlike))
                continue;
            m_given.insert(lookAlike);
            if (known == m_lookAlikes.end() && !pinnedAny)
                m_lookAlikes.emplace(value, std::move(lookAlike));
            return;
        }
        --m_outcome.valuesReplaced;
        ++m_outcome.valuesKept;
    }

    MaskKey m_key;
    RecordCheck m_check;
    MaskOutcome& m_outcome;
    std::string_view m_line; // the original line
    bool m_pinned = false;
    std::string m_out;
    std::string m_candidate;
    std::unordered_map<std::string, std::string> m_lookAlikes;
    std::unordered_set<std::string> m_given; // look-alikes given out, and the values met
};

// Hands the validation pass the original lines while writing their masked forms, so
// each line is masked from the very context the pass has built up to it.
class MaskingSource final : public LineSource
{
public:
    MaskingSource(RawLineReader& raw, LineMasker& masker, CheckSession& pass, const MaskSink& sink,
                  MaskOutcome& outcome)
        : m_raw(raw), m_masker(masker), m_pass(pass), m_sink(sink), m_outcome(outcome)
    {
    }

    bool Next(PaymentLine& line) override
    {
        try {
            RawLine raw;
            if (!m_raw.Next(raw))
                return false;
            ++m_outcome.lines;
            if (m_pass.grid.RowCount() > kPassRowsKept) {
                m_pass.ResetErrorGrid();
                m_pass.SetUpErrorLayout();
            }
            m_sink(m_masker.Mask(raw.text, static_cast<int>(m_outcome.lines), m_pass.ctx, m_raw.AtEnd()));
            for (std::uint64_t tail = raw.length - raw.text.size(); tail > 0;) {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(tail, Blanks().size()));
                m_sink(Blanks().substr(0, n));
                tail -= n;
            }
            m_sink(raw.ending);
            line.text = raw.text;
            line.length = raw.length;
            return true;
        } catch (...) {
            m_failed = true;
            throw;
        }
    }
    std::uint64_t LineNumber() const override { return m_outcome.lines; }
    // The source itself failed (a read or a write), rather than the pass.
    bool Failed() const { return m_failed; }

private:
    RawLineReader& m_raw;
    LineMasker& m_masker;
    CheckSession& m_pass;
    const MaskSink& m_sink;
    MaskOutcome& m_outcome;
    bool m_failed = false;
};

} // namespace

MaskOutcome MaskPaymentLines(const std::function<std::size_t(char*, std::size_t)>& read, const MaskKey& key,
                             const MaskSink& sink, const Clock* clock)
{
    MaskOutcome outcome;
    RawLineReader raw(read);
    LineMasker masker(key, clock, outcome);
    CheckSession pass;
    pass.clock = clock;
    MaskingSource source(raw, masker, pass, sink, outcome);
    try {
        RunValidationPass(pass, source);
    } catch (...) {
        // A conversion error ends the pass where it ends the check; the rest is masked
        // all the same.
        if (source.Failed())
            throw;
    }
    PaymentLine remaining;
    while (source.Next(remaining)) {
    }
    if (raw.EndedAtCtrlZ()) {
        // The bytes after it are part of no line; how many there are is kept.
        sink("\x1a");
        for (std::uint64_t rest = raw.CountBytesAfterCtrlZ(); rest > 0;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(rest, Blanks().size()));
            sink(Blanks().substr(0, n));
            rest -= n;
        }
    }
    return outcome;
}

MaskOutcome MaskPaymentFile(const std::string& path, const MaskSink& sink, const Clock* clock)
{
    InputFile file(path);
    MaskKey key{};
    if (!DigestFile(path, key.data()))
        throw AppError(AppError::Kind::File, "Cannot open file " + path);
    return MaskPaymentLines([&file](char* data, std::size_t size) { return file.Read(data, size); }, key, sink,
                            clock);
}

std::string MaskPaymentBytes(std::string_view bytes, const Clock* clock)
{
    MaskKey key{};
    Sha1Context sha;
    Sha1Init(sha);
    Sha1Update(sha, bytes.data(), bytes.size());
    Sha1Final(sha, key.data());
    std::string out;
    std::size_t pos = 0;
    MaskPaymentLines(
        [&](char* data, std::size_t size) {
            const std::size_t n = std::min(size, bytes.size() - pos);
            if (n > 0)
                std::memcpy(data, bytes.data() + pos, n);
            pos += n;
            return n;
        },
        key, [&out](std::string_view piece) { out.append(piece); }, clock);
    return out;
}

} // namespace tallivo
