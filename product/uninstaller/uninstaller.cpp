// 卸载.exe: removes Lumora from this computer, exactly what the setup wrote.
//
// Started from the product folder, it asks; on Yes it copies itself into a new folder that
// only SYSTEM and the Administrators may change (hand_over.h), starts the copy there with the
// product folder and its own process id, and ends, so that the copy can remove it too. The
// copy waits for it to end, offers to close a running Lumora, removes the files and
// shortcuts, says what it did, and goes with its folder at the next restart, or earlier when
// a later run clears what earlier ones left.
//
// Its texts and the names it handles are GB 18030; they reach the system in UTF-16, converted
// by GB 18030's rules (host/system/system_text.h), so that it shows and finds the same names,
// whatever their characters, on a Windows of any ANSI code page.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/system/dll_search.h"
#include "host/system/process_close.h"
#include "host/system/system_text.h"
#include "host/system/text.h"
#include "product/uninstaller/hand_over.h"
#include "product/uninstaller/owned_handle.h"
#include "product/uninstaller/removal.h"

namespace {

using host::TextFromWide;
using host::WideFromText;
using uninstall::Kept;
using uninstall::OwnedHandle;

constexpr char kCaption[] = "卸载 Lumora";
constexpr char kAsk[] =
    "确定要从此电脑中移除 Lumora 及其开始菜单和桌面快捷方式吗？\r\n\r\n你自己放在安装文件夹中的文件不会被删除。";
constexpr char kRunning[] = "Lumora 正在运行，需要先关闭它才能完全卸载。\r\n\r\n是否关闭 Lumora？";
constexpr char kCannotStart[] = "无法开始卸载：不能在临时文件夹中准备卸载程序。\r\n\r\n请稍后重试。";
constexpr char kRemoveSwitch[] = "/remove";

int Ask(const std::string& text, UINT flags) {
    return MessageBoxW(nullptr, WideFromText(text).c_str(), WideFromText(kCaption).c_str(), flags | MB_SETFOREGROUND);
}

// A path that the system writes into a buffer of the caller's: grown until it fits.
template <typename Fill>
std::string Grown(Fill fill) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD got = fill(path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) return TextFromWide(path.data(), got);
        path.assign(path.size() * 2 > got + 1 ? path.size() * 2 : got + 1, L'\0');
    }
    return {};
}

std::string OwnPath() {
    return Grown([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
}

std::string SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};  // the size the call writes into
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
    return host::TextFromWideField(path, MAX_PATH + 1);
}

const char* Why(Kept why) {
    switch (why) {
        case Kept::StillRunning: return "Lumora 仍在运行";
        case Kept::InUse: return "正在被其它程序使用";
        case Kept::InUseUntilRestart: return "正在被其它程序使用，将在重新启动电脑后删除";
        case Kept::Denied: return "没有删除它的权限";
        case Kept::NotOurs: return "不是 Lumora 安装程序创建的，已保留";
        case Kept::HoldsOtherFiles: return "其中还有其它文件，已保留";
        default: return "系统拒绝删除";
    }
}

std::string ImageOf(HANDLE process) {
    return Grown([process](wchar_t* b, DWORD n) {
        DWORD size = n;
        return QueryFullProcessImageNameW(process, 0, b, &size) ? size : 0;
    });
}

// The running Lumora that was started from `folder`, opened with the rights to end it. The
// handle keeps the process, and so its number, from passing to another program while the
// user is asked: what is ended on Yes is the Lumora that was found, or nothing.
OwnedHandle RunningProduct(const std::string& folder) {
    const std::string program = folder + "\\Lumora.exe";
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return {};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"Lumora.exe") != 0) continue;
        // Opened first, then its image asked: the number cannot change hands in between.
        OwnedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                        entry.th32ProcessID));
        if (process && uninstall::SamePath(ImageOf(process.get()), program)) return process;
    }
    return {};
}

