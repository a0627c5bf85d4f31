// The help texts of tallivo-cli and its version line. The man page is made from
// GeneralHelp() and VersionText() at build time, so every line stays within 80
// columns and the sections start with a line ending in ':'.
#include "cli/Arguments.h"

#include "common/Version.h"

namespace tallivo::cli {

namespace {

const char* const kFiles = R"(Files:
  Settings, each key from the first file that sets it: the user's own
  $XDG_CONFIG_HOME/tallivo/Config.ini (default ~/.config/tallivo/Config.ini),
  the machine's /etc/tallivo/Config.ini, then Data/Config.ini in the program
  folder.
  Table files: the program folder's Data/ when it is writable (a build or
  copied folder); otherwise each user's $XDG_DATA_HOME/tallivo/Data/ (default
  ~/.local/share/tallivo/Data/), made on first use from the program's pristine
  copies.
  Report templates: Report/ in the program folder.
)";

const char* const kSettings = R"(Settings file:
  Read line by line. "[Name]" starts a section and "Key=Value" in it sets a
  key; names match in any letter case, blanks and tabs around names and values
  are dropped, and the first matching key counts. A value runs to the end of
  its line (at most 2047 characters): there are no comments after a value and
  no quotes. Any other line is ignored, so a whole line of comment starting
  with ";" or "#" is fine. The shipped file:

    [BeneChargeProfile]
    BeneChargeFlag=FALSE

    [ThreeTierRate]
    RangeFee1=10
    RangeFee2=20
    RangeFee3=30

  BeneChargeFlag TRUE (any letter case) marks credit records "B " in the
  sealed output; any other value, or none, does not. RangeFee1, 2 and 3 are
  the fees per credit record to other banks up to 100,000.00, above that up to
  500,000.00, and above that up to 2,000,000.00: decimal numbers such as 10 or
  12.50; the fee report needs all three.
)";

} // namespace

std::string VersionText()
{
    return std::string("tallivo-cli ") + kVersion + "\n";
}

std::string GeneralHelp()
{
    return std::string(R"(Usage: tallivo-cli check [OPTION]... FILE...
  or:  tallivo-cli seal --zip ZIP [OPTION]... FILE
  or:  tallivo-cli fee [OPTION]... FILE
  or:  tallivo-cli verify [OPTION]... SEALED_FILE
  or:  tallivo-cli help [COMMAND]
Checks bulk payment files before they go to the bank, seals a clean one with its
hash value into a zip archive, verifies sealed files and prints the tier-rate
fee report. "tallivo-cli help COMMAND" (or COMMAND --help) shows a command's
options with an example.

Commands:
  check   checks each FILE as the seal would, and changes nothing
  seal    checks FILE and, when it is acceptable, writes the sealed output and
          packs it alone into the zip archive
  fee     the tier-rate fee report: prints its eight figures as name=value
  verify  prints "OK <hash>" when line 1 of the file is the SHA-1 of the rest

Options:
  --format text|tsv|json  how check and seal print the result grid (default
                          text); json: one object per FILE (schema 1)
  --errors OUT            write the error file that the Save button would write
  --strict                check, seal: also a finding: no lines, no header
                          first or trailer last, a second header or trailer,
                          bytes after a Ctrl-Z; such a file is never sealed
  --zip ZIP               seal: the zip archive (".zip" added when it has no
                          extension)
  --new-file OUT          seal: into OUT instead of over FILE
  --invalid-accounts A    seal, fee: the answer to "There are some invalid
                          Orvane Account...": abort (default), ignore (Ignore,
                          then Yes) or cancel (Ignore, then Cancel)
  --report-pdf PDF        seal: afterwards, the payment report as PDF
  --pdf PDF               fee: the fee report as PDF
  -q, --quiet             leave out what is not a finding or an error
  -h, --help              show help and exit
  --version               print the version and exit
  --                      end of the options: what follows is FILE

  A FILE of check, fee or verify may be - for standard input. A FILE must be a
  regular file or a link to one; a pipe or a device is refused.

Output:
  Every message a command shows goes to stderr, one per line, with its exact
  text; text and json are UTF-8 (the payment file's Thai decoded), with control
  characters visible in text; tsv keeps the payment file's bytes.

)") + kFiles + "\n" + kSettings + R"(
Exit status:
  0  completed (check: no findings; seal: sealed; fee: report produced;
     verify: the hash matches)
  1  stopped at a refusal or at findings, or the file does not verify
  2  usage error, a FILE that cannot be read, an error that escaped the
     command, or output that could not be written (a closed pipe ends the
     program quietly, as for any program in a pipeline)
  check with several FILEs exits with the worst status of them.

Example:
  tallivo-cli check --strict --format json batch1.txt batch2.txt
)";
}

