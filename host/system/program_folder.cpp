#include "host/system/program_folder.h"

#include <windows.h>

#include "host/system/system_text.h"

namespace host {
namespace {

// The folder as the system names it, so that a name GBK cannot hold still reaches it whole.
std::wstring WideProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {  // the module path can be longer than MAX_PATH
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return {};
    path.resize(cut == 2 && path[1] == L':' ? 3 : cut);  // a drive root keeps its backslash
    return path;
}

}  // namespace

std::string ProgramFolder() { return TextFromWide(WideProgramFolder()); }

bool EnterProgramFolder() {
    const std::wstring folder = WideProgramFolder();
    return !folder.empty() && SetCurrentDirectoryW(folder.c_str());
}

}  // namespace host
