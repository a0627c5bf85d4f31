#include "app/MaskCommand.h"

#include "app/OutputTargets.h"
#include "common/ReplacingFile.h"
#include "masking/MaskedCopy.h"

namespace tallivo {

CommandOutcome SaveMaskedCopy(AppState& app, Dialogs& dialogs, const std::string& output)
{
    if (RefuseUnsafeOutputs(app, dialogs, {output}, false))
        return CommandOutcome::Refused;
    ReplacingFile file(output);
    MaskPaymentFile(app.inputPath, [&file](std::string_view bytes) { file.Write(bytes); }, app.session.clock);
    file.Commit();
    return CommandOutcome::Completed;
}

} // namespace tallivo
