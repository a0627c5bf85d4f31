#pragma once
// The field check primitives and the text-to-number conversions the record checks use.
// All work on single-byte text and have no side effects; the conversions raise the
// conversion error (AppError::Kind::Conversion) with the run-time's message.
#include "format/Fields.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tallivo {

// An exact fixed-point value with four decimals (the value times 10000).
struct Currency
{
    std::int64_t scaled = 0;

    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
    friend auto operator<=>(Currency a, Currency b) { return a.scaled <=> b.scaled; }
    Currency operator+(Currency o) const { return {scaled + o.scaled}; }
    Currency operator*(std::int64_t n) const { return {scaled * n}; }
    // Plain decimal notation: no thousands separator, no trailing zeros (150, 160.75).
    std::string ToText() const;
};

// The scans below run on every field of every record. The fields are long and often
// blank or all digits for most of their width, so such runs are passed eight bytes at a
// time; defined here so that each check's fixed field width shapes its scan.
namespace scan {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline std::uint64_t EightBytes(const char* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Every one of the eight bytes is at most 0x20 (a blank or a control character).
inline bool AllBlank(std::uint64_t word)
{
    // A byte above 0x20 either has its high bit set or carries into it when 0x5F is added.
    return ((word + kEveryByte * 0x5F) | word) & kHighBits ? false : true;
}

// Every one of the eight bytes is a digit "0" to "9".
inline bool AllDigits(std::uint64_t word)
{
    // Below "0" borrows into the high bit, above "9" carries into it; a byte that already
    // has it set is no digit either.
    return ((word - kEveryByte * 0x30) | (word + kEveryByte * 0x46) | word) & kHighBits ? false : true;
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The position of the first byte at or after from that is no digit (the text's size when none is).
inline std::size_t SkipDigits(std::string_view text, std::size_t from)
{
    std::size_t i = from;
    while (text.size() - i >= 8 && AllDigits(EightBytes(text.data() + i)))
        i += 8;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

} // namespace scan

// Without leading and trailing bytes of value 0x20 or less.
inline std::string_view Trim(std::string_view text)
{
    const char* data = text.data();
    std::size_t first = 0;
    std::size_t last = text.size();
    while (last - first >= 8 && scan::AllBlank(scan::EightBytes(data + first)))
        first += 8;
    while (first < last && static_cast<unsigned char>(data[first]) <= 0x20)
        ++first;
    while (last - first >= 8 && scan::AllBlank(scan::EightBytes(data + last - 8)))
        last -= 8;
    while (last > first && static_cast<unsigned char>(data[last - 1]) <= 0x20)
        --last;
    return text.substr(first, last - first);
}

// The run-time's real-number scan: leading blanks, optional sign, digits, optional
// point and digits, optional exponent, then the end (trailing blanks fail).
inline bool IsNumber(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == n)
        return false; // nothing after the blanks and the sign
    i = scan::SkipDigits(text, i);
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && scan::IsDigit(text[i]))
            ++i;
    }
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (i == n || !scan::IsDigit(text[i]))
            return false;
        while (i < n && scan::IsDigit(text[i]))
            ++i;
    }
    return i == n;
}

// The check digit of a home-bank account number: its first nine digits ('0' to '9')
// weighted 4, 3, 2, 7, 6, 5, 4, 3, 2; the digit that brings the sum to a multiple of ten.
constexpr int AccountCheckDigit(std::string_view nineDigits)
{
    constexpr int kWeights[9] = {4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (std::size_t i = 0; i < 9; ++i)
        sum += kWeights[i] * (nineDigits[i] - '0');
    return sum % 10 == 0 ? 0 : 10 - sum % 10;
}
// A valid home-bank account number (10 characters, or 11 with an unweighed 4th one,
// the last the AccountCheckDigit of the others).
bool IsValidAccount(std::string_view text);
// None of the first count characters is a forbidden byte.
bool IsCleanName(std::string_view text, std::size_t count);
// A number other than zero whose trimmed form is exactly 16 characters.
bool IsFullAmount(std::string_view text);
// The three texts form a valid calendar date (proleptic Gregorian, years 1 to 9999).
bool IsValidDate(std::string_view year, std::string_view month, std::string_view day);
inline bool IsValidDate(const DateText& date)
{
    return IsValidDate(date.year, date.month, date.day);
}
// A number above zero whose trimmed form is exactly 2 characters.
bool IsPositiveTwoDigit(std::string_view text);

// Integer conversion: "'%s' is not a valid integer value" on failure.
std::int32_t StrToInt(std::string_view text);
// Float conversion (extended precision): "'%s' is not a valid floating point value".
long double StrToFloat(std::string_view text);
// Currency conversion: the float conversion's syntax, rounded to four decimals.
Currency StrToCurr(std::string_view text);

} // namespace tallivo
