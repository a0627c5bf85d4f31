// What changed between two payment files: the records matched as a line diff matches
// them, changed fields by layout name, and the credits' totals in each file.
#include "../../bench/PaymentFileGenerator.h"

#include "PaymentRecordFixture.h"
#include "TestFiles.h"
#include "comparing/PaymentFileDiff.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::FileOf;
using test::Rec;

std::vector<RecordChange> Diff(const std::string& oldBytes, const std::string& newBytes, DiffOutcome* outcome = nullptr,
                               std::size_t window = kDiffWindow)
{
    test::TempFolder dir;
    PaymentFileReader oldLines(dir.Write("old.txt", oldBytes));
    PaymentFileReader newLines(dir.Write("new.txt", newBytes));
    std::vector<RecordChange> changes;
    const DiffOutcome result =
        DiffPaymentLines(oldLines, newLines, [&](const RecordChange& c) { changes.push_back(c); }, window);
    EXPECT_EQ(result.changes, changes.size());
    if (outcome != nullptr)
        *outcome = result;
    return changes;
}

// A change as "kind type old new" and its fields as "name columns old>new".
std::string Describe(const RecordChange& c)
{
    std::string text = std::string(KindName(c.kind)) + " " + c.recordType + " " + std::to_string(c.oldLine) + " " +
                       std::to_string(c.newLine);
    for (const FieldChange& f : c.fields)
        text += " | " + f.field + " " + f.columns + " " + f.oldText + ">" + f.newText;
    return text;
}

std::vector<std::string> Describe(const std::vector<RecordChange>& changes)
{
    std::vector<std::string> out;
    for (const RecordChange& c : changes)
        out.push_back(Describe(c));
    return out;
}

struct SmallFile
{
    Rec header = test::ValidHeader();
    Rec debit = test::ValidDebit("DCP").Set(Debit::Amount, "0000000003000000").Set(Debit::CreditCount, "000002");
    Rec credit1 = test::ValidCredit("DCP").Set(Credit::Account, "3333333336");
    Rec payee1 = test::ValidPayee();
    Rec credit2 = test::ValidCredit("DCP").Set(Credit::SequenceNumber, "000002").Set(Credit::Amount, "0000000002000000");
    Rec payee2 = test::ValidPayee().Set(Payee::SequenceNumber, "000002");
    Rec trailer = test::ValidTrailer("000001", "000002", "0000000003000000");

    std::string Bytes() const { return FileOf({header, debit, credit1, payee1, credit2, payee2, trailer}); }
};

TEST(PaymentFileDiff, EqualFilesHaveNoChangeAndTheSameTotals)
{
    DiffOutcome outcome;
    EXPECT_TRUE(Diff(SmallFile().Bytes(), SmallFile().Bytes(), &outcome).empty());
    EXPECT_TRUE(outcome.Equal());
    ASSERT_EQ(outcome.totals.size(), 1u);
    const CreditTotals& t = outcome.totals[0];
    EXPECT_EQ(t.product, "DCP");
    EXPECT_EQ(t.valueDate, "20250120");
    EXPECT_EQ(t.oldCredits, 2u);
    EXPECT_EQ(t.newCredits, 2u);
    EXPECT_EQ(t.oldAmount, 3000000);
    EXPECT_EQ(t.newAmount, 3000000);
    EXPECT_EQ(AmountText(t.oldAmount), "3000.00");
}

TEST(PaymentFileDiff, NamesTheChangedFieldsOfEachRecord)
{
    SmallFile after;
    after.debit.Set(Debit::Amount, "0000000003500000");
    after.credit2.Set(Credit::Amount, "0000000002500000");
    after.trailer.Set(Trailer::TotalAmount, "0000000003500000");
    after.payee1.Set(Payee::NameThai, "\xca\xc1\xa4\xd4\xb4").Set(Payee::NameEnglish, "OTHER NAME");
    DiffOutcome outcome;
    EXPECT_EQ(Describe(Diff(SmallFile().Bytes(), after.Bytes(), &outcome)),
              (std::vector<std::string>{
                  "changed 002 2 2 | Debit Amount 49-64 0000000003000000>0000000003500000",
                  "changed 004 4 4 | Payee1 Name(Thai) 33-132 " + std::string("THAI NAME") + std::string(91, ' ') + ">" +
                      "\xca\xc1\xa4\xd4\xb4" + std::string(95, ' ') + " | Payee1 Name(English) 353-422 ENGLISH NAME" +
                      std::string(58, ' ') + ">OTHER NAME" + std::string(60, ' '),
                  "changed 003 5 5 | Credit Amount 35-50 0000000002000000>0000000002500000",
                  "changed 999 7 7 | Total Amount 16-31 0000000003000000>0000000003500000",
              }));
    ASSERT_EQ(outcome.totals.size(), 1u);
    EXPECT_EQ(outcome.totals[0].newAmount - outcome.totals[0].oldAmount, 500000);
}

