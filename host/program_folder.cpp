#include "host/program_folder.h"

#include <windows.h>

namespace host {

std::string ProgramFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {  // the module path can be longer than MAX_PATH
        const DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    // The last backslash that is not the second byte of a two-byte character.
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            cut = i;
        }
    }
    if (cut == std::string::npos) return {};
    path.resize(cut == 2 && path[1] == ':' ? 3 : cut);  // a drive root keeps its backslash
    return path;
}

bool EnterProgramFolder() {
    const std::string folder = ProgramFolder();
    return !folder.empty() && SetCurrentDirectoryA(folder.c_str());
}

}  // namespace host
