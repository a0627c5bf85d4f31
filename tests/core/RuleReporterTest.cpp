#include "RecordBuilder.h"
#include "checking/RuleReporter.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

TEST(Fields, ReadColumnRangesAndStopAtTheLinesEnd)
{
    const Fields f("0021234567");
    EXPECT_EQ(f["1-3"], "002");
    EXPECT_EQ(f["4"], "1");
    EXPECT_EQ(f["9-14"], "67");
    EXPECT_EQ(f["11-12"], "");
    EXPECT_EQ(f.At(10), '7');
    EXPECT_EQ(f.At(11), '\0');
}

TEST(RuleReporter, TheFailureKindsDifferInDataValidSaveAndCount)
{
    struct Case
    {
        const char* name;
        void (*report)(CheckSession&);
        bool dataValid;
        bool flagged;
        int invalidAccounts;
        const char* row;
    };
    const Case cases[] = {
        {"plain data failure", [](CheckSession& s) { RuleReporter(s, "001", 4).Fail("4-15", "F", "M"); }, false,
         true, 0, "001|4|4-15|F|M||"},
        {"data failure with cells",
         [](CheckSession& s) { RuleReporter(s, "003", 4, "ACC", "PAYEE").Fail("4-9", "F", "M"); }, false, true, 0,
         "003|4|4-9|F|M|ACC|PAYEE"},
        {"data failure without the cells",
         [](CheckSession& s) { RuleReporter(s, "002", 4, "ACC", "").FailWithoutAccount("46-48", "F", "M"); }, false,
         true, 0, "002|4|46-48|F|M||"},
        {"account failure keeping DataValid",
         [](CheckSession& s) { RuleReporter(s, "002", 4, "ACC", "").AccountFail("15-39", "F", "M"); }, true, false, 1,
         "002|4|15-39|F|M|ACC|"},
        {"account failure clearing DataValid",
         [](CheckSession& s) {
             RuleReporter(s, "003", 4, "ACC", "", AccountFailure::ClearsDataValid).AccountFail("10-34", "F", "M");
         },
         false, false, 1, "003|4|10-34|F|M|ACC|"},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        c.report(fx.s);
        EXPECT_EQ(fx.Rows(), std::vector<std::string>{c.row}) << c.name;
        EXPECT_EQ(fx.s.ctx.DataValid, c.dataValid) << c.name;
        EXPECT_EQ(fx.s.hasFindingsToSave, c.flagged) << c.name;
        EXPECT_EQ(fx.s.ctx.InvalidAccountCount, c.invalidAccounts) << c.name;
    }
}
