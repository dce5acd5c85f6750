// Dialogs, processes, the shell, waiting and ending the program.
#include "host/system/win32_host.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>

#include "host/system/late_library.h"
#include "host/system/message_step.h"
#include "host/system/owned.h"
#include "host/system/process_close.h"
#include "host/system/system_pages.h"
#include "host/system/system_text.h"

namespace host {
namespace {

MessageBoxResult ResultFromButton(int button) {
    switch (button) {
        case IDCANCEL: return MessageBoxResult::Cancel;
        case IDABORT: return MessageBoxResult::Abort;
        case IDRETRY: return MessageBoxResult::Retry;
        case IDIGNORE: return MessageBoxResult::Ignore;
        case IDYES: return MessageBoxResult::Yes;
        case IDNO: return MessageBoxResult::No;
        default: return MessageBoxResult::Ok;  // IDOK, and a box that could not be shown
    }
}

// Window modes 1..6 as show commands; the shell takes 5 as "show without activating".
int ShowCommand(std::optional<int> mode, bool forShell) {
    if (!mode) return SW_SHOWNORMAL;
    switch (std::clamp(*mode, 1, 6)) {
        case 1: return SW_HIDE;
        case 2: return SW_SHOWNORMAL;
        case 3: return SW_SHOWMINIMIZED;
        case 4: return SW_SHOWMAXIMIZED;
        case 5: return forShell ? SW_SHOWNA : SW_SHOWNOACTIVATE;
        default: return SW_MINIMIZE;
    }
}

const wchar_t* ShellVerb(std::optional<int> verb) {
    if (!verb) return nullptr;
    switch (*verb) {
        case 1: return L"edit";
        case 2: return L"explore";
        case 3: return L"find";
        case 4: return L"open";
        case 5: return L"print";
        default: return nullptr;
    }
}

struct TopLevelWindow {
    HWND window;
    bool wasEnabled;
};

BOOL CALLBACK CollectOwnWindow(HWND window, LPARAM param) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) {
        auto* windows = reinterpret_cast<std::vector<TopLevelWindow>*>(param);
        windows->push_back({window, IsWindowEnabled(window) != FALSE});
    }
    return TRUE;
}

// Handles the messages waiting in the queue through the program's own loop step. Stops at a
// WM_QUIT, leaving it queued; returns false when it did so.
bool HandlePendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return false;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) {
            // Posted between the look and the take: put it back for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchMessageStep(msg);
    }
    return true;
}

}  // namespace

constexpr char kCommonControls[] = "comctl32.dll";

bool CommonControlsLoaded() { return GetModuleHandleA(kCommonControls) != nullptr; }

void LoadCommonControls() {
    // The classes the window makes: push buttons, check and radio boxes, edit boxes, the bar.
    // Without the library (or the function) the system's own classes stand in, unthemed.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    if (const auto initialize = LateFunction<decltype(&InitCommonControlsEx)>(kCommonControls, "InitCommonControlsEx")) {
        initialize(&classes);
    }
}

bool EnsureComponentServices() {
    static bool started = false;
    if (!started) {
        const auto initialize = LateFunction<decltype(&OleInitialize)>("ole32.dll", "OleInitialize");
        started = initialize && SUCCEEDED(initialize(nullptr));
    }
    return started;
}

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool got = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != FALSE;
    CloseHandle(token);
    return got && elevation.TokenIsElevated != 0;
}

MessageBoxResult Win32Host::ShowMessageBox(const Text& text, int flags,
                                           const std::optional<Text>& caption) {
    UINT style = static_cast<UINT>(flags);
    if ((style & MB_SYSTEMMODAL) == 0) style |= MB_TASKMODAL;
    const int button = MessageBoxW(nullptr, WideFromText(text).c_str(), WideFromText(caption.value_or("信息：")).c_str(),
                                   style);
    return ResultFromButton(button);
}

