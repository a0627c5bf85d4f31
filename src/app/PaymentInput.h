#pragma once
// Whether a command that reads a payment file whole can read the one it is given.
#include <string>

namespace tallivo {

// Why the file cannot be read, or an empty text: an empty name or a missing file ("Input
// File does not exist" for the payment file, "Cannot read <path>: it does not exist" for
// another), a folder, or a pipe, device or socket (which a read would wait on for ever).
std::string UnreadablePaymentFile(const std::string& path, bool isPaymentFile);

} // namespace tallivo
