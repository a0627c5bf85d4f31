#include "comparing/PaymentFileDiff.h"

#include "format/CreditLayout.h"
#include "format/DebitLayout.h"
#include "format/Fields.h"
#include "format/RecordLayouts.h"
#include "format/RecordTypes.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <unordered_set>
#include <utility>

namespace tallivo {

namespace {

struct HeldLine
{
    std::string text;        // as much as the reader holds
    std::uint64_t length = 0; // the full length
    std::uint64_t number = 0;
    std::size_t hash = 0;     // of the text, so that most unequal lines differ at once
};

bool Same(const HeldLine& a, const HeldLine& b)
{
    return a.hash == b.hash && a.length == b.length && a.text == b.text;
}

// The credits' totals of both files, keyed by product and value date.
class Totals
{
public:
    void Add(bool newFile, std::string_view product, std::string_view valueDate, std::string_view amount)
    {
        const auto key = std::make_pair(std::string(product), std::string(valueDate));
        auto it = m_index.find(key);
        if (it == m_index.end()) {
            it = m_index.emplace(key, m_rows.size()).first;
            m_rows.push_back({key.first, key.second, 0, 0, 0, 0});
        }
        CreditTotals& row = m_rows[it->second];
        const std::int64_t value = Thousandths(amount);
        if (newFile) {
            ++row.newCredits;
            row.newAmount += value;
        } else {
            ++row.oldCredits;
            row.oldAmount += value;
        }
    }
    std::vector<CreditTotals> Take() { return std::move(m_rows); }

private:
    // The amount field's 16 digits as thousandths; 0 for a field that is not all digits.
    static std::int64_t Thousandths(std::string_view amount)
    {
        if (amount.size() != kAmountWidth)
            return 0;
        std::int64_t value = 0;
        for (const char c : amount) {
            if (c < '0' || c > '9')
                return 0;
            value = value * 10 + (c - '0');
        }
        return value;
    }

    std::map<std::pair<std::string, std::string>, std::size_t> m_index;
    std::vector<CreditTotals> m_rows;
};

// One file's lines read ahead, and its credits tallied as they are read.
class Side
{
public:
    Side(LineSource& lines, bool newFile, Totals& totals) : m_lines(lines), m_newFile(newFile), m_totals(totals) {}

    // Reads ahead until count lines are held or the file ends.
    void Fill(std::size_t count)
    {
        PaymentLine line;
        while (m_held.size() < count && !m_done) {
            if (!m_lines.Next(line)) {
                m_done = true;
                break;
            }
            Tally(line.text);
            m_held.push_back({std::string(line.text), line.length, m_lines.LineNumber(),
                              std::hash<std::string_view>()(line.text)});
        }
    }
    std::deque<HeldLine>& Held() { return m_held; }
    bool Done() const { return m_done; }

private:
    void Tally(std::string_view line)
    {
        const Fields f(line);
        if (CodeOf(line) == RecordCode::Debit) {
            m_product.assign(f[Debit::ProductCode]);
            m_valueDate.assign(f[Debit::ValueDate]);
        } else if (CodeOf(line) == RecordCode::Credit) {
            m_totals.Add(m_newFile, m_product, m_valueDate, f[Credit::Amount]);
        }
    }

