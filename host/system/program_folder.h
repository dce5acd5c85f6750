#pragma once
// The folder that holds the running program.
#include <string>

namespace host {

// The program's folder, without a trailing backslash except at a drive root; empty when the
// module path cannot be had.
std::string ProgramFolder();

// Makes the program's folder the current folder, so that programs started later inherit it.
bool EnterProgramFolder();

}  // namespace host
