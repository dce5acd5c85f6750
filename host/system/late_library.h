#pragma once
// System libraries that only some operations need (the shell, the component services) are
// loaded when first used rather than with the program: the window comes up sooner without
// them. Loading goes to the system folder only (dll_search.h).
#include <windows.h>

namespace host {

// The function `name` of `library`, or null when either cannot be had.
template <typename Function>
Function LateFunction(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The common controls: the themed buttons, boxes and progress bar that the program's manifest
// asks for. Loading them costs about as long as everything else the window does before it
// shows, so the window shows first and has them loaded on the thread aside (aside.h).
bool CommonControlsLoaded();
// Loads them (on whichever thread calls: the window has them loaded on the thread aside).
void LoadCommonControls();

// Starts the component services on this thread once, for the folder dialog and shell links;
// false when they cannot be started.
bool EnsureComponentServices();

}  // namespace host
