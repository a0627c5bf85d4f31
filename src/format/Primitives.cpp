#include "format/Primitives.h"

#include "common/AppError.h"

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace tallivo {

namespace {

// The decimal separator of the float and currency conversions (the regional one; "." here).
constexpr char kDecimalSeparator = '.';

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void ThrowIntegerError(std::string_view text)
{
    throw AppError(AppError::Kind::Conversion, "'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void ThrowFloatError(std::string_view text)
{
    throw AppError(AppError::Kind::Conversion, "'" + std::string(text) + "' is not a valid floating point value");
}

// The parts of a text in the syntax of the float and currency conversions:
// blanks, sign, digits with at most one separator (at least one digit or separator),
// optional exponent letter with optional sign and any number of digits, blanks.
struct FloatText
{
    bool negative = false;
    std::string_view intDigits;
    std::string_view fracDigits;
    bool expNegative = false;
    std::string_view expDigits;
};

bool ParseFloatText(std::string_view t, FloatText& out)
{
    std::size_t i = 0;
    const std::size_t n = t.size();
    while (i < n && t[i] == ' ')
        ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) {
        out.negative = t[i] == '-';
        ++i;
    }
    std::size_t start = i;
    while (i < n && IsDigit(t[i]))
        ++i;
    out.intDigits = t.substr(start, i - start);
    bool separator = false;
    if (i < n && t[i] == kDecimalSeparator) {
        separator = true;
        ++i;
        start = i;
        while (i < n && IsDigit(t[i]))
            ++i;
        out.fracDigits = t.substr(start, i - start);
    }
    if (out.intDigits.empty() && out.fracDigits.empty() && !separator)
        return false;
    if (i < n && (t[i] == 'E' || t[i] == 'e')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) {
            out.expNegative = t[i] == '-';
            ++i;
        }
        start = i;
        while (i < n && IsDigit(t[i]))
            ++i;
        out.expDigits = t.substr(start, i - start);
    }
    while (i < n && t[i] == ' ')
        ++i;
    return i == n;
}

// The exponent's value, saturated far beyond any range a result can reach.
long long ExponentValue(const FloatText& f)
{
    constexpr long long kSaturated = 1'000'000'000LL;
    long long e = 0;
    for (char c : f.expDigits) {
        e = e * 10 + (c - '0');
        if (e > kSaturated) {
            e = kSaturated;
            break;
        }
    }
    return f.expNegative ? -e : e;
}

locale_t CLocale()
{
    static const locale_t loc = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

} // namespace

std::string Currency::ToText() const
{
    const bool negative = scaled < 0;
    // Magnitude without overflow for the most negative value.
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(scaled + 1)) + 1 : static_cast<std::uint64_t>(scaled);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::uint64_t frac = magnitude % 10000;
    if (frac != 0) {
        std::string digits = std::to_string(frac);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += '.';
        text += digits;
    }
    return text;
}

bool IsValidAccount(std::string_view text)
{
    if (!IsNumber(text) || (text.size() != 10 && text.size() != 11))
        return false;
    char tenChars[10];
    for (std::size_t i = 0, j = 0; i < text.size(); ++i) {
        if (text.size() == 11 && i == 3)
            continue; // the 4th character of the 11-character form is not weighed
        tenChars[j++] = text[i];
    }
    const std::string_view ten(tenChars, 10);
    // Each character is converted on its own, in order: the first that is not a digit
    // raises its conversion error. Past this loop all ten are digits.
    int d[10];
    for (int i = 0; i < 10; ++i)
        d[i] = StrToInt(ten.substr(static_cast<std::size_t>(i), 1));
    return AccountCheckDigit(ten) == d[9] && StrToCurr(ten).scaled != 0;
}

bool IsCleanName(std::string_view text, std::size_t count)
{
    if (count > text.size())
        count = text.size();
    constexpr std::uint64_t kEightBlanks = scan::kEveryByte * ' ';
    for (std::size_t i = 0; i < count; ++i) {
        // Names are padded with blanks, which are clean: passed eight at a time.
        while (count - i >= 8 && scan::EightBytes(text.data() + i) == kEightBlanks)
            i += 8;
        if (i == count)
            break;
        switch (static_cast<unsigned char>(text[i])) {
        case 0x21: case 0x23: case 0x24: case 0x25: case 0x2A:
        case 0x3B: case 0x3C: case 0x3D: case 0x3E: case 0x3F: case 0x40:
        case 0x5B: case 0x5C: case 0x5D: case 0x5E: case 0x5F:
        case 0x7B: case 0x7C: case 0x7D:
        case 0x82: case 0x84: case 0x91: case 0x98:
            return false;
        default:
            break;
        }
    }
    return true;
}

bool IsFullAmount(std::string_view text)
{
    if (IsNumber(text) && StrToFloat(text) != 0)
        return Trim(text).size() == 16;
    return false;
}

bool IsValidDate(std::string_view year, std::string_view month, std::string_view day)
{
    int y = 0;
    int m = 0;
    int d = 0;
    try {
        y = StrToInt(year);
        m = StrToInt(month);
        d = StrToInt(day);
    } catch (const AppError&) {
        return false;
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int days = m == 2 && leap ? 29 : kDaysInMonth[m - 1];
    return d <= days;
}

bool IsPositiveTwoDigit(std::string_view text)
{
    if (IsNumber(text) && StrToFloat(text) > 0)
        return Trim(text).size() == 2;
    return false;
}

namespace {

// The text is one to `most` digits and nothing else: the common form of the amount and
// count fields, converted without the general scan.
bool OnlyDigits(std::string_view text, std::size_t most)
{
    return !text.empty() && text.size() <= most && scan::SkipDigits(text, 0) == text.size();
}

// The value of eight digits "0" to "9", the first the most significant, eight at once.
std::uint64_t EightDigitsValue(std::uint64_t word)
{
    constexpr std::uint64_t kMask = 0x000000FF000000FFULL;
    constexpr std::uint64_t kHundredAndMillion = 100 + (1000000ULL << 32);
    constexpr std::uint64_t kOneAndTenThousand = 1 + (10000ULL << 32);
    word -= scan::kEveryByte * '0';
    word = word * 10 + (word >> 8); // pairs of digits
    return (((word & kMask) * kHundredAndMillion) + (((word >> 16) & kMask) * kOneAndTenThousand)) >> 32;
}

std::uint64_t DigitsValue(std::string_view digits)
{
    std::uint64_t value = 0;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; digits.size() - i >= 8; i += 8)
            value = value * 100000000 + EightDigitsValue(scan::EightBytes(digits.data() + i));
    }
    for (; i < digits.size(); ++i)
        value = value * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    return value;
}

} // namespace

