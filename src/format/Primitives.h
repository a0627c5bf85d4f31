#pragma once
// The field check primitives and the text-to-number conversions the record checks use.
// All work on single-byte text and have no side effects; the conversions raise the
// conversion error (AppError::Kind::Conversion) with the run-time's message.
#include "format/Fields.h"

#include <cstddef>
#include <cstdint>
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

// Without leading and trailing bytes of value 0x20 or less.
std::string_view Trim(std::string_view text);

// The run-time's real-number scan: leading blanks, optional sign, digits, optional
// point and digits, optional exponent, then the end (trailing blanks fail).
bool IsNumber(std::string_view text);
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