Text Win32Host::BrowseForFolder(const Text& title, bool includeFiles) {
    HWND owner = GetActiveWindow();
    if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
    const HWND foreground = GetForegroundWindow();

    // The dialog is modal to its owner only; keep the rest of the program out of reach too.
    // The owner is the dialog's own to disable and enable: enabled again only after the dialog
    // has gone, it could not be activated then, and the system would give the front to
    // another program, for good.
    std::vector<TopLevelWindow> windows;
    EnumWindows(CollectOwnWindow, reinterpret_cast<LPARAM>(&windows));
    std::erase_if(windows, [owner](const TopLevelWindow& w) { return w.window == owner; });
    for (const TopLevelWindow& w : windows) EnableWindow(w.window, FALSE);

    wchar_t displayName[MAX_PATH] = {};
    const std::wstring wideTitle = WideFromText(title);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_EDITBOX | (includeFiles ? BIF_BROWSEINCLUDEFILES : 0);
    const auto browse = LateFunction<decltype(&SHBrowseForFolderW)>("shell32.dll", "SHBrowseForFolderW");
    const auto pathOf = LateFunction<decltype(&SHGetPathFromIDListW)>("shell32.dll", "SHGetPathFromIDListW");
    const auto shellMalloc = LateFunction<decltype(&SHGetMalloc)>("shell32.dll", "SHGetMalloc");
    PIDLIST_ABSOLUTE item = EnsureComponentServices() && browse && pathOf && shellMalloc ? browse(&info) : nullptr;

    for (const TopLevelWindow& w : windows) {
        if (IsWindow(w.window)) EnableWindow(w.window, w.wasEnabled ? TRUE : FALSE);
    }
    if (foreground != nullptr && IsWindow(foreground)) SetForegroundWindow(foreground);
    if (owner != nullptr && IsWindow(owner)) SetActiveWindow(owner);

    if (item == nullptr) return Text();
    // SHGetPathFromIDListW writes up to MAX_PATH characters, terminator included.
    wchar_t path[MAX_PATH] = {};
    Text result;
    if (pathOf(item, path)) result = TextFromWideField(path, MAX_PATH);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(shellMalloc(&allocator)) && allocator != nullptr) {
        allocator->Free(item);
        allocator->Release();
    }
    return result;
}

bool Win32Host::RunProgram(const Text& commandLine, bool wait, std::optional<int> windowMode,
                           const std::optional<Text>& workingFolder) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(ShowCommand(windowMode, false));
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = WideFromText(commandLine);
    if (line.empty()) return false;
    const std::wstring folder = workingFolder ? WideFromText(*workingFolder) : std::wstring();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder ? folder.c_str() : nullptr, &startup, &process)) {
        return false;
    }
    OwnedHandle processHandle(process.hProcess);
    OwnedHandle threadHandle(process.hThread);
    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
    } else {
        WaitForInputIdle(process.hProcess, 1000);
    }
    return true;
}

namespace {

// The records of the system's process list, `length` bytes of entries that each say where the
// next one starts.
std::vector<ProcessRecord> ReadProcessList(const void* list, std::size_t length) {
    std::vector<ProcessRecord> records;
    const auto* const base = static_cast<const unsigned char*>(list);
    for (std::size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= length;) {
        const auto& entry = *reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(base + at);
        ProcessRecord record;
        record.processId = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry.UniqueProcessId));
        // Compared as GB 18030 by the caller, whatever the system's code page; the file name alone.
        record.exeFile = TextFromWide(entry.ImageName.Buffer, entry.ImageName.Length / sizeof(wchar_t));
        record.parentProcessId =
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry.InheritedFromUniqueProcessId));
        record.basePriority = entry.BasePriority;
        record.threadCount = entry.NumberOfThreads;
        records.push_back(std::move(record));
        if (entry.NextEntryOffset == 0) break;
        at += entry.NextEntryOffset;
    }
    return records;
}

}  // namespace

std::vector<ProcessRecord> Win32Host::ListProcesses() { return ReadSystemProcessList(16u << 10); }

std::vector<ProcessRecord> ReadSystemProcessList(std::size_t firstBytes) {
    // The system's own list of its processes, read as its snapshot functions read it, without
    // the copy of it that they make first (under Wine two thirds of their time).
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = LateFunction<QuerySystemInformation>("ntdll.dll", "NtQuerySystemInformation");
    if (!query) return {};
    constexpr ULONG kProcessInformation = 5;
    constexpr LONG kTooSmall = static_cast<LONG>(0xC0000004);  // the length does not match
    constexpr std::size_t kMostBytes = 64u << 20;
    // Grown until the list fits: on a busy machine it grows between two calls.
    for (std::size_t size = std::max<std::size_t>(firstBytes, 1);;) {
        const HeldPages pages(size);
        if (!pages.get()) return {};
        ULONG length = 0;
        const LONG status = query(kProcessInformation, pages.get(), static_cast<ULONG>(size), &length);
        if (status >= 0) return ReadProcessList(pages.get(), std::min<std::size_t>(length, size));
        if (status != kTooSmall || size >= kMostBytes) return {};
        size = std::min(std::max(size * 2, std::size_t{length} + (4u << 10)), kMostBytes);
    }
}

