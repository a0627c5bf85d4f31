#pragma once
// The fields of a payment-file line: a field is a column range with the name findings
// print for it, stated once in the record type's layout (CreditLayout.h and its
// siblings); Fields reads a line by them, SetField writes one.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tallivo {

// A column range "a-b" (or a single column "a"), read from the literal at compile time.
struct ColumnRange
{
    std::size_t first = 0;
    std::size_t last = 0;

    consteval ColumnRange(const char* text)
    {
        std::size_t i = 0;
        first = ReadNumber(text, i);
        if (text[i] == '-') {
            ++i;
            last = ReadNumber(text, i);
        } else {
            last = first;
        }
        if (text[i] != '\0' || first == 0 || last < first)
            throw "malformed column range"; // a compile-time error: the literal is not "a-b"
    }
    constexpr ColumnRange(std::size_t firstColumn, std::size_t lastColumn) : first(firstColumn), last(lastColumn) {}

    constexpr std::size_t Width() const { return last - first + 1; }

private:
    static consteval std::size_t ReadNumber(const char* text, std::size_t& i)
    {
        std::size_t n = 0;
        if (text[i] < '0' || text[i] > '9')
            throw "malformed column range";
        while (text[i] >= '0' && text[i] <= '9')
            n = n * 10 + static_cast<std::size_t>(text[i++] - '0');
        return n;
    }
};

// One field of a record layout: its columns, the columns and the field name exactly as
// a finding's row prints them, and its width. Built at compile time only.
struct Field
{
    ColumnRange range;
    std::string_view columns; // as printed: "35-50", "62-62", or a lone "103"
    std::string_view name;

    consteval Field(const char* columnsText, const char* fieldName)
        : range(columnsText), columns(columnsText), name(fieldName)
    {
    }

    constexpr std::size_t First() const { return range.first; }
    constexpr std::size_t Last() const { return range.last; }
    constexpr std::size_t Width() const { return range.Width(); }

    // The same columns printed under another field name: for the findings that name a
    // field differently from the record's own rules.
    consteval Field PrintedAs(const char* otherName) const { return Field(columns, otherName, range); }

private:
    consteval Field(std::string_view columnsText, const char* fieldName, ColumnRange r)
        : range(r), columns(columnsText), name(fieldName)
    {
    }
};

// An amount field holds 16 digits, the last three after an implied decimal point.
inline constexpr std::size_t kAmountWidth = 16;
inline constexpr std::size_t kAmountDecimals = 3;
// The digits before the implied point.
constexpr ColumnRange WholeDigits(const Field& amount)
{
    return {amount.First(), amount.Last() - kAmountDecimals};
}
// The digits after the implied point.
constexpr ColumnRange DecimalDigits(const Field& amount)
{
    return {amount.Last() - kAmountDecimals + 1, amount.Last()};
}

// The parts of a yyyymmdd date field, each as far as the line holds it.
struct DateText
{
    std::string_view year;
    std::string_view month;
    std::string_view day;
};
inline constexpr std::size_t kDateWidth = 8;

// The fields of one line: f[Credit::Amount] is the field's columns as they stand,
// shorter where the line ends earlier and empty where it ends before the field.
class Fields
{
public:
    explicit Fields(std::string_view line) : m_line(line) {}

    std::string_view operator[](ColumnRange r) const
    {
        if (r.first > m_line.size())
            return {};
        return m_line.substr(r.first - 1, r.last - r.first + 1);
    }
    std::string_view operator[](const Field& field) const { return (*this)[field.range]; }
    // The single character of a column, or '\0' past the line's end.
    char At(std::size_t column) const { return column >= 1 && column <= m_line.size() ? m_line[column - 1] : '\0'; }
    // The character of a one-column field, or '\0' past the line's end.
    char At(const Field& field) const { return At(field.First()); }
    // The year, month and day of a yyyymmdd date field.
    DateText Date(const Field& date) const
    {
        const std::size_t first = date.First();
        return {(*this)[ColumnRange(first, first + 3)], (*this)[ColumnRange(first + 4, first + 5)],
                (*this)[ColumnRange(first + 6, first + 7)]};
    }
    std::string_view Line() const { return m_line; }

private:
    std::string_view m_line;
};

// Writes text into a field of a line being built, padded with blanks to the field's
// width. A text longer than the field, or a field past the line's end, is a mistake of
// the caller: std::logic_error.
inline void SetField(std::string& line, const Field& field, std::string_view text)
{
    if (text.size() > field.Width() || field.Last() > line.size())
        throw std::logic_error("the text does not fit field " + std::string(field.columns) + " (" +
                               std::string(field.name) + ")");
    const std::size_t at = field.First() - 1;
    line.replace(at, text.size(), text);
    line.replace(at + text.size(), field.Width() - text.size(), field.Width() - text.size(), ' ');
}

} // namespace tallivo
