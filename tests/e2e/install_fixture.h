#pragma once
// Installing with the built setup from another process, as a user does it, and looking at
// what it left: the programs of the build, the carried files to compare with, the special
// folders, shortcuts, and a stand-in for the programs the shell opens things with. Names and
// texts are GBK here, as the setup holds them, and reach the system in UTF-16 converted with
// code page 936 (test::Wide, test::Gbk): the same expectations hold on every ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"
#include "tests/host/test_support.h"

namespace e2e {

using namespace expected;

inline const std::string kTitle = "安装向导-Lumora";
inline constexpr std::uint32_t k详情 = 0x16010047u;
inline constexpr std::uint32_t k查看更新内容 = 0x16010075u, k查看解决方案 = 0x16010076u, k访问官网 = 0x16010077u;
inline const char* const kProgramFiles[] = {"Lumora.exe", "TarvelUP.exe", "卸载.exe", "Function.dll", "Tarvel-Skin.dll"};
inline const char* const kTextFiles[] = {"更新日志.log", "常见问题解答.txt", "Lumora官网.url", "Lumora视频教程.url"};
inline const char* const kRecord = "C:\\lumora-opened.txt";

// Where the programs of the test are: copied into LUMORA_RUN_DIR when the test runs as another
// user, else where the build left them.
inline std::string RunDir() {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"LUMORA_RUN_DIR", value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? test::Gbk(std::wstring(value, n)) : std::string();
}
inline std::string Located(const char* built, const char* name) {
    return RunDir().empty() ? remote::WindowsPath(built) : RunDir() + "\\" + name;
}
inline std::string SetupExe() { return Located(LUMORA_SETUP_EXE, "LumoraSetup.exe"); }
inline std::string ProductDir() { return Located(LUMORA_PRODUCT_DIR, "Lumora"); }
inline std::string RecorderExe() { return Located(LUMORA_RECORDER_EXE, "open_recorder.exe"); }

using remote::Eventually;

inline bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(test::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
    CloseHandle(f);
    return ok;
}
inline bool Exists(const std::string& path) {
    return GetFileAttributesW(test::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline std::string Product(const char* name) {
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(ProductDir() + "\\" + name, bytes)) << name;
    return bytes;
}
// The file holds exactly the carried file's bytes.
inline ::testing::AssertionResult SameAsCarried(const std::string& path, const char* name) {
    std::string bytes;
    if (!test::ReadFileBytes(path, bytes)) return ::testing::AssertionFailure() << path << " is missing";
    if (bytes != Product(name)) return ::testing::AssertionFailure() << path << " differs from " << name;
    return ::testing::AssertionSuccess();
}
inline std::string SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return test::Gbk(path);
}
// The target that a shell link file names, or the empty text. Wine gives back the path a link
// keeps in the ANSI code page, where a character the code page lacks reads as '?' (no file
// name holds one); the link's item list, which the shell follows too, keeps it whole.
inline std::string LinkTarget(const std::string& linkFile) {
    IShellLinkW* link = nullptr;
    std::string target;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return target;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(test::Wide(linkFile).c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
            PIDLIST_ABSOLUTE items = nullptr;
            if (std::wcschr(path, L'?') && SUCCEEDED(link->GetIDList(&items)) && items) {
                if (!SHGetPathFromIDListW(items, path)) path[0] = L'\0';
                CoTaskMemFree(items);
            }
            target = test::Gbk(path);
        }
        file->Release();
    }
    link->Release();
    return target;
}
// A text value as a string of UTF-16 units with its terminator.
inline LSTATUS SetText(HKEY key, const wchar_t* name, const std::string& value) {
    const std::wstring wide = test::Wide(value);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}
inline void SetMachineText(const char* name, const std::string& value) {
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, test::Wide(name).c_str(), value), ERROR_SUCCESS);
}
inline void SetDefault(const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, test::Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    SetText(k, nullptr, value);
    RegCloseKey(k);
}
// Every process of the snapshot: its id, its parent's, and its file name (GBK).
struct ProcessEntry {
    DWORD id, parent;
    std::string name;
};
inline std::vector<ProcessEntry> Processes() {
    std::vector<ProcessEntry> all;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return all;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        all.push_back({entry.th32ProcessID, entry.th32ParentProcessID, test::Gbk(entry.szExeFile)});
    }
    CloseHandle(snapshot);
    return all;
}
inline std::vector<DWORD> ProcessesNamed(const char* name) {
    std::vector<DWORD> ids;
    for (const ProcessEntry& p : Processes()) {
        if (p.name == name) ids.push_back(p.id);
    }
    return ids;
}

