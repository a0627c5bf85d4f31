#include "RecordBuilder.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

TEST(CheckHeaderRecord, ValidHeaderGivesNoRow)
{
    for (std::string_view channel : {"VYN", "CNC"}) {
        CheckFixture fx;
        CheckHeaderRecord(fx.s, ValidHeader().Set(Header::ChannelId, channel), 1);
        EXPECT_TRUE(fx.Rows().empty()) << channel;
        EXPECT_TRUE(fx.s.ctx.dataValid);
    }
}

TEST(CheckHeaderRecord, EachRuleGivesItsRow)
{
    struct Case { const Field& field; std::string_view text; const char* row; };
    const Case cases[] = {
        {Header::CompanyId, "", "001|7|4-15|Company Id|This field should not be space||"},
        {Header::CustomerReference, "\t", "001|7|16-47|Customer Reference|This field should not be space||"},
        {Header::FileDate, "", "001|7|48-55|Message/File Date|This field should be number||"},
        {Header::FileDate, "2025011", "001|7|48-55|Message/File Date|This field should be number||"}, // trailing blank
        {Header::FileDate, " 2025011", nullptr}, // leading blanks pass the number test
        {Header::FileDate, "20251399", nullptr}, // a number, though no calendar date
        {Header::FileTime, "10:15", "001|7|56-61|Message/File Time|This field should be number||"},
        {Header::ChannelId, "vyn", "001|7|62-64|Channel Id|This field should  be VYN||"},
        {Header::ChannelId, " VY", "001|7|62-64|Channel Id|This field should  be VYN||"},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckHeaderRecord(fx.s, ValidHeader().Set(c.field, c.text), 7);
        const std::vector<std::string> expected = c.row ? std::vector<std::string>{c.row} : std::vector<std::string>{};
        EXPECT_EQ(fx.Rows(), expected) << c.field.columns << " '" << c.text << "'";
        EXPECT_EQ(fx.s.ctx.dataValid, c.row == nullptr);
        EXPECT_EQ(fx.s.hasFindingsToSave, c.row != nullptr);
        if (c.row) {
            EXPECT_EQ(fx.s.statusText, "Invalid data fields");
        }
    }
}

TEST(CheckHeaderRecord, EveryFieldBadGivesFiveRowsInTableOrder)
{
    CheckFixture fx;
    CheckHeaderRecord(fx.s, Rec(RecordCode::Header), 3);
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
