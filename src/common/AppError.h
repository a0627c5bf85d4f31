#pragma once
// The one error type that escapes a command: a file error, a number conversion
// error, a table store error or a zip error. It carries the exact text the user sees.
#include <stdexcept>
#include <string>

namespace tallivo {

class AppError : public std::runtime_error
{
public:
    enum class Kind { File, Conversion, Store, Zip, Other };

    AppError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The run-time's text for an operating-system error number: "File not found",
// "File access denied", "Disk full", ... or "I/O error %d".
std::string FileErrorText(int errorNumber);

// Raises the file error for errno as it stands now.
[[noreturn]] void ThrowFileError(int errorNumber);

} // namespace tallivo