// The process that started this one: its id, and its file name while it runs.
struct Parent {
    DWORD id = 0;
    std::string name;
};
inline Parent ParentOf(DWORD processId) {
    Parent parent;
    std::map<DWORD, std::string> names;
    for (const ProcessEntry& p : Processes()) {
        names[p.id] = p.name;
        if (p.id == processId) parent.id = p.parent;
    }
    if (names.count(parent.id)) parent.name = names[parent.id];
    return parent;
}

// The current folder of another (32-bit) process, read from its process parameters.
inline std::string CurrentFolderOf(DWORD processId) {
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!p || !query) return {};
    PROCESS_BASIC_INFORMATION basic{};
    DWORD parameters = 0;
    struct {
        USHORT length, capacity;
        DWORD buffer;
    } folder{};
    std::wstring wide;
    // The parameters' address lies at 0x10 of the process block; the current folder's path
    // at 0x24 of the parameters.
    if (query(p, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(p, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + 0x10, &parameters,
                          sizeof parameters, nullptr) &&
        ReadProcessMemory(p, reinterpret_cast<void*>(parameters + 0x24), &folder, sizeof folder, nullptr)) {
        wide.resize(folder.length / 2);
        if (!ReadProcessMemory(p, reinterpret_cast<void*>(folder.buffer), wide.data(), folder.length, nullptr)) wide.clear();
    }
    CloseHandle(p);
    std::string path = test::Gbk(wide);
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// While it lives, the session has a shell window, as a signed-in user's desktop has: the
// setup then asks the desktop's shell to start what the finish page offers.
class ShellWindow {
public:
    ShellWindow() {
        using Set = BOOL(WINAPI*)(HWND);
        const auto set = reinterpret_cast<Set>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
        window_ = CreateWindowExW(0, L"STATIC", L"shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(set && window_ && set(window_) && GetShellWindow() == window_);
    }
    ~ShellWindow() { DestroyWindow(window_); }
    ShellWindow(const ShellWindow&) = delete;
    ShellWindow& operator=(const ShellWindow&) = delete;

private:
    HWND window_ = nullptr;
};

inline std::string ImagePath(DWORD processId) {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!p) return {};
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool ok = QueryFullProcessImageNameW(p, 0, path, &size) != FALSE;
    CloseHandle(p);
    return ok ? test::Gbk(std::wstring(path, size)) : std::string();
}

class SetupInstall : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        menu = SpecialFolder(CSIDL_PROGRAMS) + "\\Lumora";
        desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        wchar_t programFiles[MAX_PATH] = {};
        GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
        D = test::Gbk(programFiles) + "\\Lumora";
    }
    void TearDown() override {
        if (setup.handle && remote::WaitExit(setup, 0) == -1) remote::Kill(setup);
        for (DWORD id : ProcessesNamed("Lumora.exe")) {
            HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (p) {
                TerminateProcess(p, 0);
                WaitForSingleObject(p, 5000);
                CloseHandle(p);
            }
        }
        CoUninitialize();
    }

    // Installs into `folder` (taken unchanged, as an administrator's fixed destination would be).
    void Into(const std::string& folder) {
        SetMachineText("TarvelPaths", folder);
        D = folder;
    }
    // Installs into a folder that exists already, holding these files.
    void IntoExistingFolder(std::initializer_list<std::pair<const char*, std::string>> files) {
        Into("C:\\Apps\\Lumora");
        CreateDirectoryW(L"C:\\Apps", nullptr);
        CreateDirectoryW(test::Wide(D).c_str(), nullptr);
        for (const auto& [name, bytes] : files) ASSERT_TRUE(WriteAll(D + "\\" + name, bytes)) << name;
    }
    // A read-only file of the destination that this user may not replace.
    void MakeReadOnly(const char* name) {
        const std::string path = D + "\\" + name;
        ASSERT_TRUE(SetFileAttributesW(test::Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_FALSE(WriteAll(path, "x")) << "this case needs a user whom the system denies";
    }
    void StartSetup() {
        setup = remote::Start(SetupExe());
        ASSERT_NE(setup.handle, nullptr);
        window = remote::FindTopWindow(setup.id, kTitle, 30000);
        ASSERT_NE(window, nullptr);
    }
    HWND C(std::uint32_t id) const { return remote::FindControl(window, id); }
    std::string TextOf(std::uint32_t id) const { return remote::Text(C(id)); }
    bool Ticked(std::uint32_t id) const { return SendMessageW(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetTicked(std::uint32_t id, bool ticked) {
        if (Ticked(id) == ticked) return;
        remote::Click(C(id));
        ASSERT_TRUE(Eventually([&] { return Ticked(id) == ticked; }));
    }
    void ClickTo(std::uint32_t id, const std::string& title) {
        remote::Click(C(id));
        ASSERT_TRUE(Eventually([&] { return TextOf(k主标题) == title; })) << title;
    }
    void WalkToReady(bool shortcuts = true, bool texts = true) {
        ClickTo(k下一步, "许可协议");
        remote::Click(C(k接受));
        ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
        ClickTo(k下一步, "选择目标位置");
        ASSERT_EQ(TextOf(k路径), D);
        SetTicked(k创建快捷方式, shortcuts);
        SetTicked(k释放文本, texts);
        ClickTo(k下一步, "准备安装");
    }
    // Presses Install and waits for the finish page; false when it did not come.
    bool InstallToFinishPage() {
        remote::Click(C(k下一步));
        return Eventually([&] { return TextOf(k下一步) == "完成(I)" && IsWindowVisible(C(k下一步)); }, 30000);
    }
    // A whole install with both options, every file and shortcut checked, and Finish.
    void InstallEverythingAndFinish() {
        StartSetup();
        WalkToReady();
        ASSERT_TRUE(InstallToFinishPage());
        EXPECT_EQ(Progress(), 90);
        ExpectFilesInDestination(true);
        ExpectShortcuts();
        remote::Click(C(k下一步));
        EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    }
    int Progress() const { return static_cast<int>(SendMessageW(C(k进度条), PBM_GETPOS, 0, 0)); }
    // The error box that ends a failed install: its text; OK pressed; the exit code checked.
    std::string FailureMessage() {
        HWND box = remote::FindMessageBox(setup.id, 30000);
        if (!box || remote::Text(box) != "错误：") return "no error box";
        const std::string text = remote::BoxMessage(box);
        remote::PressBoxButton(box, IDOK);
        EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
        return text;
    }

    void ExpectFilesInDestination(bool texts) {
        for (const char* name : kProgramFiles) EXPECT_TRUE(SameAsCarried(D + "\\" + name, name));
        for (const char* name : kTextFiles) {
            if (texts) EXPECT_TRUE(SameAsCarried(D + "\\" + name, name));
            else EXPECT_FALSE(Exists(D + "\\" + name)) << name;
        }
    }
    void ExpectShortcuts() {
        for (const char* url : {"Lumora官网.url", "Lumora视频教程.url"}) {
            EXPECT_TRUE(SameAsCarried(menu + "\\" + url, url));
            EXPECT_TRUE(SameAsCarried(desktop + "\\" + url, url));
        }
        EXPECT_EQ(LinkTarget(menu + "\\Lumora.lnk"), D + "\\Lumora.exe");
        EXPECT_EQ(LinkTarget(menu + "\\卸载.lnk"), D + "\\卸载.exe");
        EXPECT_EQ(LinkTarget(desktop + "\\Lumora.lnk"), D + "\\Lumora.exe");
    }
    void ExpectNothingOutsideTheDestination() {
        EXPECT_FALSE(Exists(menu)) << "no Start-menu folder";
        for (const char* name : {"Lumora官网.url", "Lumora视频教程.url", "Lumora.lnk"}) {
            EXPECT_FALSE(Exists(desktop + "\\" + name)) << name;
        }
    }

    // What the stand-in document and web handlers were started for, in the order started.
    struct Opened {
        bool productRunning;
        std::string program, commandLine;
    };
    void RecordOpenedThings() {
        const std::string recorder = RecorderExe();
        const std::string command = "\"" + recorder + "\" \"%1\"";
        for (const char* kind : {"lumoralog", "lumoratxt"}) SetDefault(std::string(kind) + "\\shell\\open\\command", command);
        SetDefault(".log", "lumoralog");
        SetDefault(".txt", "lumoratxt");
        SetDefault("http\\shell\\open\\command", command);
        SetDefault("http", "URL:HyperText Transfer Protocol");
    }
    std::vector<Opened> OpenedThings(std::size_t expected) {
        std::string record;
        Eventually([&] { return test::ReadFileBytes(kRecord, record) && std::count(record.begin(), record.end(), '\n') >= static_cast<long>(expected); },
                   expected ? 10000 : 1500);
        std::vector<std::string> lines;
        std::istringstream in(record);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());  // by start time, the first field
        std::vector<Opened> opened;
        for (const std::string& line : lines) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string f; std::getline(parts, f, '|');) fields.push_back(f);
            if (fields.size() == 4) opened.push_back({fields[1] == "1", fields[2], fields[3]});
        }
        return opened;
    }
    // Installs with both options and sets the finish page's four boxes.
    void ToFinishPage(bool run, bool notes, bool answers, bool website) {
        RecordOpenedThings();
        StartSetup();
        WalkToReady();
        ASSERT_TRUE(InstallToFinishPage());
        SetTicked(k选择框_运行, run);
        SetTicked(k查看更新内容, notes);
        SetTicked(k查看解决方案, answers);
        SetTicked(k访问官网, website);
    }

    remote::Process setup;
    HWND window = nullptr;
    std::string D, menu, desktop;
};

}  // namespace e2e