    LineSource& m_lines;
    bool m_newFile;
    Totals& m_totals;
    std::deque<HeldLine> m_held;
    bool m_done = false;
    std::string m_product;
    std::string m_valueDate;
};

std::string ColumnsText(std::size_t first, std::size_t last)
{
    return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

std::string_view ColumnsOf(std::string_view line, std::size_t first, std::size_t last)
{
    if (first > line.size())
        return {};
    return line.substr(first - 1, last - first + 1);
}

// The fields in which two records of one type differ: every field of their layouts by
// name, then each run of differing columns that no field names.
std::vector<FieldChange> FieldChanges(const HeldLine& oldLine, const HeldLine& newLine)
{
    const std::string_view a = oldLine.text;
    const std::string_view b = newLine.text;
    const std::size_t width = std::max(a.size(), b.size());
    std::vector<bool> named(width + 2, false);
    for (std::size_t c = 1; c <= std::min(kRecordCodeWidth, width); ++c)
        named[c] = true;
    std::vector<std::pair<std::size_t, FieldChange>> changes;
    for (const std::string_view line : {a, b}) {
        const auto layout = LayoutOfLine(line);
        if (!layout)
            continue;
        for (const Field& field : layout->fields) {
            if (field.First() > width || named[field.First()])
                continue; // past both lines, or compared under the other layout
            for (std::size_t c = field.First(); c <= std::min(field.Last(), width); ++c)
                named[c] = true;
            const Fields fa(a);
            const Fields fb(b);
            if (fa[field] != fb[field])
                changes.push_back({field.First(),
                                   {std::string(field.name), std::string(field.columns), std::string(fa[field]),
                                    std::string(fb[field])}});
        }
    }
    const auto at = [](std::string_view line, std::size_t c) { return c <= line.size() ? line[c - 1] : '\0'; };
    for (std::size_t c = 1; c <= width; ++c) {
        if (named[c] || (at(a, c) == at(b, c) && (c <= a.size()) == (c <= b.size())))
            continue;
        std::size_t last = c;
        while (last + 1 <= width && !named[last + 1] &&
               !(at(a, last + 1) == at(b, last + 1) && (last + 1 <= a.size()) == (last + 1 <= b.size())))
            ++last;
        changes.push_back({c,
                           {"", ColumnsText(c, last), std::string(ColumnsOf(a, c, last)),
                            std::string(ColumnsOf(b, c, last))}});
        c = last;
    }
    if (changes.empty()) {
        // Apart beyond the bytes held of two very long lines: their lengths differ.
        const std::uint64_t from = std::min(oldLine.length, newLine.length) + 1;
        const std::uint64_t to = std::max(oldLine.length, newLine.length);
        changes.push_back({0, {"", ColumnsText(from, to), "", ""}});
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<FieldChange> fields;
    for (auto& change : changes)
        fields.push_back(std::move(change.second));
    return fields;
}

class Differ
{
public:
    Differ(LineSource& oldLines, LineSource& newLines, const ChangeSink& sink, std::size_t window)
        : m_old(oldLines, false, m_totals), m_new(newLines, true, m_totals), m_sink(sink),
          m_window(std::max<std::size_t>(window, 2))
    {
    }

    DiffOutcome Run()
    {
        auto& a = m_old.Held();
        auto& b = m_new.Held();
        for (;;) {
            m_old.Fill(1);
            m_new.Fill(1);
            if (a.empty() && b.empty())
                break;
            if (!a.empty() && !b.empty() && Same(a.front(), b.front())) {
                a.pop_front();
                b.pop_front();
                continue;
            }
            m_old.Fill(m_window);
            m_new.Fill(m_window);
            MatchWindow();
        }
        m_outcome.totals = m_totals.Take();
        return m_outcome;
    }

private:
    // Matches the records held of both files by their longest common subsequence and
    // reports the first half of the window's changes (all of them when both files end
    // within it); the rest is matched again with the records read after it.
    void MatchWindow()
    {
        auto& a = m_old.Held();
        auto& b = m_new.Held();
        const std::size_t n = a.size();
        const std::size_t m = b.size();
        // lcs[i][j]: the longest common subsequence of a[i..] and b[j..]; not worked out
        // when the windows have no record in common (files that differ throughout).
        m_hashes.clear();
        for (const HeldLine& line : a)
            m_hashes.insert(line.hash);
        const bool common = std::any_of(b.begin(), b.end(), [&](const HeldLine& line) {
            return m_hashes.count(line.hash) != 0 &&
                   std::any_of(a.begin(), a.end(), [&](const HeldLine& other) { return Same(line, other); });
        });
        m_lcs.assign(common ? (n + 1) * (m + 1) : 0, 0);
        const auto lcs = [&](std::size_t i, std::size_t j) -> std::uint16_t {
            return common ? m_lcs[i * (m + 1) + j] : std::uint16_t{0};
        };
        if (common) {
            // The hashes side by side, so the table's inner loop reads no record.
            m_oldHashes.clear();
            m_newHashes.clear();
            for (const HeldLine& line : a)
                m_oldHashes.push_back(line.hash);
            for (const HeldLine& line : b)
                m_newHashes.push_back(line.hash);
            std::uint16_t* table = m_lcs.data();
            const std::size_t row = m + 1;
            for (std::size_t i = n; i-- > 0;) {
                std::uint16_t* here = table + i * row;
                const std::uint16_t* below = here + row;
                const std::size_t hash = m_oldHashes[i];
                for (std::size_t j = m; j-- > 0;)
                    here[j] = m_newHashes[j] == hash && Same(a[i], b[j]) ? static_cast<std::uint16_t>(below[j + 1] + 1)
                                                                         : std::max(below[j], here[j + 1]);
            }
        }
        const bool whole = m_old.Done() && m_new.Done();
        const std::size_t stopA = whole ? n : (n + 1) / 2;
        const std::size_t stopB = whole ? m : (m + 1) / 2;
        std::size_t i = 0;
        std::size_t j = 0;
        std::vector<const HeldLine*> removed;
        std::vector<const HeldLine*> added;
        while ((i < n || j < m) && (whole || ((i < stopA || n == 0) && (j < stopB || m == 0)))) {
            if (i < n && j < m && Same(a[i], b[j])) {
                Report(removed, added);
                ++i;
                ++j;
            } else if (j == m || (i < n && lcs(i + 1, j) >= lcs(i, j + 1))) {
                removed.push_back(&a[i++]);
            } else {
                added.push_back(&b[j++]);
            }
        }
        Report(removed, added);
        a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(i));
        b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(j));
    }

    // The changes of one place: each removed record paired, in order, with the next added
    // record of its type as one changed record.
    void Report(std::vector<const HeldLine*>& removed, std::vector<const HeldLine*>& added)
    {
        std::size_t next = 0;
        for (const HeldLine* r : removed) {
            std::size_t k = next;
            while (k < added.size() && CodeOf(added[k]->text) != CodeOf(r->text))
                ++k;
            if (k == added.size()) {
                Emit({RecordChange::Kind::Removed, std::string(CodeOf(r->text)), r->number, 0, {}});
                continue;
            }
            for (; next < k; ++next)
                Emit({RecordChange::Kind::Added, std::string(CodeOf(added[next]->text)), 0, added[next]->number, {}});
            Emit({RecordChange::Kind::Changed, std::string(CodeOf(r->text)), r->number, added[k]->number,
                  FieldChanges(*r, *added[k])});
            next = k + 1;
        }
        for (; next < added.size(); ++next)
            Emit({RecordChange::Kind::Added, std::string(CodeOf(added[next]->text)), 0, added[next]->number, {}});
        removed.clear();
        added.clear();
    }

    void Emit(const RecordChange& change)
    {
        ++m_outcome.changes;
        m_sink(change);
    }

    Totals m_totals;
    Side m_old;
    Side m_new;
    const ChangeSink& m_sink;
    std::size_t m_window;
    std::vector<std::uint16_t> m_lcs;
    std::unordered_set<std::size_t> m_hashes;
    std::vector<std::size_t> m_oldHashes;
    std::vector<std::size_t> m_newHashes;
    DiffOutcome m_outcome;
};

} // namespace

std::string_view KindName(RecordChange::Kind kind)
{
    switch (kind) {
    case RecordChange::Kind::Changed: return "changed";
    case RecordChange::Kind::Added: return "added";
    case RecordChange::Kind::Removed: return "removed";
    }
    return "changed";
}

DiffOutcome DiffPaymentLines(LineSource& oldLines, LineSource& newLines, const ChangeSink& sink, std::size_t window)
{
    Differ differ(oldLines, newLines, sink, window);
    return differ.Run();
}

DiffOutcome DiffPaymentFiles(const std::string& oldPath, const std::string& newPath, const ChangeSink& sink)
{
    PaymentFileReader oldLines(oldPath);
    PaymentFileReader newLines(newPath);
    return DiffPaymentLines(oldLines, newLines, sink);
}

std::string AmountText(std::int64_t thousandths)
{
    const bool negative = thousandths < 0;
    const std::uint64_t value =
        negative ? 0 - static_cast<std::uint64_t>(thousandths) : static_cast<std::uint64_t>(thousandths);
    std::string text = std::to_string(value / 1000) + ".";
    const std::string fraction = std::to_string(1000 + value % 1000).substr(1);
    text += fraction[2] == '0' ? fraction.substr(0, 2) : fraction;
    return negative ? "-" + text : text;
}

} // namespace tallivo
