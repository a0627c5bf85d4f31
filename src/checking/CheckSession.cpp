#include "checking/CheckSession.h"

namespace tallivo {

void CheckSession::AddError(std::string_view recordType, std::string_view line, std::string_view columns,
                            std::string_view fieldName, std::string_view message)
{
    grid.AppendRow({recordType, line, columns, fieldName, message});
}

void CheckSession::AddAccountError(std::string_view recordType, std::string_view line, std::string_view columns,
                                   std::string_view fieldName, std::string_view message, std::string_view account,
                                   std::string_view payeeName)
{
    grid.AppendRow({recordType, line, columns, fieldName, message, account, payeeName});
}

void CheckSession::FlagInvalidData()
{
    hasFindingsToSave = true;
    statusText = "Invalid data fields";
}

void CheckSession::SetUpErrorLayout()
{
    grid.SetUpLayout(GridLayout::Errors,
                     {"No.", "Record Type", "Line", "Column", "Field Name", "Message", "Account", "Payee Name"},
                     {40, 100, 35, 60, 150, 550, 75, 600});
}

} // namespace tallivo
