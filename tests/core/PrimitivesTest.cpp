#include "format/Primitives.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

#include <string>

using namespace tallivo;
using namespace std::literals;

namespace {

// The conversion error's message for a text, or "" when the conversion succeeds.
template <typename F>
std::string ErrorOf(F&& convert)
{
    try {
        convert();
    } catch (const AppError& e) {
        EXPECT_EQ(e.kind(), AppError::Kind::Conversion);
        return e.what();
    }
    return "";
}

} // namespace

TEST(Trim, RemovesBlanksAndControlBytesAtBothEnds)
{
    struct Case { std::string_view in; std::string_view out; };
    const Case cases[] = {
        {"", ""}, {"   ", ""}, {"\t\r\n\x01", ""}, {"  a b  ", "a b"}, {"\x1f" "x\x7f", "x\x7f"}, {"\xa0z", "\xa0z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Trim(c.in), c.out) << '"' << c.in << '"';
}

// Long fields are scanned eight bytes at a time: every byte class at every place of a
// long field gives what a scan byte by byte gives.
TEST(Trim, LongFieldsAsByteByByte)
{
    const std::string_view kinds = "\x20\x00\x1f\x21\x30\x7f\x80\xa0\xff"sv;
    for (std::size_t length = 1; length <= 40; length += 3) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const char kind : kinds) {
                std::string text(length, ' ');
                text[at] = kind;
                text[length - 1 - at / 2] = kind;
                std::size_t first = 0;
                std::size_t last = text.size();
                while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
                    ++first;
                while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
                    --last;
                EXPECT_EQ(Trim(text), std::string_view(text).substr(first, last - first)) << length << ' ' << at;
            }
        }
    }
}

