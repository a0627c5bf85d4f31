#include "RecordBuilder.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

TEST(CheckHeaderRecord, ValidHeaderGivesNoRow)
{
    for (std::string_view channel : {"VYN", "CNC"}) {
        CheckFixture fx;
        CheckHeaderRecord(fx.s, ValidHeader().Set("62-64", channel), 1);
        EXPECT_TRUE(fx.Rows().empty()) << channel;
        EXPECT_TRUE(fx.s.ctx.DataValid);
    }
}

TEST(CheckHeaderRecord, EachRuleGivesItsRow)
{
    struct Case { std::string_view columns; std::string_view text; const char* row; };
    const Case cases[] = {
        {"4-15", "", "001|7|4-15|Company Id|This field should not be space||"},
        {"16-47", "\t", "001|7|16-47|Customer Reference|This field should not be space||"},
        {"48-55", "", "001|7|48-55|Message/File Date|This field should be number||"},
        {"48-55", "2025011", "001|7|48-55|Message/File Date|This field should be number||"}, // trailing blank
        {"48-55", " 2025011", nullptr}, // leading blanks pass the number test
        {"48-55", "20251399", nullptr}, // a number, though no calendar date
        {"56-61", "10:15", "001|7|56-61|Message/File Time|This field should be number||"},
        {"62-64", "vyn", "001|7|62-64|Channel Id|This field should  be VYN||"},
        {"62-64", " VY", "001|7|62-64|Channel Id|This field should  be VYN||"},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckHeaderRecord(fx.s, ValidHeader().Set(c.columns, c.text), 7);
        const std::vector<std::string> expected = c.row ? std::vector<std::string>{c.row} : std::vector<std::string>{};
        EXPECT_EQ(fx.Rows(), expected) << c.columns << " '" << c.text << "'";
        EXPECT_EQ(fx.s.ctx.DataValid, c.row == nullptr);
        EXPECT_EQ(fx.s.hasFindingsToSave, c.row != nullptr);
        if (c.row) {
            EXPECT_EQ(fx.s.statusText, "Invalid data fields");
        }
    }
}

TEST(CheckHeaderRecord, EveryFieldBadGivesFiveRowsInTableOrder)
{
    CheckFixture fx;
    CheckHeaderRecord(fx.s, Rec("001", 96), 3);
    EXPECT_EQ(fx.Rows(), (std::vector<std::string>{
                             "001|3|4-15|Company Id|This field should not be space||",
                             "001|3|16-47|Customer Reference|This field should not be space||",
                             "001|3|48-55|Message/File Date|This field should be number||",
                             "001|3|56-61|Message/File Time|This field should be number||",
                             "001|3|62-64|Channel Id|This field should  be VYN||",
                         }));
}

TEST(CheckHeaderRecord, ShortLineIsReadAsFarAsItGoes)
{
    CheckFixture fx;
    CheckHeaderRecord(fx.s, ValidHeader().Cut(50), 1); // the date is cut to "20", time and channel missing
    EXPECT_EQ(fx.Rows(), (std::vector<std::string>{
                             "001|1|56-61|Message/File Time|This field should be number||",
                             "001|1|62-64|Channel Id|This field should  be VYN||",
                         }));
}
