#pragma once
// The fields of one payment-file line, addressed by their column range.
#include <cstddef>
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

// The fields of one line: f["49-64"] is columns 49 to 64 as they stand, shorter where
// the line ends earlier and empty where it ends before the range.
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
    // The single character of a one-column field, or '\0' past the line's end.
    char At(std::size_t column) const { return column >= 1 && column <= m_line.size() ? m_line[column - 1] : '\0'; }
    std::string_view Line() const { return m_line; }

private:
    std::string_view m_line;
};

} // namespace tallivo
