// Whole installations by the built setup, worked from another process as a user works it, each
// case in a fresh prefix of its own: the files and shortcuts it leaves, checked byte for byte
// against the carried product; its failures; leaving during the install; the finish page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"
#include "tests/host/test_support.h"

namespace {

using namespace expected;

const std::string kTitle = "安装向导-Lumora";
constexpr std::uint32_t k详情 = 0x16010047u;
constexpr std::uint32_t k查看更新内容 = 0x16010075u, k查看解决方案 = 0x16010076u, k访问官网 = 0x16010077u;
const char* const kProgramFiles[] = {"Lumora.exe", "TarvelUP.exe", "卸载.exe", "Function.dll", "Tarvel-Skin.dll"};
const char* const kTextFiles[] = {"更新日志.log", "常见问题解答.txt", "Lumora官网.url", "Lumora视频教程.url"};
const char* const kRecord = "C:\\lumora-opened.txt";

// Where the programs of the test are: copied into LUMORA_RUN_DIR when the test runs as another
// user, else where the build left them.
std::string RunDir() {
    char value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("LUMORA_RUN_DIR", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value) : std::string();
}
std::string Located(const char* built, const char* name) {
    return RunDir().empty() ? remote::WindowsPath(built) : RunDir() + "\\" + name;
}
std::string SetupExe() { return Located(LUMORA_SETUP_EXE, "LumoraSetup.exe"); }
std::string ProductDir() { return Located(LUMORA_PRODUCT_DIR, "Lumora"); }
std::string RecorderExe() { return Located(LUMORA_RECORDER_EXE, "open_recorder.exe"); }

bool Eventually(const std::function<bool()>& holds, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (holds()) return true;
        Sleep(50);
    }
    return holds();
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size();
    CloseHandle(f);
    return ok;
}
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string Product(const char* name) {
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(ProductDir() + "\\" + name, bytes)) << name;
    return bytes;
}
// The file holds exactly the carried file's bytes.
::testing::AssertionResult SameAsCarried(const std::string& path, const char* name) {
    std::string bytes;
    if (!test::ReadFileBytes(path, bytes)) return ::testing::AssertionFailure() << path << " is missing";
    if (bytes != Product(name)) return ::testing::AssertionFailure() << path << " differs from " << name;
    return ::testing::AssertionSuccess();
}
std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}
// The target that a shell link file names, or the empty text.
std::string LinkTarget(const std::string& linkFile) {
    IShellLinkA* link = nullptr;
    std::string target;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return target;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
            target = path;
        }
        file->Release();
    }
    link->Release();
    return target;
}
void SetMachineText(const char* name, const std::string& value) {
    ASSERT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}
void SetDefault(const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}
std::vector<DWORD> ProcessesNamed(const char* name) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpA(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::string ImagePath(DWORD processId) {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!p) return {};
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    const bool ok = QueryFullProcessImageNameA(p, 0, path, &size) != FALSE;
    CloseHandle(p);
    return ok ? std::string(path, size) : std::string();
}

