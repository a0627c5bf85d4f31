#pragma once

namespace tallivo {

// How a command that checks its inputs ended: it did its work, or it stopped at a
// refusal that it has shown to the user.
enum class CommandOutcome { Completed, Refused };

} // namespace tallivo
