#include "tests/e2e/remote.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "host/system/system_text.h"

namespace remote {

using host::TextFromWide;
using host::WideFromText;

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

Process Start(const std::string& exe, const std::string& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = WideFromText("\"" + exe + "\"");
    const std::wstring wideFolder = WideFromText(folder);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : wideFolder.c_str(), &si, &pi)) {
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
    const wchar_t* className;  // null: any
    const std::string* title;  // null: any
    HWND found = nullptr;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId || !IsWindowVisible(hwnd)) return TRUE;
    if (s->className) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (lstrcmpW(name, s->className) != 0) return TRUE;
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
    return WaitFor({processId, L"#32770", nullptr}, timeoutMs);
}

namespace {

struct AnyProcessSearch {
    const std::string* caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitledBox(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<AnyProcessSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (!IsWindowVisible(hwnd) || lstrcmpW(name, L"#32770") != 0 || Text(hwnd) != *s->caption) return TRUE;
    s->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindBoxTitled(const std::string& caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        AnyProcessSearch s{&caption};
        EnumWindows(MatchTitledBox, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start > timeoutMs) return s.found;
        Sleep(50);
    }
}

std::string BoxMessage(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }

HWND FindControl(HWND top, std::uint32_t id) {
    // A window may make the controls of later steps just after it is shown.
    const DWORD start = GetTickCount();
    for (;;) {
        ChildSearch s{id};
        EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&s));
        if (s.found || !IsWindow(top) || GetTickCount() - start > 5000) return s.found;
        Sleep(1);
    }
}

std::wstring WideText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &got);
    return std::wstring(buffer.data(), got < buffer.size() ? got : 0);
}

std::string Text(HWND hwnd) { return TextFromWide(WideText(hwnd)); }

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PressKey(HWND top, WORD key) {
    if (GetForegroundWindow() != top) SetForegroundWindow(top);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

HWND FocusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool PressBoxButton(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

std::vector<COLORREF> ScreenPixels(HWND window, int& width, int& height) {
    RECT client{};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    if (width <= 0 || height <= 0) return {};
    // One copy off the screen into a 32-bit top-down bitmap: far quicker than a pixel at a time.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<COLORREF> pixels;
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const auto* quads = static_cast<const RGBQUAD*>(bits);
            pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
                pixels.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
            }
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

long RunToEnd(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = WideFromText(commandLine);
    if (line.empty() || !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &si, &pi)) {
        return -1;
    }
    CloseHandle(pi.hThread);
    const long code = WaitExit({pi.hProcess, pi.dwProcessId}, timeoutMs);
    CloseHandle(pi.hProcess);
    return code;
}

namespace {

// A page of memory in another process, given back when done.
class RemotePage {
public:
    explicit RemotePage(HANDLE process)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemotePage() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemotePage(const RemotePage&) = delete;
    RemotePage& operator=(const RemotePage&) = delete;

    wchar_t* at(std::size_t offset) const {
        return reinterpret_cast<wchar_t*>(static_cast<char*>(address_) + offset);
    }
    bool Write(std::size_t offset, const void* data, std::size_t size) const {
        SIZE_T done = 0;
        return address_ && WriteProcessMemory(process_, at(offset), data, size, &done) && done == size;
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const {
        SIZE_T done = 0;
        return address_ && ReadProcessMemory(process_, at(offset), data, size, &done) && done == size;
    }

private:
    HANDLE process_;
    void* address_;
};

// The text of the tree's selected item, read through the other process's memory: the request
// at 0, the text at 1024 (up to 511 characters and their end).
std::string SelectedItemText(const RemotePage& page, HWND tree) {
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return {};
    constexpr int kCapacity = 512;
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = page.at(1024);
    request.cchTextMax = kCapacity;
    if (!page.Write(0, &request, sizeof request)) return {};
    DWORD_PTR ok = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(page.at(0)), SMTO_NORMAL, 5000, &ok) ||
        !ok) {
        return {};
    }
    wchar_t text[kCapacity] = {};
    if (!page.Read(1024, text, sizeof text)) return {};
    return host::TextFromWideField(text, kCapacity);
}

}  // namespace

bool SelectFolder(const Process& p, HWND dialog, const std::string& path, const std::string& item) {
    RemotePage page(p.handle);
    HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    // The path at 2048, up to the page's end.
    const std::wstring widePath = WideFromText(path);
    if (!tree || (widePath.size() + 1) * sizeof(wchar_t) > 2048 ||
        !page.Write(2048, widePath.c_str(), (widePath.size() + 1) * sizeof(wchar_t))) {
        return false;
    }
    // A tree still being filled can ignore the first attempts.
    for (int attempt = 0; attempt < 50; ++attempt) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(page.at(2048)), SMTO_NORMAL,
                            5000, &ignored);
        if (SelectedItemText(page, tree).find(item) != std::string::npos) return true;
        Sleep(100);
    }
    return false;
}

bool Eventually(const std::function<bool()>& holds, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (holds()) return true;
        Sleep(50);
    }
    return holds();
}

}  // namespace remote
