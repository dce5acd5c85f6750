#include "host/program_folder.h"

#include <windows.h>

#include "host/text.h"

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
    const std::size_t cut = FindLastSeparator(path);
    if (cut == std::string::npos) return {};
    path.resize(cut == 2 && path[1] == ':' ? 3 : cut);  // a drive root keeps its backslash
    return path;
}

bool EnterProgramFolder() {
    const std::string folder = ProgramFolder();
    return !folder.empty() && SetCurrentDirectoryA(folder.c_str());
}

}  // namespace host