std::int32_t StrToInt(std::string_view text)
{
    if (OnlyDigits(text, 9)) // below the limit whatever the digits
        return static_cast<std::int32_t>(DigitsValue(text));
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    const std::string_view rest = text.substr(i);
    std::size_t hexPrefix = 0;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X'))
        hexPrefix = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        hexPrefix = 2;

    if (hexPrefix > 0) {
        const std::string_view digits = rest.substr(hexPrefix);
        if (digits.empty())
            ThrowIntegerError(text);
        std::uint64_t value = 0;
        for (char c : digits) {
            const int v = HexValue(c);
            if (v < 0)
                ThrowIntegerError(text);
            value = value * 16 + static_cast<std::uint64_t>(v);
            if (value > 0xFFFFFFFFULL)
                ThrowIntegerError(text);
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    std::size_t j = 0;
    bool negative = false;
    if (j < rest.size() && (rest[j] == '+' || rest[j] == '-')) {
        negative = rest[j] == '-';
        ++j;
    }
    if (j == rest.size())
        ThrowIntegerError(text);
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; j < rest.size(); ++j) {
        if (!IsDigit(rest[j]))
            ThrowIntegerError(text);
        value = value * 10 + (rest[j] - '0');
        if (value > limit)
            ThrowIntegerError(text);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

long double StrToFloat(std::string_view text)
{
    if (OnlyDigits(text, 19))
        return static_cast<long double>(DigitsValue(text));
    FloatText f;
    if (!ParseFloatText(text, f))
        ThrowFloatError(text);
    // Whole numbers of up to 19 digits (the amount fields) are exact in extended
    // precision: no need to go through the C library.
    if (f.fracDigits.empty() && f.expDigits.empty() && f.intDigits.size() <= 19) {
        const long double value = static_cast<long double>(DigitsValue(f.intDigits));
        return f.negative ? -value : value;
    }
    // Rebuild the number in a form the C library reads without any locale or
    // extension of its own: digits, ".", digits, "e", exponent.
    std::string plain;
    plain.reserve(f.intDigits.size() + f.fracDigits.size() + 24);
    if (f.negative)
        plain += '-';
    plain += f.intDigits.empty() ? std::string_view("0") : f.intDigits;
    if (!f.fracDigits.empty()) {
        plain += '.';
        plain += f.fracDigits;
    }
    if (!f.expDigits.empty()) {
        plain += 'e';
        plain += std::to_string(ExponentValue(f));
    }
    errno = 0;
    char* end = nullptr;
    const long double value = ::strtold_l(plain.c_str(), &end, CLocale());
    if (end != plain.c_str() + plain.size() || std::isinf(value) || std::isnan(value))
        ThrowFloatError(text);
    return value;
}

Currency StrToCurr(std::string_view text)
{
    FloatText f;
    if (!ParseFloatText(text, f))
        ThrowFloatError(text);
    // The value is digits x 10^shift in units of 1/10000, where digits are the integer and
    // fraction digits together; it is computed exactly and rounded half away from zero.
    const long long shift = ExponentValue(f) - static_cast<long long>(f.fracDigits.size()) + 4;
    std::string_view intPart = f.intDigits;
    std::string_view fracPart = f.fracDigits;
    auto digitAt = [&](std::size_t k) { return k < intPart.size() ? intPart[k] : fracPart[k - intPart.size()]; };
    const std::size_t total = intPart.size() + fracPart.size();
    std::size_t first = 0;
    while (first < total && digitAt(first) == '0')
        ++first; // leading zeros carry no value
    const std::uint64_t limit =
        f.negative ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
                   : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

    // Digits kept (before the rounding position) and the first digit dropped.
    const long long significant = static_cast<long long>(total - first);
    long long kept = significant + shift; // digits left of the rounding position
    std::uint64_t value = 0;
    bool roundUp = false;
    if (significant > 0 && kept > 0) {
        const long long fromDigits = std::min(kept, significant);
        for (long long k = 0; k < fromDigits; ++k) {
            const auto d = static_cast<std::uint64_t>(digitAt(first + static_cast<std::size_t>(k)) - '0');
            if (value > (limit - d) / 10)
                ThrowFloatError(text);
            value = value * 10 + d;
        }
        for (long long k = fromDigits; k < kept; ++k) {
            if (value > limit / 10)
                ThrowFloatError(text);
            value *= 10;
        }
        if (kept < significant)
            roundUp = digitAt(first + static_cast<std::size_t>(kept)) >= '5';
    } else if (significant > 0 && kept == 0) {
        roundUp = digitAt(first) >= '5';
    }
    if (roundUp) {
        if (value >= limit)
            ThrowFloatError(text);
        ++value;
    }
    Currency c;
    c.scaled = f.negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
    return c;
}

} // namespace tallivo
