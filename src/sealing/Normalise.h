#pragma once
#include <string>

namespace tallivo {

// Rewrites the payment file so that every credit record ("003") has a value in its
// Beneficiary Notification column 259: a blank there becomes "N". Every other byte
// stays as it was, line ends included; a Ctrl-Z byte and what follows are removed.
// The new content goes to a temporary file beside the payment file, which is renamed
// over it, so the file is never left partly written.
void NormaliseCreditRecords(const std::string& paymentPath);

// Removes a temporary file that a failed normalisation of this payment file left behind.
void RemoveNormaliseLeftovers(const std::string& paymentPath);

} // namespace tallivo
