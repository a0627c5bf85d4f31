#pragma once
// The record type codes of a payment file and the fixed length of each record type.
#include <cstddef>
#include <string_view>

namespace tallivo {

// The code in columns 1-3 of every record.
namespace RecordCode {
inline constexpr std::string_view Header = "001";
inline constexpr std::string_view Debit = "002";
inline constexpr std::string_view Credit = "003";
inline constexpr std::string_view Payee = "004";
inline constexpr std::string_view Wht = "005"; // withholding tax
inline constexpr std::string_view Invoice = "006";
inline constexpr std::string_view DirectDebitBatch = "007";
inline constexpr std::string_view DirectDebitItem = "008";
inline constexpr std::string_view Trailer = "999";
} // namespace RecordCode

// The width of the record type code.
inline constexpr std::size_t kRecordCodeWidth = 3;

struct RecordType
{
    std::string_view code;
    std::size_t length;
};

// In the order the structural checks test them.
inline constexpr RecordType kRecordTypes[] = {
    {RecordCode::Header, 96},
    {RecordCode::Debit, 109},
    {RecordCode::Credit, 355},
    {RecordCode::Payee, 816},
    {RecordCode::Wht, 138},
    {RecordCode::Invoice, 196},
    {RecordCode::DirectDebitBatch, 300},
    {RecordCode::DirectDebitItem, 200},
    {RecordCode::Trailer, 31},
};

// The fixed length of a known record type code, 0 for any other text.
constexpr std::size_t RecordLength(std::string_view code)
{
    for (const RecordType& type : kRecordTypes)
        if (type.code == code)
            return type.length;
    return 0;
}

// The record type code of a line: its first three characters (fewer on a shorter line).
constexpr std::string_view CodeOf(std::string_view line)
{
    return line.substr(0, kRecordCodeWidth);
}

// The known record type of a line (its first three characters), or nullptr.
inline const RecordType* FindRecordType(std::string_view line)
{
    if (line.size() < kRecordCodeWidth)
        return nullptr;
    const std::string_view code = CodeOf(line);
    for (const RecordType& type : kRecordTypes)
        if (type.code == code)
            return &type;
    return nullptr;
}

} // namespace tallivo