bool Win32Host::EndProcess(std::uint32_t processId) {
    if (processId == 0) return false;
    OwnedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process.valid()) return false;
    return TerminateProcess(process.get(), 0) != FALSE;
}

namespace {

constexpr unsigned long kCloseWaitMs = 5000;

class Win32HeldProcess final : public HeldProcess {
public:
    explicit Win32HeldProcess(HANDLE process) : process_(process) {}
    // Asked to close first, so that it can keep the user's work; its refusal stands.
    bool End() override { return CloseAsked(process_.get(), kCloseWaitMs) == CloseOutcome::Gone; }

private:
    OwnedHandle process_;
};

}  // namespace

std::unique_ptr<HeldProcess> Win32Host::HoldProcess(std::uint32_t processId) {
    if (processId == 0) return nullptr;
    // Its number is read back from the handle to find its windows.
    const HANDLE process =
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return nullptr;
    return std::make_unique<Win32HeldProcess>(process);
}

void Win32Host::EndProgram(int exitCode) {
    // The host holds nothing that needs releasing; the component services belong to start-up.
    ExitProcess(static_cast<UINT>(exitCode));
}

void Win32Host::ShellOpen(std::optional<int> verb, const Text& file,
                          const std::optional<Text>& parameters, const std::optional<Text>& folder,
                          std::optional<int> windowMode) {
    const auto execute = LateFunction<decltype(&ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    if (!execute) return;
    const std::wstring wideFile = WideFromText(file);
    const std::wstring wideParameters = parameters ? WideFromText(*parameters) : std::wstring();
    const std::wstring wideFolder = folder ? WideFromText(*folder) : std::wstring();
    execute(nullptr, ShellVerb(verb), wideFile.c_str(), parameters ? wideParameters.c_str() : nullptr,
            wideFolder.c_str(), ShowCommand(windowMode, true));
}

void Win32Host::OpenWebAddress(const Text& address) {
    const HWND browser = FindWindowExW(nullptr, nullptr, nullptr, L"Microsoft Internet Explorer");
    const auto execute = LateFunction<decltype(&ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    if (execute) execute(browser, L"open", WideFromText(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Host::Wait(int milliseconds) {
    if (milliseconds <= 0) return;
    // Timed on the performance counter: the tick counter moves in steps of about 16 ms, and a
    // wait timed on it lasts until the step after the span, up to a whole step too long.
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const long long perMs = frequency.QuadPart / 1000 > 0 ? frequency.QuadPart / 1000 : 1;
    const long long span = static_cast<long long>(milliseconds) * perMs;
    // The system's timer wakes sleepers on its own steps (15.6 ms on Windows unless a program
    // asks for finer ones): asked for 1 ms (in 100 ns units) while waiting, so the sleep ends
    // near the span. Asked of the system itself, which the multimedia library's call passes
    // on: that library would bring in its own (the sound codecs' manager among them), whose
    // place in memory the shell's helpers would then have to leave and be copied elsewhere.
    using SetTimerResolution = LONG(WINAPI*)(ULONG, BOOLEAN, ULONG*);
    const auto resolution = LateFunction<SetTimerResolution>("ntdll.dll", "NtSetTimerResolution");
    ULONG current = 0;
    const bool finer = resolution && resolution(10000, TRUE, &current) >= 0;
    for (;;) {
        const bool quitQueued = !HandlePendingMessages();
        QueryPerformanceCounter(&now);
        const long long elapsed = now.QuadPart - start.QuadPart;
        if (elapsed > span) break;
        // Sleep until a message arrives or the whole milliseconds left are over; what is left of
        // the last one is given away a slice at a time, since a sleep would overshoot it by up
        // to a millisecond at every wake-up (each message handled in the wait is one).
        if (span - elapsed < perMs) {
            SwitchToThread();
            continue;
        }
        const DWORD remaining = static_cast<DWORD>((span - elapsed) / perMs);
        // A queued WM_QUIT counts as input that is always there, so then wake only for messages
        // that arrive from now on.
        MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT,
                                    quitQueued ? 0 : MWMO_INPUTAVAILABLE);
    }
    if (finer) resolution(10000, FALSE, &current);
}

}  // namespace host
