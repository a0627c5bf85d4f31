#pragma once
// The application's one state object: the window's field values, the shared flags,
// the check session (grid, check context, status) and the settings values.
// Commands are functions over it; the window and the CLI own one each.
#include "app/Dialogs.h"
#include "checking/CheckSession.h"
#include "common/Clock.h"

#include <memory>
#include <string>

namespace tallivo {

class AccountRowStore;
class TableStore;

struct AppState
{
    AppState();
    ~AppState();
    // The table store and the account row hold on to this object.
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The program folder: the executable's own folder, with a trailing separator.
    std::string programFolder;

    // The window's field values.
    std::string edtFileInput;
    std::string edtNewFile;
    std::string edtZip;
    std::string edtHashvalue;
    std::string Label5;
    bool rdoReplace = true; // false: rdoNew is selected
    bool Label3Enabled = true;
    bool NewFileControlsEnabled = false; // edtNewFile, btnOpenNew, btnClearNew

    // Grid, check context, structural flags, Label4 and btnSaveError.
    CheckSession session;

    bool SummaryBuilt = false;
    MsgButton InvalidAccountAnswer = MsgButton::None;
    bool BeneChargeFlag = false;
    std::string RangeFee1;
    std::string RangeFee2;
    std::string RangeFee3;

    std::string DataFolder() const { return programFolder + "Data/"; }
    std::string ReportFolder() const { return programFolder + "Report/"; }

    // Replaces the clock used by the value-date rules (tests fix the date).
    void SetClock(std::shared_ptr<const Clock> clock);
    std::shared_ptr<struct ReportState> reports; // report objects and report tables (app/ReportObjects.h)

    // The local table store of DataFolder(), opened on first use. The validation pass
    // reaches its addAccBatchError row through session.accountRow.
    TableStore& Tables();

private:
    std::shared_ptr<const Clock> m_clock;
    std::unique_ptr<TableStore> m_tables;
    std::unique_ptr<AccountRowStore> m_accountRow;
};

// The folder of the running executable, with a trailing separator.
std::string ExecutableFolder();

} // namespace tallivo
