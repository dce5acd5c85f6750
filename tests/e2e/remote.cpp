#include "tests/e2e/remote.h"

#include <vector>

namespace remote {

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

Process Start(const std::string& exe, const std::string& folder) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        return {};
    }
    CloseHandle(pi.hThread);
    return {pi.hProcess, pi.dwProcessId};
}

long WaitExit(const Process& p, DWORD timeoutMs) {
    if (!p.handle || WaitForSingleObject(p.handle, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(p.handle, &code);
    return static_cast<long>(code);
}

void Kill(const Process& p) {
    if (!p.handle) return;
    TerminateProcess(p.handle, 1);
    WaitForSingleObject(p.handle, 5000);
    CloseHandle(p.handle);
}

namespace {

struct Search {
    DWORD processId;
    const char* className;  // null: any
    const std::string* title;  // null: any
    HWND found = nullptr;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId || !IsWindowVisible(hwnd)) return TRUE;
    if (s->className) {
        char name[64] = {};
        GetClassNameA(hwnd, name, sizeof name);
        if (lstrcmpA(name, s->className) != 0) return TRUE;
    }
    if (s->title && Text(hwnd) != *s->title) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND WaitFor(Search s, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        s.found = nullptr;
        EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start > timeoutMs) return s.found;
        Sleep(50);
    }
}

struct ChildSearch {
    std::uint32_t id;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    if (static_cast<std::uint32_t>(GetDlgCtrlID(hwnd)) == s->id) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const std::string& title, DWORD timeoutMs) {
    return WaitFor({processId, nullptr, &title}, timeoutMs);
}

HWND FindMessageBox(DWORD processId, DWORD timeoutMs) {
    return WaitFor({processId, "#32770", nullptr}, timeoutMs);
}

HWND FindControl(HWND top, std::uint32_t id) {
    ChildSearch s{id};
    EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string Text(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &got);
    return std::string(buffer.data(), got);
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

bool PressBoxButton(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace remote
