#pragma once
// The record type codes of a payment file and the fixed length of each record type.
#include <cstddef>
#include <string_view>

namespace tallivo {

struct RecordType
{
    std::string_view code;
    std::size_t length;
};

// In the order the structural checks test them.
inline constexpr RecordType kRecordTypes[] = {
    {"001", 96},  // file header record
    {"002", 109}, // debit record
    {"003", 355}, // credit record
    {"004", 816}, // payee record
    {"005", 138}, // withholding-tax (WHT) record
    {"006", 196}, // invoice record
    {"007", 300}, // direct-debit batch record
    {"008", 200}, // direct-debit item record
    {"999", 31},  // trailer record
};

// The known record type of a line (its first three characters), or nullptr.
inline const RecordType* FindRecordType(std::string_view line)
{
    if (line.size() < 3)
        return nullptr;
    const std::string_view code = line.substr(0, 3);
    for (const RecordType& type : kRecordTypes)
        if (type.code == code)
            return &type;
    return nullptr;
}

// Field "a-b" of a line: columns a to b (counted from 1), shorter where the line ends
// earlier, empty when a lies past the end.
inline std::string_view Columns(std::string_view line, std::size_t first, std::size_t last)
{
    if (first == 0 || first > line.size())
        return {};
    return line.substr(first - 1, last - first + 1);
}

} // namespace tallivo
