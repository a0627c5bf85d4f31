#pragma once

namespace tallivo {

// Which rules the check and seal commands apply to the payment file: the window's
// (record types, lengths, the express cheque limit, every field), or those and the
// strict checks of the file's frame (checking/StrictChecks.h) besides.
enum class FileRules { Standard, Strict };

} // namespace tallivo
