#pragma once
#include <cstddef>
#include <string>

namespace tallivo {

// Writes every byte to the open file, resuming after interruptions and short writes;
// raises the file error of the first failed write, naming path when one is given.
void WriteAll(int fd, const char* data, std::size_t size, const std::string& path = {});

} // namespace tallivo
