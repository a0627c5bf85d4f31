// The pass over a file read as two parts at once must give exactly what one pass in order
// gives: the same rows, values, addAccBatchError row and error, wherever the file is cut
// and whatever the records around the cut hold.
#include "../../bench/PaymentFileGenerator.h"

#include "RecordBuilder.h"
#include "TestFiles.h"
#include "checking/AccountRowStore.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

using namespace tallivo;

namespace {

class VectorLines final : public LineSource
{
public:
    VectorLines(const std::vector<std::string>& lines, std::size_t from, std::size_t to)
        : m_lines(lines), m_from(from), m_next(from), m_to(to)
    {
    }
    bool Next(PaymentLine& line) override
    {
        if (m_next == m_to)
            return false;
        line.text = m_lines[m_next];
        line.length = line.text.size();
        ++m_next;
        return true;
    }
    std::uint64_t LineNumber() const override { return m_next - m_from; }

private:
    const std::vector<std::string>& m_lines;
    std::size_t m_from;
    std::size_t m_next;
    std::size_t m_to;
};

struct Outcome
{
    std::vector<std::string> rows;
    CheckContext ctx;
    std::uint64_t passLine = 0;
    std::string status;
    bool findings = false;
    std::string account;
    std::string nameEn;
    std::string nameTh;
    std::string error;

    bool operator==(const Outcome&) const = default;
};

// One check of the lines, cut at the given line (the lines before it are the first part)
// or in one pass; after an earlier pass that left its values and row, or after none.
Outcome Check(const std::vector<std::string>& lines, std::optional<std::size_t> cut, bool afterAnother,
              bool follows = true)
{
    test::CheckFixture fx;
    MemoryAccountRow row;
    if (afterAnother) {
        row.StartRow("1112223334");
        row.SetNames("EARLIER PAYEE", "");
        fx.s.ctx.currentProduct = "PAY";
        fx.s.ctx.companyId = "EARLIER";
        fx.s.ctx.creditAmountSum = 12.5;
    }
    fx.s.accountRow = &row;
    Outcome out;
    try {
        if (!cut) {
            VectorLines all(lines, 0, lines.size());
            RunValidationPass(fx.s, all);
        } else {
            VectorLines first(lines, 0, *cut);
            VectorLines second(lines, *cut, lines.size());
            RunValidationPassInParts(fx.s, first,
                                     {second, [follows] { return follows; },
                                      [&] { return std::make_unique<VectorLines>(lines, *cut, lines.size()); }});
        }
    } catch (const AppError& e) {
        out.error = e.what();
    }
    out.rows = fx.Rows();
    out.ctx = fx.s.ctx;
    out.passLine = fx.s.passLine;
    out.status = fx.s.statusText;
    out.findings = fx.s.hasFindingsToSave;
    out.account = row.account;
    out.nameEn = row.nameEn;
    out.nameTh = row.nameTh;
    return out;
}

std::vector<std::string> GeneratedLines(std::uint64_t seed, std::size_t bytes)
{
    test::TempFolder dir;
    const std::string path = dir.Path("generated.txt");
    bench::GeneratorOptions options;
    options.targetBytes = bytes;
    options.seed = seed;
    options.maxCreditsPerBatch = 6; // many debit records, each a cut
    bench::GeneratePaymentFile(path, options);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(text, line, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A few random edits of the kind that make findings, and that make the values around a
// cut disagree: bytes changed, fields blanked, lines dropped, doubled and moved.
std::vector<std::string> Mutated(std::vector<std::string> lines, std::mt19937& random)
{
    constexpr std::string_view kBytes = " 0123456789AYNX-.";
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && lines.size() > 2; ++e) {
        std::string& line = lines[pick(lines.size())];
        switch (random() % 5) {
        case 0:
            if (!line.empty())
                line[pick(line.size())] = kBytes[pick(kBytes.size())];
            break;
        case 1:
            if (line.size() > 16)
                std::fill_n(line.begin() + static_cast<long>(pick(line.size() - 16)), 16, ' ');
            break;
        case 2: lines.erase(lines.begin() + static_cast<long>(pick(lines.size()))); break;
        case 3: {
            const std::size_t i = pick(lines.size());
            lines.insert(lines.begin() + static_cast<long>(i), lines[i]);
            break;
        }
        default: std::swap(lines[pick(lines.size())], lines[pick(lines.size())]); break;
        }
    }
    return lines;
}

// Cuts at both ends, at every debit record, and at lines taken at random.
std::vector<std::size_t> Cuts(const std::vector<std::string>& lines, std::mt19937& random)
{
    std::vector<std::size_t> cuts = {0, 1, lines.size() / 2, lines.size() - 1, lines.size()};
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with("002"))
            cuts.push_back(i);
    for (int i = 0; i < 8; ++i)
        cuts.push_back(random() % (lines.size() + 1));
    return cuts;
}

} // namespace

