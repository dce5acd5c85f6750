#include "host/system/process_close.h"

#include <windows.h>

namespace host {
namespace {

struct Asked {
    DWORD processId;
    bool any = false;
};

// As sign-out asks (ENDSESSION_CLOSEAPP: this program alone is to close): a program keeps its
// work on the query or on the end, then closes on WM_CLOSE. Sent with a time-out, so that a
// program that hangs cannot hold us; WM_CLOSE is posted, so a question it asks does not.
BOOL CALLBACK AskWindow(HWND window, LPARAM param) {
    auto* asked = reinterpret_cast<Asked*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != asked->processId || !IsWindowVisible(window)) return TRUE;
    constexpr UINT kFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
    DWORD_PTR answer = TRUE;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, kFlags, 2000, &answer)) answer = TRUE;
    SendMessageTimeoutW(window, WM_ENDSESSION, answer != FALSE, ENDSESSION_CLOSEAPP, kFlags, 2000, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    asked->any = true;
    return TRUE;
}

}  // namespace

bool CloseThenEnd(void* process, unsigned long waitMs) {
    if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return false;  // gone already
    const HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    Asked asked{GetProcessId(process)};
    if (asked.processId != 0) EnumWindows(AskWindow, reinterpret_cast<LPARAM>(&asked));
    // A program without a window cannot be asked: it is ended as before.
    bool ended = asked.any && WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
    // Then ended, and waited for until its files are free, for what follows.
    if (!ended && TerminateProcess(process, 0)) {
        WaitForSingleObject(process, 5000);
        ended = true;
    }
    SetCursor(before);
    return ended;
}

}  // namespace host
