#pragma once
// What tallivo-cli diff prints: each change as it is found, then the credits' totals,
// as text (one line per change) or as one JSON object (schema 1).
#include "comparing/PaymentFileDiff.h"

#include <functional>
#include <string>
#include <string_view>

namespace tallivo::cli {

enum class DiffFormat { Text, Json };

class DiffWriter
{
public:
    DiffWriter(DiffFormat format, std::string oldName, std::string newName,
               std::function<void(std::string_view)> sink);

    // One change, written at once.
    void Change(const RecordChange& change);
    // The totals and the end of the output.
    void Finish(const DiffOutcome& outcome);

private:
    void Start();

    DiffFormat m_format;
    std::string m_oldName;
    std::string m_newName;
    std::function<void(std::string_view)> m_sink;
    bool m_started = false;
    bool m_firstChange = true;
};

} // namespace tallivo::cli
