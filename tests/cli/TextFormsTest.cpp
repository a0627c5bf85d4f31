// The CLI's text forms and FormatResult on grids built in code: UTF-8 and JSON that
// stay valid whatever the bytes, TSV rows that stay one line of the layout's cells.
#include "cli/CliFixtures.h"
#include "cli/GridOutput.h"
#include "cli/TextForms.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::cli;
using tallivo::test::JsonQuery;

TEST(TextForms, DecodedVisibleAndEscaped)
{
    struct Case
    {
        std::string bytes, message, visible, json;
    };
    const Case cases[] = {
        // ASCII is the same in every form.
        {"abc", "abc", "abc", "\"abc\""},
        // Single-byte Thai (not valid UTF-8) is decoded; UTF-8 given on the command line is kept.
        {"\xca\xc1", "\xe0\xb8\xaa\xe0\xb8\xa1", "\xe0\xb8\xaa\xe0\xb8\xa1", "\"\xe0\xb8\xaa\xe0\xb8\xa1\""},
        {"\xe0\xb8\xaa", "\xe0\xb8\xaa", "\xe0\xb8\xaa", "\"\xe0\xb8\xaa\""},
        // Control characters: control pictures for people, escapes in JSON.
        {std::string("a\0b\x1b[1m\x7f", 8), std::string("a\0b\x1b[1m\x7f", 8), "a\xe2\x90\x80" "b\xe2\x90\x9b[1m\xe2\x90\xa1",
         "\"a\\u0000b\\u001b[1m\\u007f\""},
        {"\"\\\t\r\n", "\"\\\t\r\n", "\"\\\xe2\x90\x89\xe2\x90\x8d\xe2\x90\x8a", "\"\\\"\\\\\\t\\r\\n\""},
        // A C1 control character in valid UTF-8 is never shown raw.
        {"\xc2\x9b", "\xc2\x9b", "\xef\xbf\xbd", "\"\xc2\x9b\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageUtf8(c.bytes), c.message) << c.bytes;
        EXPECT_EQ(Visible(MessageUtf8(c.bytes)), c.visible) << c.bytes;
        EXPECT_EQ(JsonString(MessageUtf8(c.bytes)), c.json) << c.bytes;
    }
    // Bytes that are no UTF-8 never reach JSON or a terminal as they are.
    EXPECT_EQ(JsonString("a\xff" "b"), "\"a\\ufffdb\"");
    EXPECT_EQ(Visible("a\xff"), "a\xef\xbf\xbd");
    // Thai marks above and below a letter take no column.
    EXPECT_EQ(DisplayWidth(FileTextUtf8("\xca\xd4\xb7\xb8\xd4\xec")), 3u); // สิทธิ์
}

TEST(TextForms, NumbersForJson)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12", "12"},     {"0", "0"},         {"007", "7"},   {"-3.50", "-3.50"}, {"40050.00", "40050.00"},
        {"", "null"},     {"1,000.00", "null"}, {"1.", "null"}, {".5", "null"},     {"12 ", "null"},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonNumber(text), json) << text;
}

TEST(FormatResult, TsvRowsStayLinesAndJsonStaysValidWhateverTheCells)
{
    AppState app;
    app.session.SetUpErrorLayout();
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    app.session.AddAccountError("003", "12", "1-3", "F\tG", every, "acc\r\nx", "\xca\xc1");
    app.session.AddError("", "", "", "", "");
    app.session.FlagInvalidData();

    const std::string tsv = FormatResult(app, OutputFormat::Tsv, {});
    ASSERT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 2);
    for (const std::string& line : {tsv.substr(0, tsv.find('\n')), tsv.substr(tsv.find('\n') + 1)})
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 7) << line;

    const std::string json = FormatResult(app, OutputFormat::Json, {every}, {"check", "f\xff.txt", 1});
    EXPECT_EQ(JsonQuery(json, "[len(objs), objs[0]['file'], objs[0]['findings'][0]['payee'], "
                              "objs[0]['findings'][1]['line'], len(objs[0]['rows'])]"),
              "[1, \"f\xef\xbf\xbd.txt\", \"\xe0\xb8\xaa\xe0\xb8\xa1\", null, 2]");
    EXPECT_EQ(JsonQuery(json, "objs[0]['messages'][0] == objs[0]['rows'][0][5]"), "true");

    // Text never carries a control byte other than its line ends.
    const std::string text = FormatResult(app, OutputFormat::Text, {});
    EXPECT_EQ(std::count_if(text.begin(), text.end(),
                            [](char ch) { return (static_cast<unsigned char>(ch) < 0x20 && ch != '\n') || ch == 0x7f; }),
              0);
}
