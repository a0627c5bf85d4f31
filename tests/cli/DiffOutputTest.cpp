// What tallivo-cli diff prints: one text line per change with Thai decoded, and one JSON
// object of schema 1 with the changes and the credits' totals.
#include "PaymentRecordFixture.h"
#include "TestFiles.h"
#include "cli/DiffOutput.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tallivo::cli {
namespace {

using test::FileOf;
using test::Rec;

// Old: one credit of 1000.00 to a payee with a Thai name. New: the amount is 1500.00 in
// the debit, credit and trailer, the Thai name differs, and a second credit is added.
std::string Output(DiffFormat format)
{
    const Rec header = test::ValidHeader();
    const Rec payee = test::ValidPayee().Set(Payee::NameThai, "\xca\xc1\xaa\xd2\xc2");
    const std::string oldBytes = FileOf({header, test::ValidDebit("DCP"), test::ValidCredit("DCP"), payee,
                                         test::ValidTrailer()});
    const std::string newBytes =
        FileOf({header, test::ValidDebit("DCP").Set(Debit::Amount, "0000000001500000"),
                test::ValidCredit("DCP").Set(Credit::Amount, "0000000001500000"),
                Rec(payee).Set(Payee::NameThai, "\xca\xc1\xc8\xd1\xa1\xb4\xd4\xec"),
                test::ValidCredit("DCP").Set(Credit::SequenceNumber, "000002").Set(Credit::Amount, "0000000000000000"),
                test::ValidTrailer("000001", "000002", "0000000001500000")});
    test::TempFolder dir;
    const std::string oldPath = dir.Write("old.txt", oldBytes);
    const std::string newPath = dir.Write("new.txt", newBytes);
    std::string out;
    DiffWriter writer(format, "old.txt", "new.txt", [&](std::string_view piece) { out.append(piece); });
    writer.Finish(DiffPaymentFiles(oldPath, newPath, [&](const RecordChange& c) { writer.Change(c); }));
    return out;
}

TEST(DiffOutput, TextHasOneLinePerChangeWithThaiDecodedThenTheTotals)
{
    const std::string text = Output(DiffFormat::Text);
    const std::string thaiOld = "\u0e2a\u0e21\u0e0a\u0e32\u0e22"; // the old name, decoded
    const std::string blanks(95, ' ');
    EXPECT_EQ(text,
              "changed 002 old line 2 new line 2: Debit Amount (49-64) \"0000000001000000\" -> \"0000000001500000\"\n"
              "changed 003 old line 3 new line 3: Credit Amount (35-50) \"0000000001000000\" -> \"0000000001500000\"\n"
              "changed 004 old line 4 new line 4: Payee1 Name(Thai) (33-132) \"" + thaiOld + blanks +
                  "\" -> \"\u0e2a\u0e21\u0e28\u0e31\u0e01\u0e14\u0e34\u0e4c" + std::string(92, ' ') + "\"\n"
              "added 003 new line 5\n"
              "changed 999 old line 5 new line 6: Total No. of Credits (10-15) \"000001\" -> \"000002\"; "
              "Total Amount (16-31) \"0000000001000000\" -> \"0000000001500000\"\n"
              "5 changes.\n"
              "Credits by product and value date: old -> new (difference)\n"
              "DCP 20250120: 1 credits 1000.00 -> 2 credits 1500.00 (+1 credits, +500.00)\n");
}

TEST(DiffOutput, JsonIsOneObjectOfSchemaOne)
{
    const std::string json = Output(DiffFormat::Json);
    ASSERT_EQ(json.back(), '\n');
    const nlohmann::json doc = nlohmann::json::parse(json);
    EXPECT_EQ(doc["schema"], 1);
    EXPECT_EQ(doc["command"], "diff");
    EXPECT_EQ(doc["equal"], false);
    const auto& changes = doc["changes"];
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[1]["kind"], "changed");
    EXPECT_EQ(changes[1]["recordType"], "003");
    EXPECT_EQ(changes[1]["oldLine"], 3);
    EXPECT_EQ(changes[1]["newLine"], 3);
    EXPECT_EQ(changes[1]["fields"],
              nlohmann::json::parse(R"([{"field":"Credit Amount","columns":"35-50","old":"0000000001000000","new":"0000000001500000"}])"));
    EXPECT_EQ(changes[2]["fields"][0]["old"].get<std::string>().substr(0, 15), "\u0e2a\u0e21\u0e0a\u0e32\u0e22");
    EXPECT_EQ(changes[3]["kind"], "added");
    EXPECT_TRUE(changes[3]["oldLine"].is_null());
    EXPECT_EQ(changes[3]["newLine"], 5);
    EXPECT_EQ(changes[3]["fields"], nlohmann::json::array());
    EXPECT_EQ(doc["totals"], nlohmann::json::parse(R"([{"product":"DCP","valueDate":"20250120",
        "old":{"credits":1,"amount":1000.00},"new":{"credits":2,"amount":1500.00},
        "difference":{"credits":1,"amount":500.00}}])"));
}

} // namespace
} // namespace tallivo::cli