// Asked to close, as the setup asks, so that it can keep the user's work; false when it keeps
// running: it (its user) refused, or it could not be ended.
bool EndProcess(HANDLE process) {
    return host::CloseAsked(process, 5000) == host::CloseOutcome::Gone || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// Copies this program into the hand-over folder and starts the copy there, with that folder as
// its current folder. The folder is held open without delete sharing, and then the copy without
// write or delete sharing, until the copy has been started: neither can be renamed away and
// replaced in between.
bool StartCopy(const std::string& self, const std::string& folder, const std::string& copy) {
    const std::wstring wideFolder = WideFromText(folder), wideCopy = WideFromText(copy);
    const OwnedHandle heldFolder(CreateFileW(wideFolder.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!heldFolder || !CopyFileW(WideFromText(self).c_str(), wideCopy.c_str(), TRUE)) return false;
    const OwnedHandle heldCopy(
        CreateFileW(wideCopy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!heldCopy) return false;
    std::wstring line = WideFromText("\"" + copy + "\" " + kRemoveSwitch + " \"" + uninstall::FolderOf(self) + "\" " +
                                     std::to_string(GetCurrentProcessId()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(wideCopy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, wideFolder.c_str(),
                        &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

// Makes the hand-over folder and starts the copy there; false, and nothing left, when it cannot.
bool HandOver() {
    const std::string self = OwnPath();
    const std::string folder = self.empty() ? std::string() : uninstall::MakeHandOverFolder(uninstall::HandOverRoot());
    if (folder.empty()) return false;
    const std::string copy = folder + "\\" + uninstall::kCopyName;
    if (StartCopy(self, folder, copy)) return true;
    DeleteFileW(WideFromText(copy).c_str());
    RemoveDirectoryW(WideFromText(folder).c_str());
    return false;
}

// First part: ask, then hand over to a copy that can remove this program too.
int AskAndHandOver() {
    if (Ask(kAsk, MB_YESNO | MB_ICONQUESTION) == IDYES && !HandOver()) Ask(kCannotStart, MB_OK | MB_ICONWARNING);
    return 0;
}

// Second part, run from the copy in its hand-over folder.
int Remove(const std::string& folder, DWORD firstPart) {
    const std::string handOver = uninstall::FolderOf(OwnPath());
    uninstall::RemoveAtRestart(handOver);
    uninstall::RemoveEarlierHandOvers(uninstall::HandOverRoot(), handOver);
    if (HANDLE first = OpenProcess(SYNCHRONIZE, FALSE, firstPart)) {
        WaitForSingleObject(first, 10000);
        CloseHandle(first);
    }
    CoInitialize(nullptr);
    bool keptRunning = false;
    if (const OwnedHandle running = RunningProduct(folder)) {
        keptRunning = Ask(kRunning, MB_YESNO | MB_ICONQUESTION) != IDYES || !EndProcess(running.get());
    }
    const uninstall::Report report = uninstall::RemoveInstallation(
        {folder, SpecialFolder(CSIDL_PROGRAMS), SpecialFolder(CSIDL_DESKTOPDIRECTORY)}, keptRunning);
    CoUninitialize();

    std::string said;
    if (report.kept.empty()) {
        said = "Lumora 已卸载完成，共删除 " + std::to_string(report.removed) + " 项。";
    } else {
        said = "卸载已结束，共删除 " + std::to_string(report.removed) + " 项。以下项目未删除：\r\n";
        for (const uninstall::KeptItem& item : report.kept) said += "\r\n" + item.path + "\r\n    " + Why(item.why);
    }
    Ask(said, MB_OK | (report.kept.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
    return 0;
}

// The command line's arguments, read in UTF-16 and held as GBK.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(TextFromWide(std::wstring(wide[i])));
    LocalFree(wide);
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    host::RestrictDllSearchToSystem();
    // Only the copy in a hand-over folder removes anything without asking first.
    const std::vector<std::string> arguments = Arguments();
    if (arguments.size() == 4 && arguments[1] == kRemoveSwitch &&
        uninstall::IsHandOverCopy(OwnPath(), uninstall::HandOverRoot())) {
        return Remove(arguments[2], static_cast<DWORD>(std::strtoul(arguments[3].c_str(), nullptr, 10)));
    }
    return AskAndHandOver();
}
