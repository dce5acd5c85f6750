#pragma once
// The running program's own image in memory, as the loader laid it out.
#include <span>

namespace host {

// The bytes from the program module's base to the end of its image (SizeOfImage of its PE
// optional header); empty when the module's headers do not read as a 32-bit PE image.
std::span<const unsigned char> ProgramImage();

}  // namespace host
