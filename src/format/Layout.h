#pragma once
// What every record layout (HeaderLayout.h ... TrailerLayout.h) is made of: the record
// type codes and lengths, the Field type, and a compile-time test of a layout's table.
#include "format/Fields.h"
#include "format/RecordTypes.h"

#include <initializer_list>

namespace tallivo {

// The fields, listed in column order, start after the record type code, do not overlap,
// and end within the record type's length.
consteval bool LaysOut(std::string_view code, std::initializer_list<Field> fields)
{
    std::size_t end = kRecordCodeWidth;
    for (const Field& field : fields) {
        if (field.First() <= end)
            return false;
        end = field.Last();
    }
    return end <= RecordLength(code);
}

// The amount fields hold 16 digits (kAmountWidth), the date fields 8 (yyyymmdd).
consteval bool IsAmount(const Field& field)
{
    return field.Width() == kAmountWidth;
}
consteval bool IsDate(const Field& field)
{
    return field.Width() == kDateWidth;
}

} // namespace tallivo
