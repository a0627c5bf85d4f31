#pragma once
// A program folder of the fuzz process's own (Data/ with fresh table files), and the
// parts of a payment file that the oracles need: its lines as the reader sees them and
// its normalised form, each worked out here in the plainest way.
#include "FuzzSupport.h"
#include "app/AppState.h"
#include "format/PaymentFileReader.h"
#include "store/TableStore.h"

#include <sys/stat.h>

#include <memory>
#include <string>

namespace tallivo::fuzz {

inline const std::string& ProgramFolder()
{
    static const std::string folder = [] {
        const std::string f = PrivateFolder() + "program/";
        ::mkdir(f.c_str(), 0700);
        ::mkdir((f + "Data").c_str(), 0700);
        ::mkdir((f + "Report").c_str(), 0700);
        CreateTableFiles(f + "Data/");
        return f;
    }();
    return folder;
}

// An application state over the private program folder, with a fixed date.
inline std::unique_ptr<AppState> NewAppState()
{
    auto app = std::make_unique<AppState>();
    app->programFolder = ProgramFolder();
    app->SetClock(std::make_shared<FixedClock>("20260101"));
    return app;
}

// How many lines the line reader gives for the file.
inline std::size_t LineCount(const std::string& path)
{
    PaymentFileReader reader(path);
    PaymentLine line;
    std::size_t n = 0;
    while (reader.Next(line))
        ++n;
    return n;
}

// The file as normalisation leaves it: everything from a Ctrl-Z on dropped, and in
// every line (ended by a CR, with the LF right after it) that starts with "003", a
// blank in column 259 made "N".
inline std::string Normalised(std::string bytes)
{
    if (const std::size_t z = bytes.find('\x1a'); z != std::string::npos)
        bytes.resize(z);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\r', start);
        if (end == std::string::npos)
            end = bytes.size();
        if (end - start >= 259 && bytes.compare(start, 3, "003") == 0 && bytes[start + 258] == ' ')
            bytes[start + 258] = 'N';
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return bytes;
}

} // namespace tallivo::fuzz
