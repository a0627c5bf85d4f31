#pragma once
// Exclusive advisory locks (flock) between Tallivo commands, in one process or many.
// Such a lock belongs to an open file, not to a process: it holds until every descriptor
// of that open file is closed, whatever else the process opens and closes meanwhile.
#include <chrono>
#include <string_view>

namespace tallivo {

// Takes the exclusive lock of an open file or folder, waiting while another holds it
// until the deadline; at the first wait, the test pause point waitPoint
// (common/TestHooks.h). False when the deadline passed first. On a file system that has
// no such locks there is nothing to wait for: true at once.
bool LockExclusively(int fd, std::chrono::steady_clock::time_point deadline, std::string_view waitPoint);

} // namespace tallivo
