#include "host/system/single_instance.h"

#include <windows.h>

#include <string>

#include "host/system/late_library.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

// How long a second start waits for the first one to show a window.
constexpr DWORD kWaitForWindowMs = 5000;
// The wizard's window class, as the window layer registers it.
constexpr wchar_t kWizardClass[] = L"LumoraWizardWindow";

struct WindowSearch {
    DWORD processId;
    HWND found = nullptr;
    bool wizard = false;  // a window of the wizard's class
};

// Top-level windows come in z-order: the first visible one of the process is its top one.
BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId) return TRUE;
    wchar_t className[64] = {};
    if (GetClassNameW(window, className, 64) > 0 && lstrcmpW(className, kWizardClass) == 0) search->wizard = true;
    if (search->found == nullptr && IsWindowVisible(window)) search->found = window;
    return TRUE;
}

std::wstring ImageOf(HANDLE process) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt, path.resize(path.size() * 2)) {
        DWORD size = static_cast<DWORD>(path.size());
        if (process != nullptr ? QueryFullProcessImageNameW(process, 0, path.data(), &size) != FALSE
                               : (size = GetModuleFileNameW(nullptr, path.data(), size)) < path.size()) {
            path.resize(size);
            return path;
        }
    }
    return {};
}

// Whether the process is a copy of this setup: started from our file, or showing our wizard.
// Anyone may make an object of our name first; only a copy of ours is brought forward for it.
bool IsCopyOfThisSetup(DWORD processId, const WindowSearch& windows) {
    if (windows.wizard) return true;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    const std::wstring image = ImageOf(process);
    CloseHandle(process);
    const std::wstring own = ImageOf(nullptr);
    return !image.empty() && lstrcmpiW(image.c_str(), own.c_str()) == 0;
}

// The session a process runs in (fast user switching and remote desktops give each signed-in
// user one); ~0 when it cannot be told.
DWORD SessionOf(DWORD processId) {
    DWORD session = ~0u;
    return ProcessIdToSessionId(processId, &session) ? session : ~0u;
}

// Elevated, the name lives in a namespace whose boundary holds the administrators (and, where
// the system has it, the high integrity level): a program of a standard user cannot make that
// namespace, so it cannot take the name first. Such a namespace is one for the whole machine:
// its name and the object's name the session, so that each session has its one wizard. Empty
// where the system has no such namespaces.
std::wstring AdministratorsName(const std::wstring& name, DWORD session) {
    const auto boundaryOf = LateFunction<decltype(&CreateBoundaryDescriptorW)>("kernel32.dll", "CreateBoundaryDescriptorW");
    const auto addSid = LateFunction<decltype(&AddSIDToBoundaryDescriptor)>("kernel32.dll", "AddSIDToBoundaryDescriptor");
    const auto create = LateFunction<decltype(&CreatePrivateNamespaceW)>("kernel32.dll", "CreatePrivateNamespaceW");
    const auto open = LateFunction<decltype(&OpenPrivateNamespaceW)>("kernel32.dll", "OpenPrivateNamespaceW");
    using AddLabel = BOOL(WINAPI*)(HANDLE*, PSID);
    const auto addLabel = LateFunction<AddLabel>("kernel32.dll", "AddIntegrityLabelToBoundaryDescriptor");
    if (!boundaryOf || !addSid || !create || !open || !RunsElevated()) return {};
    // In decimal, written here: the C library's formatting would bring its whole printf along.
    std::wstring space;
    for (DWORD n = session; space.empty() || n != 0; n /= 10) space.insert(space.begin(), static_cast<wchar_t>(L'0' + n % 10));
    space.insert(0, L"Lumora.Setup.");
    HANDLE boundary = boundaryOf(space.c_str(), 0);
    if (boundary == nullptr) return {};
    BYTE administrators[SECURITY_MAX_SID_SIZE], high[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators, highSize = sizeof high;
    bool made = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
                addSid(&boundary, administrators);
    if (made && addLabel && CreateWellKnownSid(WinHighLabelSid, nullptr, high, &highSize)) made = addLabel(&boundary, high);
    // Never closed: the namespace lasts while this process runs, as the claim does.
    HANDLE opened = made ? create(nullptr, boundary, space.c_str()) : nullptr;
    if (made && opened == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) opened = open(boundary, space.c_str());
    return opened != nullptr ? space + L"\\" + name : std::wstring();
}

}  // namespace

bool ClaimSoleInstance(const wchar_t* name) {
    const DWORD session = SessionOf(GetCurrentProcessId());
    std::wstring objectName = AdministratorsName(name, session);
    if (objectName.empty()) objectName = std::wstring(L"Local\\") + name;
    // A named page of shared memory: that it exists says another copy may run, and it holds
    // that copy's process id, by which its windows are found. The first copy never closes it;
    // it goes when that process ends.
    HANDLE claim = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), objectName.c_str());
    if (claim == nullptr) return true;
    const bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* owner = static_cast<LONG*>(MapViewOfFile(claim, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (owner == nullptr) return true;
    if (first) {
        InterlockedExchange(owner, static_cast<LONG>(GetCurrentProcessId()));
        return true;
    }

    // The first copy may have made the page but not yet written its id, or not shown a window.
    // A holder that is no copy of ours, or that never says who it is, stops nothing.
    bool alone = true;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitForWindowMs; Sleep(50)) {
        const auto processId = static_cast<DWORD>(InterlockedCompareExchange(owner, 0, 0));
        if (processId == 0) continue;
        // A copy in another session has its wizard on another desktop: it stops nothing here.
        if (SessionOf(processId) != session) break;
        WindowSearch search{processId};
        EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (!IsCopyOfThisSetup(processId, search)) break;
        alone = false;
        if (search.found == nullptr) continue;
        // To the front first, then restored: the other way round, Wine's activation of the
        // restored window could race the foreground call and leave the desktop in front.
        SetForegroundWindow(search.found);
        if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
        break;
    }
    UnmapViewOfFile(owner);
    CloseHandle(claim);
    return alone;
}

}  // namespace host