TEST(PaymentFileDiff, AddedRemovedAndPairedRecords)
{
    const Rec credit3 = test::ValidCredit("DCP").Set(Credit::SequenceNumber, "000003");
    const Rec payee3 = test::ValidPayee().Set(Payee::SequenceNumber, "000003");
    const SmallFile f;
    const struct
    {
        const char* name;
        std::string newBytes;
        std::vector<std::string> changes;
    } kCases[] = {
        {"a credit and its payee added",
         FileOf({f.header, f.debit, f.credit1, f.payee1, credit3, payee3, f.credit2, f.payee2, f.trailer}),
         {"added 003 0 5", "added 004 0 6"}},
        {"a credit and its payee removed", FileOf({f.header, f.debit, f.credit2, f.payee2, f.trailer}),
         {"removed 003 3 0", "removed 004 4 0"}},
        {"a credit replaced at its place: one changed record",
         FileOf({f.header, f.debit, Rec(f.credit1).Set(Credit::Account, "1111111114"), f.payee1, f.credit2, f.payee2,
                 f.trailer}),
         {"changed 003 3 3 | Credit Account No 10-34 3333333336" + std::string(15, ' ') + ">1111111114" +
          std::string(15, ' ')}},
        {"a payee replaced by a credit: removed and added",
         FileOf({f.header, f.debit, f.credit1, credit3, f.credit2, f.payee2, f.trailer}),
         {"removed 004 4 0", "added 003 0 4"}},
        {"a difference in columns no field names, and a longer line",
         FileOf({f.header, f.debit, Rec(f.credit1).Set("286-290", "ABCDE"), f.payee1, f.credit2, f.payee2,
                 std::string(f.trailer) + "XY"}),
         {"changed 003 3 3 |  286-290      >ABCDE", "changed 999 7 7 |  32-33 >XY"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(Diff(f.Bytes(), c.newBytes)), c.changes);
    }
}

// The records neither side reports changed, in order, are the same in both files: the
// changes account for every difference, also when a run of changes is longer than the
// window.
TEST(PaymentFileDiff, UnreportedRecordsMatchInOrderWhateverTheWindow)
{
    test::TempFolder dir;
    bench::GeneratorOptions options;
    options.targetBytes = 200u << 10;
    options.seed = 7;
    bench::GeneratePaymentFile(dir.Path("gen.txt"), options);
    const std::string original = test::ReadAll(dir.Path("gen.txt"));
    std::vector<std::string> lines;
    for (std::size_t from = 0, cr; (cr = original.find("\r\n", from)) != std::string::npos; from = cr + 2)
        lines.push_back(original.substr(from, cr - from));
    std::vector<std::string> edited = lines;
    edited.erase(edited.begin() + 40, edited.begin() + 45);
    edited.insert(edited.begin() + 100, lines.begin() + 200, lines.begin() + 230); // a run of 30 copied records
    edited[300].replace(40, 4, "9999");
    std::string editedBytes;
    for (const std::string& l : edited)
        editedBytes += l + "\r\n";

    for (const std::size_t window : {kDiffWindow, std::size_t{8}}) {
        SCOPED_TRACE(window);
        DiffOutcome outcome;
        const auto changes = Diff(original, editedBytes, &outcome, window);
        std::set<std::uint64_t> oldTouched;
        std::set<std::uint64_t> newTouched;
        for (const RecordChange& c : changes) {
            oldTouched.insert(c.oldLine);
            newTouched.insert(c.newLine);
        }
        std::vector<std::string> oldKept;
        std::vector<std::string> newKept;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!oldTouched.contains(i + 1))
                oldKept.push_back(lines[i]);
        for (std::size_t i = 0; i < edited.size(); ++i)
            if (!newTouched.contains(i + 1))
                newKept.push_back(edited[i]);
        EXPECT_EQ(oldKept, newKept);
        if (window == kDiffWindow) {
            EXPECT_EQ(changes.size(), 5u + 30u + 1u);
        }
    }
}

} // namespace
} // namespace tallivo
