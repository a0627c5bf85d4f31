#include "app/ErrorHandler.h"

#include "common/AppError.h"

#include <exception>
#include <new>

namespace tallivo {

bool RunCommand(Dialogs& dialogs, const std::function<void()>& command)
{
    const ProgressScope heard(dialogs);
    try {
        command();
        return true;
    } catch (const CommandCancelled&) {
        throw;
    } catch (const std::bad_alloc&) {
        dialogs.ShowError("Out of memory");
    } catch (const AppError& e) {
        dialogs.ShowError(e.message());
    } catch (const std::exception& e) {
        dialogs.ShowError(e.what());
    }
    return false;
}

} // namespace tallivo
