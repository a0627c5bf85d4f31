#pragma once
#include <cstddef>

namespace tallivo {

// Writes every byte to the open file, resuming after interruptions and short writes;
// raises the file error of the first failed write.
void WriteAll(int fd, const char* data, std::size_t size);

} // namespace tallivo
