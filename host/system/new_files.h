#pragma once
// Every file the setup writes goes first to a new file beside its target ("~lumora-", eight
// hex digits, ".new") and takes the target's place only when whole. What a run that was ended
// midway leaves of them is ours to remove: the setup and 卸载.exe both look for them here.
#include <cstddef>
#include <string>
#include <string_view>

#include "host/system/text.h"

namespace host {

inline constexpr std::string_view kNewFilePrefix = "~lumora-";
inline constexpr std::string_view kNewFileEnding = ".new";
inline constexpr std::size_t kNewFileHexDigits = 8;

// The name of that form for `number`, in UTF-16.
std::wstring NewFileName(unsigned number);

// Whether a file name has that form (letter case aside, as the system compares names).
bool IsNewFileName(std::string_view name);

// Calls `each` with the name of every file of that form in `folder` (given with or without its
// closing backslash).
void ForEachNewFile(const Text& folder, void (*each)(void* context, const Text& name), void* context);
template <typename Each>
void ForEachNewFile(const Text& folder, Each each) {
    ForEachNewFile(folder, [](void* context, const Text& name) { (*static_cast<Each*>(context))(name); }, &each);
}

// The error with which opening `path` for writing fails, 0 when it opens. A running program or
// a loaded library is refused as a denial of access too; one that opens, or that is shared away
// from us, is in use rather than forbidden.
unsigned long WriteOpenError(const std::wstring& path);

}  // namespace host
