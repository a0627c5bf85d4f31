#include "app/MaskCommand.h"

#include "app/OutputTargets.h"
#include "common/CommandProgress.h"
#include "common/ReplacingFile.h"
#include "masking/MaskedCopy.h"

#include <filesystem>

namespace tallivo {

CommandOutcome SaveMaskedCopy(AppState& app, Dialogs& dialogs, const std::string& output)
{
    if (RefuseUnsafeOutputs(app, dialogs, {output}, false))
        return CommandOutcome::Refused;
    progress::Stage("Masking");
    ReplacingFile file(output);
    MaskPaymentFile(app.inputPath, [&file](std::string_view bytes) { file.Write(bytes); }, app.session.clock);
    file.Commit();
    return CommandOutcome::Completed;
}

std::string MaskedCopyName(const std::string& inputPath)
{
    std::error_code error;
    std::filesystem::path input = std::filesystem::absolute(inputPath, error);
    if (error)
        input = inputPath;
    return (input.parent_path() / (input.stem().string() + "-masked.txt")).string();
}

} // namespace tallivo
