#pragma once
#include <string>

namespace tallivo {

// A file of that name exists and is not a folder.
bool FileExists(const std::string& path);

} // namespace tallivo