class SetupInstall : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        menu = SpecialFolder(CSIDL_PROGRAMS) + "\\Lumora";
        desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
        char programFiles[MAX_PATH] = {};
        GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
        D = std::string(programFiles) + "\\Lumora";
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
        CreateDirectoryA("C:\\Apps", nullptr);
        CreateDirectoryA(D.c_str(), nullptr);
        for (const auto& [name, bytes] : files) ASSERT_TRUE(WriteAll(D + "\\" + name, bytes)) << name;
    }
    // A read-only file of the destination that this user may not replace.
    void MakeReadOnly(const char* name) {
        const std::string path = D + "\\" + name;
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
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
    bool Ticked(std::uint32_t id) const { return SendMessageA(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
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
    int Progress() const { return static_cast<int>(SendMessageA(C(k进度条), PBM_GETPOS, 0, 0)); }
    // The error box that ends a failed install: its text; OK pressed; the exit code checked.
    std::string FailureMessage() {
        HWND box = remote::FindMessageBox(setup.id, 30000);
        if (!box || remote::Text(box) != "错误：") return "no error box";
        const std::string text = remote::Text(GetDlgItem(box, 0xFFFF));
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

TEST_F(SetupInstall, BothOptions) {
    StartSetup();
    WalkToReady();
    ASSERT_TRUE(InstallToFinishPage());
    EXPECT_EQ(Progress(), 90);
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    remote::Click(C(k下一步));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
}

TEST_F(SetupInstall, TextsUnticked) {
    StartSetup();
    WalkToReady(true, false);
    ASSERT_TRUE(InstallToFinishPage());
    EXPECT_EQ(Progress(), 60);
    ExpectFilesInDestination(false);
}

TEST_F(SetupInstall, ShortcutsUnticked) {
    StartSetup();
    WalkToReady(false, true);
    ASSERT_TRUE(InstallToFinishPage());
    ExpectFilesInDestination(true);
    ExpectNothingOutsideTheDestination();
}

TEST_F(SetupInstall, LongerMainProgramReplaced) {
    IntoExistingFolder({{"Lumora.exe", Product("Lumora.exe") + std::string(100000, 'x')},
                        {"TarvelUP.exe", std::string(300000, 'y')}});
    StartSetup();
    WalkToReady();
    ASSERT_TRUE(InstallToFinishPage());
    ExpectFilesInDestination(true);
}

// Read-only files only stop a user without the rights to them: these cases run as a user.
TEST_F(SetupInstall, ReadOnlyUpdater) {
    IntoExistingFolder({{"TarvelUP.exe", "an older updater"}});
    MakeReadOnly("TarvelUP.exe");
    StartSetup();
    WalkToReady();
    ASSERT_TRUE(InstallToFinishPage()) << "the updater's failure passes";
    std::string updater;
    test::ReadFileBytes(D + "\\TarvelUP.exe", updater);
    EXPECT_EQ(updater, "an older updater");
    EXPECT_TRUE(SameAsCarried(D + "\\Lumora.exe", "Lumora.exe"));
    EXPECT_TRUE(SameAsCarried(D + "\\Function.dll", "Function.dll"));
}

TEST_F(SetupInstall, ReadOnlyMainProgram) {
    IntoExistingFolder({{"Lumora.exe", "an older program"}});
    MakeReadOnly("Lumora.exe");
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    EXPECT_EQ(FailureMessage(), "安装Lumora失败！\r\n请尝试管理员权限运行本程序！");
    ExpectNothingOutsideTheDestination();
}

TEST_F(SetupInstall, MissingParent) {
    Into("C:\\no-such-folder\\Lumora");
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    EXPECT_EQ(FailureMessage(), "安装Lumora失败！\r\n请尝试更换安装目录！");
    EXPECT_FALSE(Exists("C:\\no-such-folder"));
    ExpectNothingOutsideTheDestination();
}

TEST_F(SetupInstall, RunningMainProgram) {
    IntoExistingFolder({{"Lumora.exe", Product("Lumora.exe")}, {"Function.dll", Product("Function.dll")}});
    remote::Process product = remote::Start(D + "\\Lumora.exe");
    ASSERT_NE(product.handle, nullptr);
    WaitForInputIdle(product.handle, 10000);

    setup = remote::Start(SetupExe());
    HWND question = remote::FindMessageBox(setup.id, 30000);
    ASSERT_NE(question, nullptr);
    ASSERT_EQ(remote::Text(question), "询问：");
    remote::PressBoxButton(question, IDNO);  // keep it running
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    WalkToReady();
    remote::Click(C(k下一步));
    EXPECT_EQ(FailureMessage(), "安装Lumora失败！\r\n请尝试更换安装目录！");
    ExpectNothingOutsideTheDestination();
    remote::Kill(product);
}

// Drive Q: is a tmpfs too small for the main program.
TEST_F(SetupInstall, FullDisk) {
    ULARGE_INTEGER freeBytes{};
    if (!GetDiskFreeSpaceExA("Q:\\", &freeBytes, nullptr, nullptr)) GTEST_SKIP() << "no small drive Q: here";
    ASSERT_LT(freeBytes.QuadPart, Product("Lumora.exe").size());
    Into("Q:\\Lumora");
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    EXPECT_EQ(FailureMessage(), "安装Lumora失败！\r\n请尝试更换安装目录！");
    ExpectNothingOutsideTheDestination();
}

TEST_F(SetupInstall, QuitDuringInstall) {
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    ASSERT_TRUE(Eventually([&] { return Progress() >= 3; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(remote::Text(box), "退出安装：");
    remote::PressBoxButton(box, IDYES);
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    EXPECT_TRUE(SameAsCarried(D + "\\Lumora.exe", "Lumora.exe")) << "written before the question";
    EXPECT_FALSE(Exists(D + "\\TarvelUP.exe")) << "nothing written after it";
    ExpectNothingOutsideTheDestination();
}

TEST_F(SetupInstall, FinishDefaultTicks) {
    RecordOpenedThings();
    StartSetup();
    WalkToReady();
    ASSERT_TRUE(InstallToFinishPage());
    EXPECT_FALSE(Ticked(k选择框_运行));
    EXPECT_TRUE(Ticked(k查看更新内容));
    EXPECT_TRUE(Ticked(k查看解决方案));
    EXPECT_FALSE(Ticked(k访问官网));
    remote::Click(C(k下一步));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    const auto opened = OpenedThings(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_NE(opened[0].commandLine.find(D + "\\更新日志.log"), std::string::npos) << opened[0].commandLine;
    EXPECT_NE(opened[1].commandLine.find(D + "\\常见问题解答.txt"), std::string::npos) << opened[1].commandLine;
    EXPECT_TRUE(ProcessesNamed("Lumora.exe").empty()) << "the product is not started";
}

TEST_F(SetupInstall, FinishAllFour) {
    ToFinishPage(true, true, true, true);
    remote::Click(C(k下一步));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    const auto opened = OpenedThings(3);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_NE(opened[0].commandLine.find("更新日志.log"), std::string::npos);
    EXPECT_NE(opened[1].commandLine.find("常见问题解答.txt"), std::string::npos);
    EXPECT_NE(opened[2].commandLine.find("www.lumora-app.com"), std::string::npos) << opened[2].commandLine;
    for (const Opened& o : opened) EXPECT_TRUE(o.productRunning) << "the product was started first";
    EXPECT_EQ(ProcessesNamed("Lumora.exe").size(), 1u);
}

TEST_F(SetupInstall, FinishNone) {
    ToFinishPage(false, false, false, false);
    remote::Click(C(k下一步));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    EXPECT_TRUE(OpenedThings(0).empty());
    EXPECT_TRUE(ProcessesNamed("Lumora.exe").empty());
}

TEST_F(SetupInstall, FinishClosedByTheTitleBar) {
    ToFinishPage(true, true, false, false);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    EXPECT_EQ(remote::FindMessageBox(setup.id, 0), nullptr);
    const auto opened = OpenedThings(1);
    ASSERT_EQ(opened.size(), 1u) << "exactly once";
    EXPECT_NE(opened[0].commandLine.find("更新日志.log"), std::string::npos);
    EXPECT_TRUE(opened[0].productRunning);
    EXPECT_EQ(ProcessesNamed("Lumora.exe").size(), 1u);
}

// The default destination has a blank in it: a program planted at C:\Program.exe is the one
// an unquoted start would find first.
TEST_F(SetupInstall, QuotedLaunch) {
    ASSERT_NE(D.find(' '), std::string::npos) << D;
    ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), "C:\\Program.exe", FALSE));
    ToFinishPage(true, false, false, false);
    remote::Click(C(k下一步));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    EXPECT_TRUE(OpenedThings(0).empty()) << "C:\\Program.exe was started";
    ASSERT_TRUE(Eventually([] { return !ProcessesNamed("Lumora.exe").empty(); }));
    const std::string started = ImagePath(ProcessesNamed("Lumora.exe").front());
    EXPECT_EQ(lstrcmpiA(started.c_str(), (D + "\\Lumora.exe").c_str()), 0) << started;
}

}  // namespace
