#include "reports/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tallivo {

namespace {

// The value times 100, rounded half away from zero on its 18 significant decimal
// digits, as decimal digits (no sign, no leading zeros, "0" for zero).
std::string Cents(long double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(value)); // d.ddddddddddddddddde+XX
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    const long exponent = *p == 'e' ? std::strtol(p + 1, nullptr, 10) : 0;
    // digits hold 0.d1d2... times 10^(exponent + 1); cents keep exponent + 3 of them.
    const long keep = exponent + 3;
    std::string cents;
    bool roundUp = false;
    if (keep >= static_cast<long>(digits.size())) {
        cents = digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
    } else if (keep >= 0) {
        cents = digits.substr(0, static_cast<std::size_t>(keep));
        roundUp = digits[static_cast<std::size_t>(keep)] >= '5';
    }
    if (roundUp) {
        std::size_t i = cents.size();
        while (i > 0 && cents[i - 1] == '9')
            cents[--i] = '0';
        if (i == 0)
            cents.insert(cents.begin(), '1');
        else
            ++cents[i - 1];
    }
    const auto first = cents.find_first_not_of('0');
    return first == std::string::npos ? "0" : cents.substr(first);
}

std::string FormatFixed2(long double value, bool thousands)
{
    std::string cents = Cents(value);
    if (cents.size() < 3)
        cents.insert(0, 3 - cents.size(), '0');
    const std::string whole = cents.substr(0, cents.size() - 2);
    std::string text;
    if (value < 0 && cents.find_first_not_of('0') != std::string::npos)
        text += '-';
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (thousands && i > 0 && (whole.size() - i) % 3 == 0)
            text += ',';
        text += whole[i];
    }
    text += '.';
    text += cents.substr(cents.size() - 2);
    return text;
}

} // namespace

std::string AmountText(std::string_view line, const Field& amount)
{
    std::string text;
    AssignAmountText(text, line, amount);
    return text;
}

void AssignAmountText(std::string& text, std::string_view line, const Field& amount)
{
    const Fields f(line);
    text.assign(f[WholeDigits(amount)]);
    text += '.';
    text += f[DecimalDigits(amount)];
}

std::string FormatThousands2(long double value)
{
    return FormatFixed2(value, true);
}

std::string FormatPlain2(long double value)
{
    return FormatFixed2(value, false);
}

} // namespace tallivo
