#include "host/system/single_instance.h"

#include <windows.h>

namespace host {
namespace {

// How long a second start waits for the first one to show a window.
constexpr DWORD kWaitForWindowMs = 5000;

struct WindowSearch {
    DWORD processId;
    HWND found = nullptr;
};

// Top-level windows come in z-order: the first visible one of the process is its top one.
BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND TopWindowOf(DWORD processId) {
    WindowSearch search{processId};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool ClaimSoleInstance(const char* name) {
    // A named page of shared memory: that it exists says another copy runs, and it holds that
    // copy's process id, by which its windows are found. The first copy never closes it; it
    // goes when that process ends.
    HANDLE claim = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    if (claim == nullptr) return true;
    const bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* owner = static_cast<LONG*>(MapViewOfFile(claim, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (owner == nullptr) return first;
    if (first) {
        InterlockedExchange(owner, static_cast<LONG>(GetCurrentProcessId()));
        return true;
    }

    // The first copy may have made the page but not yet written its id, or not shown a window.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitForWindowMs; Sleep(50)) {
        const auto processId = static_cast<DWORD>(InterlockedCompareExchange(owner, 0, 0));
        HWND window = processId != 0 ? TopWindowOf(processId) : nullptr;
        if (window == nullptr) continue;
        // To the front first, then restored: the other way round, Wine's activation of the
        // restored window could race the foreground call and leave the desktop in front.
        SetForegroundWindow(window);
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        break;
    }
    UnmapViewOfFile(owner);
    CloseHandle(claim);
    return false;
}

}  // namespace host
