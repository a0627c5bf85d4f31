#pragma once
// The schema of the local tables (data/tables.sql), built into the program: one
// "CREATE TABLE" statement per table file.
#include <string_view>

namespace tallivo {

// The whole schema text, comments included.
std::string_view TableSchemaSql();

} // namespace tallivo