TEST(PartedPass, GivesWhatOnePassInOrderGivesWhereverTheFileIsCut)
{
    std::mt19937 random(20261211);
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        const std::vector<std::string> base = GeneratedLines(seed, 40 * 1024);
        for (int variant = 0; variant < 16; ++variant) {
            const std::vector<std::string> lines = variant == 0 ? base : Mutated(base, random);
            const bool afterAnother = variant % 2 == 1;
            const Outcome inOrder = Check(lines, std::nullopt, afterAnother);
            for (const std::size_t cut : Cuts(lines, random)) {
                const Outcome parted = Check(lines, cut, afterAnother);
                ASSERT_EQ(parted.rows, inOrder.rows) << "seed " << seed << " variant " << variant << " cut " << cut;
                ASSERT_TRUE(parted == inOrder) << "seed " << seed << " variant " << variant << " cut " << cut;
            }
        }
    }
}

TEST(PartedPass, ASecondPartThatDoesNotFollowIsNotChecked)
{
    const std::vector<std::string> lines = GeneratedLines(9, 20 * 1024);
    const std::size_t cut = lines.size() / 2;
    const std::vector<std::string> firstOnly(lines.begin(), lines.begin() + static_cast<long>(cut));
    EXPECT_TRUE(Check(lines, cut, true, false) == Check(firstOnly, std::nullopt, true));
}

TEST(PartedPass, ASecondPartWithoutACreditRecordEarlyOnIsCheckedInOrder)
{
    std::vector<std::string> lines = GeneratedLines(11, 20 * 1024);
    const std::size_t cut = lines.size() / 2;
    const auto payee =
        std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("004"); });
    ASSERT_NE(payee, lines.end());
    std::vector<std::string> many(1500, *payee);
    many[700][0] = 'x';                // a line of no known type among them
    many[900].replace(11, 6, "12345A"); // and a payee record with a finding
    lines.insert(lines.begin() + static_cast<long>(cut), many.begin(), many.end());
    const Outcome inOrder = Check(lines, std::nullopt, false);
    EXPECT_FALSE(inOrder.rows.empty());
    EXPECT_TRUE(Check(lines, cut, false) == inOrder);
}

TEST(PartedPass, AHeaderRecordInTheSecondPartGivesTheCompanyId)
{
    std::vector<std::string> lines = GeneratedLines(12, 60 * 1024);
    std::string header = lines.front();
    header.replace(header.find("CORP"), 4, "MISC");
    const auto debit = std::find_if(lines.begin() + static_cast<long>(lines.size() / 2), lines.end(),
                                    [](const std::string& l) { return l.starts_with("002"); });
    ASSERT_NE(debit, lines.end());
    const std::size_t cut = static_cast<std::size_t>(debit - lines.begin());
    lines.insert(lines.begin() + static_cast<long>(cut) + 4, header);
    const Outcome inOrder = Check(lines, std::nullopt, false);
    EXPECT_NE(inOrder.ctx.companyId, Check(GeneratedLines(12, 60 * 1024), std::nullopt, false).ctx.companyId);
    EXPECT_TRUE(Check(lines, cut, false) == inOrder);
}
