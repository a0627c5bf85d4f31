#include "cli/Options.h"

#include <string>

namespace tallivo::cli::options {

constexpr OptionDescription Format{"--format", "text|tsv|json", "text tsv json",
                        "how check and seal print the result grid (default\n"
                        "text); json: one object per FILE (schema 1)"};
constexpr OptionDescription Errors{"--errors", "OUT", nullptr, "write the error file that the Save button would write"};
constexpr OptionDescription Strict{"--strict", nullptr, nullptr,
                        "check, seal: also a finding: no lines, no header\n"
                        "first or trailer last, a second header or trailer,\n"
                        "bytes after a Ctrl-Z; such a file is never sealed"};
constexpr OptionDescription Zip{"--zip", "ZIP", nullptr,
                     "seal: the zip archive (\".zip\" added when it has no\n"
                     "extension)"};
constexpr OptionDescription NewFile{"--new-file", "OUT", nullptr, "seal: into OUT instead of over FILE"};
constexpr OptionDescription InvalidAccounts{"--invalid-accounts", "A", "abort ignore cancel",
                                 "seal, fee: the answer to \"There are some invalid\n"
                                 "Orvane Account...\": abort (default), ignore (Ignore,\n"
                                 "then Yes) or cancel (Ignore, then Cancel)"};
constexpr OptionDescription ReportPdf{"--report-pdf", "PDF", nullptr, "seal: afterwards, the payment report as PDF", false,
                                      true};
constexpr OptionDescription Quiet{"-q,--quiet", nullptr, nullptr, "leave out what is not a finding or an error", true};

const std::vector<const OptionDescription*>& Shared()
{
    static const std::vector<const OptionDescription*> shared = {&Format,          &Errors,    &Strict, &Zip, &NewFile,
                                                          &InvalidAccounts, &ReportPdf, &Quiet};
    return shared;
}

OutputFormat FormatOf(const Arguments& args)
{
    const std::string name = args.Value(Format).value_or("text");
    if (name == "tsv")
        return OutputFormat::Tsv;
    if (name == "json")
        return OutputFormat::Json;
    return OutputFormat::Text;
}

std::vector<MsgButton> InvalidAccountAnswersOf(const Arguments& args)
{
    const std::string name = args.Value(InvalidAccounts).value_or("abort");
    if (name == "ignore")
        return {MsgButton::Ignore, MsgButton::Yes};
    if (name == "cancel")
        return {MsgButton::Ignore, MsgButton::Cancel};
    return {MsgButton::Abort};
}

} // namespace tallivo::cli::options
