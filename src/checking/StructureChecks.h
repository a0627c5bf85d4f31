#pragma once
#include "checking/CheckSession.h"

#include <string>

namespace tallivo {

// True when every line starts with a known record type code; lists the others.
bool CheckRecordTypes(CheckSession& s, const std::string& path);
// True when every line with a known code has that code's length; lists the others.
bool CheckRecordLengths(CheckSession& s, const std::string& path);

} // namespace tallivo