TEST(IsNumber, FollowsTheRealNumberScan)
{
    struct Case { std::string_view text; bool expected; };
    const Case cases[] = {
        {" 12", true}, {"12", true}, {"1.5e-3", true}, {".", true}, {"+.", true}, {"-.5", true}, {"E5", true},
        {"1.", true}, {"1E+10", true}, {"0000000000001230", true}, {"   -7", true},
        {"12 ", false}, {"", false}, {"   ", false}, {"+", false}, {"-", false}, {"1,000", false},
        {"0x10", false}, {"1 2", false}, {"\t12", false}, {"1e", false}, {"1e+", false}, {"e", false},
        {"1.2.3", false}, {"$10", false}, {"12\0"sv, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNumber(c.text), c.expected) << '"' << c.text << '"';

    // One byte other than a digit anywhere in a long run of digits.
    for (const char other : "/:.e \x80\xb0\xba\xff\x00"sv) {
        for (std::size_t at = 0; at < 20; ++at) {
            std::string text(20, '5');
            text[at] = other;
            const bool scanOk = other == '.' || (other == 'e' && at < 19) ||
                                (other == ' ' && at == 0);
            EXPECT_EQ(IsNumber(text), scanOk) << at << ' ' << int(static_cast<unsigned char>(other));
        }
    }
}

TEST(IsValidAccount, WeighsTheCheckDigit)
{
    struct Case { std::string_view text; bool expected; };
    const Case cases[] = {
        // 1111111111: weighted sum of nine ones is 36, check digit 4.
        {"1111111114", true}, {"1111111111", false},
        // 5555555550: sum 180, check digit 0. 0000000107: sum 3, check digit 7.
        {"5555555550", true},
        {"0000000107", true}, {"0000000108", false},
        // The 11-character form ignores its 4th character, whatever it is.
        {"111-1111114", false}, // "-" inside fails the number test
        {"11101111114", true}, {"11191111114", true}, {"111.1111114", true}, {"111E1111114", true},
        {"0000000000", false}, {"000X0000000", false}, {"111111111", false}, {"111111111114", false},
        {"", false}, {"11111111 4", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidAccount(c.text), c.expected) << '"' << c.text << '"';
}

TEST(AccountCheckDigit, WeighsTheFirstNineDigits)
{
    // The weights 4,3,2,7,6,5,4,3,2; the digit that completes the sum to a multiple of ten.
    EXPECT_EQ(AccountCheckDigit("111111111"), 4); // sum 36
    EXPECT_EQ(AccountCheckDigit("555555555"), 0); // sum 180
    EXPECT_EQ(AccountCheckDigit("000000010"), 7); // sum 3
    EXPECT_EQ(AccountCheckDigit("100000000"), 6); // the first weight is 4
    EXPECT_EQ(AccountCheckDigit("000000001"), 8); // the last weight is 2
    static_assert(AccountCheckDigit("111111111") == 4, "usable at compile time");
    // Every account the check digit completes is valid, the 11-character form too.
    for (const char* nine : {"123456789", "987654321", "000000019", "402000000"}) {
        std::string account = nine;
        account += static_cast<char>('0' + AccountCheckDigit(nine));
        EXPECT_TRUE(IsValidAccount(account)) << account;
        EXPECT_TRUE(IsValidAccount(account.substr(0, 3) + "7" + account.substr(3))) << account;
        account.back() = account.back() == '9' ? '0' : static_cast<char>(account.back() + 1);
        EXPECT_FALSE(IsValidAccount(account)) << account;
    }
}

TEST(IsValidAccount, ConversionOfAWeighedSignOrPointEscapes)
{
    EXPECT_EQ(ErrorOf([] { IsValidAccount("-111111114"); }), "'-' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { IsValidAccount("11111.1114"); }), "'.' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { IsValidAccount("  11111114"); }), "' ' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { IsValidAccount("111111111E5"); }), "'E' is not a valid integer value");
}

TEST(IsCleanName, RefusesForbiddenBytesAmongTheFirstCount)
{
    const std::string forbidden = "!#$%*;<=>?@[\\]^_{|}\x82\x84\x91\x98";
    for (char c : forbidden) {
        const std::string name = std::string("AB") + c + "CD";
        EXPECT_FALSE(IsCleanName(name, name.size())) << int(static_cast<unsigned char>(c));
        EXPECT_TRUE(IsCleanName(name, 2)) << "a forbidden byte after the count is not seen";
    }
    EXPECT_TRUE(IsCleanName("SMITH & SONS (THAILAND) CO., LTD. \"A\" 'B' +-/:`~\x80\xa1\xe0", 52));
    EXPECT_TRUE(IsCleanName("?", 0));
    EXPECT_TRUE(IsCleanName("AB", 10)) << "a count beyond the text stops at its end";

    // Blank padding is passed eight bytes at a time: a forbidden byte anywhere among it,
    // before or after the count.
    for (std::size_t at = 0; at < 40; ++at) {
        std::string padded = "NAME" + std::string(36, ' ');
        padded[at] = '@';
        EXPECT_FALSE(IsCleanName(padded, padded.size())) << at;
        EXPECT_EQ(IsCleanName(padded, 20), at >= 20) << at;
    }
}

TEST(IsFullAmount, WantsSixteenCharactersOtherThanZero)
{
    struct Case { std::string_view text; bool expected; };
    const Case cases[] = {
        {"0000000000000000", false}, {"0000000000012340", true}, {" 000000000012340", false},
        {"000000000012340 ", false}, {"000000000001234", false}, {"00000000000.1230", true},
        {"-000000000012340", true}, {"ABCDEFGHIJKLMNOP", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsFullAmount(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(ErrorOf([] { IsFullAmount("E500000000000000"); }),
              "'E500000000000000' is not a valid floating point value");
}

TEST(IsPositiveTwoDigit, WantsTwoCharactersAboveZero)
{
    struct Case { std::string_view text; bool expected; };
    const Case cases[] = {
        {"00", false}, {"01", true}, {"99", true}, {"-1", false}, {" 1", false}, {"1 ", false}, {"1", false},
        {"5.", true}, {"AB", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPositiveTwoDigit(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(ErrorOf([] { IsPositiveTwoDigit("E1"); }), "'E1' is not a valid floating point value");
}

TEST(IsValidDate, ChecksTheProlepticGregorianCalendar)
{
    struct Case { std::string_view y, m, d; bool expected; };
    const Case cases[] = {
        {"2024", "02", "29", true}, {"2023", "02", "29", false}, {"2000", "02", "29", true},
        {"1900", "02", "29", false}, {"2024", "13", "01", false}, {"2024", "1 ", "01", false},
        {"2024", " 1", "01", true}, {"0000", "01", "01", false}, {"9999", "12", "31", true},
        {"2024", "04", "31", false}, {"2024", "00", "10", false}, {"2024", "01", "00", false},
        {"ABCD", "01", "01", false}, {"    ", "  ", "  ", false}, {"$7E8", "01", "01", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidDate(c.y, c.m, c.d), c.expected) << c.y << '|' << c.m << '|' << c.d;
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalForms)
{
    struct Case { std::string_view text; std::int32_t value; };
    const Case cases[] = {
        {"0", 0}, {"000123", 123}, {"  42", 42}, {"+7", 7}, {"-7", -7}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"$ff", 255}, {"xFF", 255}, {"X10", 16}, {"0x1a", 26}, {"0XA", 10},
        {"$FFFFFFFF", -1}, {"$80000000", -2147483647 - 1}, {"  $0000000001", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrToInt, RefusesEverythingElseWithTheIntegerMessage)
{
    const std::string_view bad[] = {"",     " ",         "12 ",        "1.0",          "1e3",    "+",
                                    "-$1",  "$",         "0x",         "$1FFFFFFFF",  "2147483648", "-2147483649",
                                    "\t1",  "1 2",       "0012a",      "+ 1"};
    for (std::string_view t : bad)
        EXPECT_EQ(ErrorOf([&] { StrToInt(t); }), "'" + std::string(t) + "' is not a valid integer value") << t;
}

TEST(StrToFloat, AcceptsTheConversionSyntax)
{
    struct Case { std::string_view text; long double value; };
    const Case cases[] = {
        {"0000000000012340", 12340.0L}, {"  1.5  ", 1.5L}, {"-2.", -2.0L}, {".", 0.0L}, {"+.25", 0.25L},
        {"1e3", 1000.0L}, {"1E", 1.0L}, {"1e+", 1.0L}, {"2.5e-1", 0.25L}, {" 1e-99999999999", 0.0L},
        {"9999999999999999999", 9999999999999999999.0L}, {"99999999999999999999", 99999999999999999999.0L},
        {"-0000000001234560 ", -1234560.0L}, {"12.", 12.0L},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToFloat(c.text), c.value) << '"' << c.text << '"';
}

// Texts of digits alone, the common form of amounts and counts, are converted eight
// digits at a time: every length and every digit at every place gives the exact value.
TEST(StrToFloat, DigitsAloneGiveTheirExactValue)
{
    for (std::size_t length = 1; length <= 19; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const char digit : "0123456789"sv) {
                std::string text(length, static_cast<char>('0' + (length + at) % 10));
                text[at] = digit;
                std::uint64_t expected = 0;
                for (const char c : text)
                    expected = expected * 10 + static_cast<std::uint64_t>(c - '0');
                EXPECT_EQ(StrToFloat(text), static_cast<long double>(expected)) << text;
                if (length <= 9) {
                    EXPECT_EQ(StrToInt(text), static_cast<std::int32_t>(expected)) << text;
                }
            }
        }
    }
}

TEST(StrToFloat, RefusesOtherSyntaxAndOverflowWithTheFloatMessage)
{
    const std::string_view bad[] = {"", " ", "E5", "+E5", "inf", "nan", "0x10", "1,5", "1.2.3", "1 2",
                                    "1e5x", "--1", "1e99999", "\t1"};
    for (std::string_view t : bad)
        EXPECT_EQ(ErrorOf([&] { StrToFloat(t); }), "'" + std::string(t) + "' is not a valid floating point value")
            << t;
}

TEST(StrToCurr, IsExactAndRoundsToFourDecimals)
{
    struct Case { std::string_view text; std::int64_t scaled; };
    const Case cases[] = {
        {"150", 1500000}, {"160.75", 1607500}, {"-0.5", -5000}, {"0.00005", 1}, {"0.00004999", 0},
        {"-0.00005", -1}, {" 1.23456 ", 12346}, {"1e2", 1000000}, {"12345e-6", 123}, {".", 0},
        {"922337203685477.5807", 9223372036854775807LL}, {"-922337203685477.5808", INT64_MIN},
        {"0.1", 1000}, {"000000000000000000000001", 10000}, {"0e999999", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToCurr(c.text).scaled, c.scaled) << '"' << c.text << '"';
    EXPECT_EQ(ErrorOf([] { StrToCurr("922337203685477.5808"); }),
              "'922337203685477.5808' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([] { StrToCurr("1e20"); }), "'1e20' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([] { StrToCurr("E5"); }), "'E5' is not a valid floating point value");
}

TEST(Currency, WritesPlainNotationWithoutTrailingZeros)
{
    struct Case { std::int64_t scaled; std::string_view text; };
    const Case cases[] = {
        {1500000, "150"}, {1607500, "160.75"}, {-5000, "-0.5"}, {0, "0"}, {1, "0.0001"},
        {12345678, "1234.5678"}, {INT64_MIN, "-922337203685477.5808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Currency{c.scaled}.ToText(), c.text);
}
