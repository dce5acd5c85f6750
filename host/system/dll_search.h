#pragma once
// DLL search restricted to the system folder: a library planted beside the program (in a
// downloads folder, say) or in the current folder is never loaded in place of the system's.
// Call it first thing, before anything loads a library late.
#include <windows.h>

namespace host {

inline void RestrictDllSearchToSystem() {
    SetDllDirectoryA("");  // takes the current folder out of the search
    // Windows 7 has this only with an update: looked up, not imported.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace host
