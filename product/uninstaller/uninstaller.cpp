// 卸载.exe: removes Lumora from this computer, exactly what the setup wrote.
//
// Started from the product folder, it asks; on Yes it copies itself into a new folder that
// only SYSTEM and the Administrators may change (hand_over.h), starts the copy there with the
// product folder and its own process id, and ends, so that the copy can remove it too. The
// copy waits for it to end, offers to close a running Lumora, removes the files and
// shortcuts, says what it did, and goes with its folder at the next restart, or earlier when
// a later run clears what earlier ones left.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <string>

#include "host/dll_search.h"
#include "host/text.h"
#include "product/uninstaller/hand_over.h"
#include "product/uninstaller/owned_handle.h"
#include "product/uninstaller/removal.h"

namespace {

using uninstall::Kept;
using uninstall::OwnedHandle;

constexpr char kCaption[] = "卸载 Lumora";
constexpr char kAsk[] =
    "确定要从此电脑中移除 Lumora 及其开始菜单和桌面快捷方式吗？\r\n\r\n你自己放在安装文件夹中的文件不会被删除。";
constexpr char kRunning[] = "Lumora 正在运行，需要先关闭它才能完全卸载。\r\n\r\n是否关闭 Lumora？";
constexpr char kCannotStart[] = "无法开始卸载：不能在临时文件夹中准备卸载程序。\r\n\r\n请稍后重试。";
constexpr char kRemoveSwitch[] = "/remove";

int Ask(const char* text, UINT flags) { return MessageBoxA(nullptr, text, kCaption, flags | MB_SETFOREGROUND); }

// A path that the system writes into a buffer of the caller's: grown until it fits.
template <typename Fill>
std::string Grown(Fill fill) {
    std::string path(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD got = fill(path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.assign(path.size() * 2 > got + 1 ? path.size() * 2 : got + 1, '\0');
    }
    return {};
}

std::string OwnPath() {
    return Grown([](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); });
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH + 1] = {};  // the size the call writes into
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return {};
    return host::TextFromField(path, sizeof path);
}

const char* Why(Kept why) {
    switch (why) {
        case Kept::StillRunning: return "Lumora 仍在运行";
        case Kept::InUse: return "正在被其它程序使用";
        case Kept::Denied: return "没有删除它的权限";
        case Kept::NotOurs: return "不是 Lumora 安装程序创建的，已保留";
        case Kept::HoldsOtherFiles: return "其中还有其它文件，已保留";
        default: return "系统拒绝删除";
    }
}

std::string ImageOf(HANDLE process) {
    return Grown([process](char* b, DWORD n) {
        DWORD size = n;
        return QueryFullProcessImageNameA(process, 0, b, &size) ? size : 0;
    });
}

// The running Lumora that was started from `folder`, opened with the rights to end it. The
// handle keeps the process, and so its number, from passing to another program while the
// user is asked: what is ended on Yes is the Lumora that was found, or nothing.
OwnedHandle RunningProduct(const std::string& folder) {
    const std::string program = folder + "\\Lumora.exe";
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return {};
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Lumora.exe") != 0) continue;
        // Opened first, then its image asked: the number cannot change hands in between.
        OwnedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                        entry.th32ProcessID));
        if (process && uninstall::SamePath(ImageOf(process.get()), program)) return process;
    }
    return {};
}

void EndProcess(HANDLE process) {
    if (TerminateProcess(process, 0)) WaitForSingleObject(process, 5000);  // until its files are free
}

// Copies this program into the hand-over folder and starts the copy there, with that folder as
// its current folder. The folder is held open without delete sharing, and then the copy without
// write or delete sharing, until the copy has been started: neither can be renamed away and
// replaced in between.
bool StartCopy(const std::string& self, const std::string& folder, const std::string& copy) {
    const OwnedHandle heldFolder(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!heldFolder || !CopyFileA(self.c_str(), copy.c_str(), TRUE)) return false;
    const OwnedHandle heldCopy(
        CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!heldCopy) return false;
    std::string line = "\"" + copy + "\" " + kRemoveSwitch + " \"" + uninstall::FolderOf(self) + "\" " +
                       std::to_string(GetCurrentProcessId());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started)) {
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
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
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
        if (Ask(kRunning, MB_YESNO | MB_ICONQUESTION) == IDYES) EndProcess(running.get());
        else keptRunning = true;
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
    Ask(said.c_str(), MB_OK | (report.kept.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    host::RestrictDllSearchToSystem();
    // Only the copy in a hand-over folder removes anything without asking first.
    if (__argc == 4 && lstrcmpA(__argv[1], kRemoveSwitch) == 0 &&
        uninstall::IsHandOverCopy(OwnPath(), uninstall::HandOverRoot())) {
        return Remove(__argv[2], static_cast<DWORD>(std::strtoul(__argv[3], nullptr, 10)));
    }
    return AskAndHandOver();
}
