#pragma once
#include <string>

namespace tallivo {

// True when more than 20 credit records stand under "XMQ" debits, or more than 20
// under "XDQ" debits.
bool ExceedsExpressChequeLimit(const std::string& path);

} // namespace tallivo
