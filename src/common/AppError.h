#pragma once
// The one error type that escapes a command: a file error, a number conversion
// error, a table store error or a zip error. It carries the exact text the user sees,
// whole: a text quoting a field may hold any byte, NUL included, which what() would
// cut short.
#include <stdexcept>
#include <string>

namespace tallivo {

class AppError : public std::runtime_error
{
public:
    enum class Kind { File, Conversion, Store, Zip, Other };

    AppError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind), m_message(message) {}
    Kind kind() const { return m_kind; }
    // The whole text, NUL bytes included.
    const std::string& message() const { return m_message; }

private:
    Kind m_kind;
    std::string m_message;
};

// The run-time's text for an operating-system error number: "File not found",
// "File access denied", "Disk full", ... or "I/O error %d".
std::string FileErrorText(int errorNumber);

// The same naming the file and adding what the system said:
// "File access denied: /srv/out.zip (Read-only file system)".
std::string FileErrorText(int errorNumber, const std::string& path);

// Raises the file error for an error number, without and with the file it concerns.
[[noreturn]] void ThrowFileError(int errorNumber);
[[noreturn]] void ThrowFileError(int errorNumber, const std::string& path);

} // namespace tallivo