std::string CommandHelp(Command command)
{
    switch (command) {
    case Command::Check:
        return R"(Usage: tallivo-cli check [OPTION]... FILE...
Checks each payment FILE as the seal would and changes nothing: the file
exists, its record types and record lengths, the express cheque limit and
every field of every record. Never asks the invalid-account question: a file
whose only findings are invalid home-bank accounts prints them and exits 1.

Options:
  --format text|tsv|json  how the result grid is printed on stdout (default
                          text). text: a table for people. tsv: one line per
                          grid row, cells joined by TAB, the payment file's
                          bytes as they are (UTF-8 when stdout is a terminal).
                          json: one object per FILE, one per line (schema 1).
  --errors OUT            write the error file that the Save button would write
                          (nothing when there is none); one FILE only
  --strict                also report, each as a finding of its own, a file
                          without lines, a first record that is not the header
                          (001), a last record that is not the trailer (999), a
                          second header or trailer, and bytes after a Ctrl-Z
  -q, --quiet             print only findings and errors
  -h, --help              show this help and exit

FILE may be - for standard input (read once, into a private temporary file).
Several FILEs are checked in turn, each as if alone: text output names each
file, each message on stderr starts with "FILE: ", json gives one object per
file; tsv takes one FILE. The exit status is the worst of them.

Exit status: 0 no findings, 1 findings or a refusal, 2 usage error, a FILE
that cannot be read, an error that escaped the check or a write error.

Example:
  cat batch.txt | tallivo-cli check --strict --format json - old.txt
)";
    case Command::Seal:
        return R"(Usage: tallivo-cli seal --zip ZIP [OPTION]... FILE
Checks FILE and, when it is acceptable, normalises it, writes the sealed output
(its hash value on line 1) over FILE or to --new-file OUT, and packs it alone
into the zip archive. Prints the payment summary and the hash value.

Options:
  --zip ZIP               the zip archive: the text of the zip box (".zip" is
                          added when the name has no extension)
  --new-file OUT          seal into OUT instead of replacing FILE
  --invalid-accounts A    the answer to "There are some invalid Orvane
                          Account...": abort (default), ignore (Ignore, then
                          Yes) or cancel (Ignore, then Cancel)
  --format text|tsv|json  how the result grid is printed (default text)
  --errors OUT            write the error file that the Save button would write
  --report-pdf PDF        after a successful seal, write the payment report as
                          PDF (the templates of Report/ must be there)
  --strict                a file with strict findings (see check --help) is
                          checked as by check, refused, and left untouched
  -q, --quiet             print only findings and errors
  -h, --help              show this help and exit

Exit status: 0 sealed, 1 refused (findings or the inputs), 2 usage error, an
error that escaped the seal or a write error.

Example:
  tallivo-cli seal --strict --zip batch --new-file sealed.txt batch.txt
)";
    case Command::Fee:
        return R"(Usage: tallivo-cli fee [OPTION]... FILE
The tier-rate fee report: checks FILE like the seal, counts its credit records
to other banks by amount tier, prices them with the fees of the settings file
([ThreeTierRate] RangeFee1..3) and prints the eight report figures as
name=value lines.

Options:
  --invalid-accounts A    the answer to the invalid-account question: abort
                          (default), ignore or cancel
  --pdf PDF               also write the fee report as PDF (the template
                          Report/DeductFee.html must be there)
  -q, --quiet             print only errors (the figures are left out)
  -h, --help              show this help and exit

FILE may be - for standard input.

Exit status: 0 report produced, 1 refused, 2 usage error, an error that escaped
the report (a fee that is not a number) or a write error.

Example:
  tallivo-cli fee --pdf fee.pdf batch.txt
)";
    case Command::Verify:
        return R"(Usage: tallivo-cli verify [OPTION]... SEALED_FILE
Prints "OK <hash>" when line 1 of SEALED_FILE equals the upper-case hexadecimal
SHA-1 of every byte after line 1's CR LF; otherwise says why on stderr.

Options:
  -q, --quiet             print nothing when the hash matches
  -h, --help              show this help and exit

SEALED_FILE may be - for standard input.

Exit status: 0 the hash matches, 1 it does not, 2 usage error or a file that
cannot be read.

Example:
  tallivo-cli verify sealed.txt && echo sealed
)";
    }
    return GeneralHelp();
}

} // namespace tallivo::cli
