#pragma once
// The application's one state object: the values the commands work on (the payment
// file, the output choices, the hash value and the captions they show), the check
// session (grid, check context, status), the settings values and the report state.
// Commands are functions over it; the window and the CLI own one each.
#include "app/Dialogs.h"
#include "checking/CheckSession.h"
#include "common/Clock.h"

#include <memory>
#include <string>

namespace tallivo {

class AccountRowStore;
class TableStore;

// Where the seal writes its output: over the payment file, or to a new file.
enum class OutputMode { Replace, NewFile };

// One setting as read (app/Settings.h): its text (empty when no file sets it) and where it
// came from, for messages: "RangeFee1 in section [ThreeTierRate] of
// /etc/tallivo/Config.ini", or "RangeFee1 in section [ThreeTierRate], set in none of
// <files>".
struct Setting
{
    std::string text;
    std::string origin;
};

struct AppState
{
    AppState();
    ~AppState();
    // The table store and the account row hold on to this object.
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The program folder: the executable's own folder, with a trailing separator.
    std::string programFolder;

    // What the commands work on.
    std::string inputPath; // the payment file
    // The file the payment file was copied from, when the front end copied it (standard
    // input): an output may not replace it either.
    std::string inputOrigin;
    OutputMode outputMode = OutputMode::Replace;
    std::string newFilePath;    // the output file in OutputMode::NewFile
    std::string zipName;        // the archive name as given (".zip" may be missing)
    std::string hashValue;      // the last seal's hash value; the payment reports print it
    std::string summaryCaption; // "PAYMENT DETAIL" over the payment summary

    // Grid, check context, structural flags, status text and whether Save has findings.
    CheckSession session;
    // The payment file whose checks left the check context (its company id and product):
    // the last seal's, check's or tier-rate report's.
    std::string contextFile;

    bool summaryBuilt = false; // a seal of this run built the payment summary and report tables
    MsgButton invalidAccountAnswer = MsgButton::None;
    bool beneChargeFlag = false;
    Setting rangeFee1; // the fee texts and where they were read
    Setting rangeFee2;
    Setting rangeFee3;

    // The folder of the table files (app/UserFolders.h): the program folder's Data/ when
    // it may be written, otherwise the user's own, made on first use.
    std::string DataFolder() const;
    std::string ReportFolder() const { return programFolder + "Report/"; }

    // Replaces the clock used by the value-date rules (tests fix the date).
    void SetClock(std::shared_ptr<const Clock> clock);
    std::shared_ptr<struct ReportState> reports; // report objects and report tables (app/ReportState.h)

    // The local table store of DataFolder(), opened on first use. The validation pass
    // reaches its addAccBatchError row through session.accountRow.
    TableStore& Tables();

private:
    friend class TablesLock;
    std::shared_ptr<const Clock> m_clock;
    std::unique_ptr<TableStore> m_tables;
    std::unique_ptr<AccountRowStore> m_accountRow;
    int m_tablesLockFd = -1;
    int m_tablesLockDepth = 0;
};

// While it lives, this run holds the exclusive lock of its table folder (the folder's
// own advisory lock, common/FileLock.h): another Tallivo command that writes or reads
// the table files waits for it, up to the lock wait, then stops with an error naming the
// folder. Holders nested in one run share the one lock.
class TablesLock
{
public:
    explicit TablesLock(AppState& app);
    ~TablesLock();
    TablesLock(const TablesLock&) = delete;
    TablesLock& operator=(const TablesLock&) = delete;

    // The lock if it can be taken at once; nothing when another command holds it or the
    // table folder cannot be had (its error shows where a stage needs the tables).
    static std::unique_ptr<TablesLock> IfFree(AppState& app);

    TablesLock(AppState& app, bool wait); // for IfFree

private:
    AppState& m_app;
    bool m_held = true;
};

// The folder of the running executable, with a trailing separator.
std::string ExecutableFolder();

} // namespace tallivo
