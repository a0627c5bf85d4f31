#include "app/OutputTargets.h"

#include "common/FilePaths.h"
#include "zip/ZipOutput.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace tallivo {

namespace {

struct NamedFile
{
    std::string path;
    const char* role;  // as a message names it (the seal's outputs)
    bool later;        // written by the front end after the command
    std::size_t index; // the seal's outputs: its place among them
};

// Why an existing path cannot take an output; empty when it can (or does not exist).
std::string NotAFile(const NamedFile& output)
{
    struct stat info
    {
    };
    if (::stat(output.path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode) && !output.later)
        return {};
    return "Cannot write " + output.path + ": it is not a regular file";
}

} // namespace

bool IsValidZipName(const std::string& zipName)
{
    const auto dot = zipName.find_last_of('.');
    const auto sep = zipName.find_last_of("\\:/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return true; // no extension
    std::string ext = zipName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == ".ZIP";
}

bool RefuseUnsafeOutputs(const AppState& app, Dialogs& dialogs, const std::vector<std::string>& laterOutputs,
                         bool withSealOutputs)
{
    std::vector<NamedFile> sealOutputs;
    if (app.outputMode == OutputMode::NewFile && !app.newFilePath.empty())
        sealOutputs.push_back({app.newFilePath, "the new file", false, sealOutputs.size()});
    if (!app.zipName.empty() && IsValidZipName(app.zipName))
        sealOutputs.push_back({ZipArchiveName(app.zipName), "the zip file", false, sealOutputs.size()});

    std::vector<NamedFile> checked = withSealOutputs ? sealOutputs : std::vector<NamedFile>{};
    for (const std::string& path : laterOutputs)
        if (!path.empty())
            checked.push_back({path, "", true, 0});

    for (const NamedFile& output : checked) {
        std::string refusal = NotAFile(output);
        if (refusal.empty() && (SameFile(output.path, app.inputPath) ||
                                (!app.inputOrigin.empty() && SameFile(output.path, app.inputOrigin))))
            refusal = "Cannot write " + output.path + ": it is the payment file";
        // The front end's own outputs are never written by one run together (an error
        // file follows a refusal, a PDF a completed seal): they meet the seal's alone.
        for (std::size_t j = 0; refusal.empty() && j < sealOutputs.size(); ++j)
            if ((output.later || output.index != j) && SameFile(output.path, sealOutputs[j].path))
                refusal = "Cannot write " + output.path + ": it is also " + sealOutputs[j].role;
        if (!refusal.empty()) {
            dialogs.ShowMessage(refusal);
            return true;
        }
    }
    return false;
}

} // namespace tallivo
