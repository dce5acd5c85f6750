// Works the running setup from a script: wizard_remote COMMAND [ARG]
//   wait-window        waits until the wizard window is shown
//   click ID           clicks the control with this (hex) id
//   answer yes|no|ok   presses a button of the message box that is up
//   close              asks the window to close
// Exit code 0 when done, 1 when the window or control was not found.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/e2e/remote.h"

namespace {

// As the window holds it, whatever the system's ANSI code page.
const wchar_t kTitle[] = L"安装向导-Lumora";

HWND FindWizard(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowW(nullptr, kTitle);
        if (w && IsWindowVisible(w)) return w;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    HWND wizard = FindWizard(command == "wait-window" ? 30000 : 5000);
    if (!wizard && command != "answer") return 1;
    if (command == "wait-window") return 0;
    if (command == "click" && argc > 2) {
        HWND control = remote::FindControl(wizard, static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16)));
        if (!control) return 1;
        remote::Click(control);
        return 0;
    }
    if (command == "close") {
        PostMessageW(wizard, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "answer" && argc > 2) {
        DWORD pid = 0;
        HWND any = wizard ? wizard : FindWindowW(L"#32770", nullptr);
        if (!any) return 1;
        GetWindowThreadProcessId(any, &pid);
        HWND box = remote::FindMessageBox(pid, 10000);
        if (!box) return 1;
        const std::string answer = argv[2];
        const int id = answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK;
        return remote::PressBoxButton(box, id) ? 0 : 1;
    }
    return 2;
}
