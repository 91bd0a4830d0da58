#pragma once

#include <string>

// Fault injection for the calls that save files: a test executable linked
// with FileFaults.cpp and the linker options of LUMEYE_FILE_FAULT_LINK_OPTIONS
// routes the program's write, fsync, close and rename through here, and an
// armed fault makes the call fail with an error number for files whose path
// contains a given text. Nothing fails unless a fault is armed.
namespace lumeye::faults {

enum class FileCall { Write, Fsync, Close, Rename };

// Arms a fault: every later call of that kind on a matching path fails with
// `error` (close still closes the descriptor, as a failing close does).
void injectFault(FileCall call, int error, const std::string& pathPart);
void clearFaults();
// How many calls failed because of an armed fault since the last clearFaults.
int faultsHit();

}  // namespace lumeye::faults
