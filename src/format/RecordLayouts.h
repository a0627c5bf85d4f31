#pragma once
// Every record type's fields in column order, for showing a record field by field.
#include "format/Fields.h"

#include <optional>
#include <span>
#include <string_view>

namespace tallivo {

struct RecordLayout
{
    std::string_view code;
    std::string_view name; // the record type as people call it: "Credit", "WHT", ...
    std::size_t length;    // the record type's length
    std::span<const Field> fields;
};

// The layout of a line by its record type code; a debit record's by its product code
// too (layout B for the media clearing group). Nothing for a line of no known type.
std::optional<RecordLayout> LayoutOfLine(std::string_view line);

} // namespace tallivo
