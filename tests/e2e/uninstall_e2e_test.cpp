// The installed uninstaller, after a real installation by the built setup: run from the
// product folder or its Start-menu link and answered as a user answers it, each case in a
// fresh prefix of its own. It removes exactly what the setup wrote, and nothing else.
#include "tests/e2e/uninstall_fixture.h"

#include <cstdio>

#include <aclapi.h>
#include <sddl.h>

#include <regex>
#include <tuple>

namespace {

using namespace e2e;

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string LeafOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// The access list of `path` as the system reports it back, in its text form ("O:owner D:...").
std::string ReportedAccessList(const std::string& path) {
    constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    char* text = nullptr;
    std::string list;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, kParts, nullptr, nullptr, nullptr, nullptr, &descriptor) ==
            ERROR_SUCCESS &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, kParts, &text, nullptr)) {
        list = text;
    }
    LocalFree(text);
    LocalFree(descriptor);
    return list;
}

// The Unix permission bits of a file of the prefix, as `stat` tells them; -1 when unknown.
int UnixMode(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(test::Wide(path).c_str()) : nullptr;
    if (!name) return -1;
    std::string line = std::string("/usr/bin/stat -c %a \"") + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    const char* const said = "C:\\lumora-stat.txt";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileA(said, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION stat{};
    const bool ran = CreateProcessA("Z:\\usr\\bin\\stat", line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                    &startup, &stat) != FALSE;
    CloseHandle(startup.hStdOutput);
    // Wine gives no handle that tells when a Unix program has ended: its answer is waited for.
    std::string octal;
    return ran && Eventually([&] { return test::ReadFileBytes(said, octal) && octal.find('\n') != std::string::npos; })
               ? std::stoi(octal, nullptr, 8)
               : -1;
}

TEST_F(Uninstall, EverythingGoesWithTheFolder) {
    Install();
    StartUninstaller(true);
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    EXPECT_NE(report.find("卸载完成"), std::string::npos) << report;
    ExpectAllTheSetupWroteGone();
    EXPECT_FALSE(Exists(D)) << "the folder, empty, goes too";
    // The copy that did the work goes at the next restart.
    char pending[8192] = {};
    DWORD size = sizeof pending;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                           "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size),
              ERROR_SUCCESS);
    EXPECT_NE(std::string(pending, size).find("lumora-uninstall-"), std::string::npos);
}

// The copy that works as administrator runs from a new folder with an unguessable name in the
// system's Windows\Temp, whose list admits only SYSTEM and the Administrators (whom Wine, which
// keeps the list as Unix permission bits, reports as the owner).
TEST_F(Uninstall, TheCopyRunsFromAFolderOnlyAdministratorsMayChange) {
    Install();
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_NE(remote::FindBoxTitled(kUninstallCaption, 30000), nullptr);  // the report, shown by the copy
    const std::string folder = FolderOf(RunningCopy());
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetSystemWindowsDirectoryA(windows, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(FolderOf(folder).c_str(), (std::string(windows) + "\\Temp").c_str()), 0) << folder;
    EXPECT_TRUE(std::regex_match(LeafOf(folder), std::regex("lumora-uninstall-[0-9a-f]{32}"))) << folder;

    const std::string list = ReportedAccessList(folder);
    std::smatch owner;
    ASSERT_TRUE(std::regex_search(list, owner, std::regex("^O:([^D]+)D:"))) << list;
    const std::regex allowed(R"(\(A;[^;]*;[^;]*;;;([^)]+)\))");
    for (std::sregex_iterator ace(list.begin(), list.end(), allowed), end; ace != end; ++ace) {
        EXPECT_TRUE((*ace)[1] == "SY" || (*ace)[1] == "BA" || (*ace)[1] == owner[1]) << list;
    }
    const int mode = UnixMode(folder);
    EXPECT_TRUE(mode != -1 && (mode & 027) == 0) << std::oct << mode << ": no write for the group, nothing for others";
    Report();
    // A row for the fault table (scripts/fault-table.sh), beside the setup's faults.
    std::printf("FAULT-ROW|the uninstaller's hand-over (卸载.exe run after an install, Yes)|(its report)|-|"
                "the copy in %s\\lumora-uninstall-<32 hex digits>; access list as reported: %s; Unix mode %o\n",
                FolderOf(folder).c_str(), list.c_str(), static_cast<unsigned>(mode));
    std::fflush(stdout);
}

TEST_F(Uninstall, TheUsersFileAndItsFolderStay) {
    Install();
    ASSERT_TRUE(WriteAll(D + "\\我的笔记.txt", "mine"));
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    EXPECT_NE(report.find(D + "\r\n    其中还有其它文件"), std::string::npos) << report;
    ExpectAllTheSetupWroteGone();
    std::string mine;
    EXPECT_TRUE(test::ReadFileBytes(D + "\\我的笔记.txt", mine));
    EXPECT_EQ(mine, "mine");
}

TEST_F(Uninstall, NoChangesNothing) {
    Install();
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDNO));
    EXPECT_EQ(remote::WaitExit(uninstaller, 10000), 0);
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    EXPECT_TRUE(NothingOfTheUninstallerRuns());
}

TEST_F(Uninstall, TwiceOver) {
    Install();
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    Report();
    const std::string firstCopy = copy;
    // The uninstaller put back alone, as from a copy of the folder: it removes itself, and
    // finding nothing else is no error.
    CreateDirectoryA(D.c_str(), nullptr);
    ASSERT_TRUE(WriteAll(D + "\\卸载.exe", Product("卸载.exe")));
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    EXPECT_NE(report.find("卸载完成，共删除 2 项"), std::string::npos) << report;  // itself and the folder
    EXPECT_FALSE(Exists(D));
    // The second run cleared what the first one left to the restart, and drew a new name.
    EXPECT_FALSE(Exists(FolderOf(firstCopy))) << firstCopy;
    EXPECT_NE(FolderOf(copy), FolderOf(firstCopy));
    EXPECT_TRUE(Exists(copy)) << "its own copy waits for the restart";
}

TEST_F(Uninstall, RunningLumoraClosedOnYes) {
    Install();
    const remote::Process product = StartInstalledProduct();
    ASSERT_NE(product.handle, nullptr);
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_TRUE(Answer("正在运行", IDYES));
    EXPECT_EQ(WaitForSingleObject(product.handle, 10000), WAIT_OBJECT_0);
    Report();
    ExpectAllTheSetupWroteGone();
    EXPECT_FALSE(Exists(D));
}

// Yes asks every window of a running Lumora, and its own answer stands: refused, it keeps running
// and its program stays; asking its user a while, hung, or with a hidden window only, it goes.
TEST_F(Uninstall, RunningLumorasOwnAnswerStands) {
    for (const auto& [answer, runsOn, saves] : {std::tuple("refuse", true, false), {"ask", false, true},
                                                {"hang", false, false}, {"hidden", false, true}}) {
        SCOPED_TRACE(answer);
        DeleteFileA((D + "\\saved").c_str());  // the last case's: a file of another program stops an install
        Install();
        ASSERT_TRUE(CopyFileA(remote::WindowsPath(LUMORA_CLOSING_PRODUCT).c_str(), (D + "\\Lumora.exe").c_str(), FALSE));
        SetEnvironmentVariableA("LUMORA_CLOSE_ANSWER", answer);  // the stand-in inherits it
        const remote::Process product = StartInstalledProduct();
        StartUninstaller();
        ASSERT_TRUE(Answer("移除 Lumora", IDYES) && Answer("正在运行", IDYES));
        EXPECT_EQ(Report().find("Lumora 仍在运行") != std::string::npos, runsOn);
        EXPECT_EQ(remote::WaitExit(product, 0) == -1, runsOn);
        EXPECT_EQ(Exists(D + "\\saved"), saves);
        EXPECT_FALSE(Exists(D + "\\cut")) << "told to end inside its question";
        if (runsOn) remote::Kill(product);
    }
}

// While the question is open the uninstaller holds the Lumora it found: when that Lumora ends
// meanwhile, its number is not given to another program, which Yes could then end.
TEST_F(Uninstall, RunningLumoraThatEndsDuringTheQuestionKeepsItsNumber) {
    Install();
    const remote::Process product = StartInstalledProduct();
    ASSERT_NE(product.handle, nullptr);
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_NE(remote::FindBoxTitled(kUninstallCaption, 20000), nullptr);
    remote::Kill(product);  // ended, and our handle closed
    Sleep(2000);            // unheld, an ended process's number is free again within half a second
    HANDLE ended = OpenProcess(SYNCHRONIZE, FALSE, product.id);
    EXPECT_TRUE(ended && WaitForSingleObject(ended, 0) == WAIT_OBJECT_0) << "the number went free";
    if (ended) CloseHandle(ended);
    ASSERT_TRUE(Answer("正在运行", IDYES));
    EXPECT_NE(Report().find("卸载完成"), std::string::npos);
    EXPECT_FALSE(Exists(D));
}

// The restart's list of what to remove or rename, as the registry holds it.
std::wstring PendingAtRestart() {
    std::wstring pending(8192, L'\0');
    DWORD size = static_cast<DWORD>(pending.size() * sizeof(wchar_t));
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations",
                        RRF_RT_REG_MULTI_SZ, nullptr, pending.data(), &size) == ERROR_SUCCESS ? pending : std::wstring();
}

// A library that another program has loaded is in use, not forbidden: the report says so, it
// goes at the next restart, and what a setup ended midway left goes now. Moved aside, its name
// is free: a reinstall before the restart (Wine's: wineboot, which a fresh start of its server
// runs) keeps a whole Function.dll after it.
TEST_F(Uninstall, ALibraryInUseGoesAtTheNextRestart) {
    Install();
    ASSERT_TRUE(WriteAll(D + "\\~lumora-0badf00d.new", "part"));
    // Loaded here, as a program that uses it holds it.
    const HMODULE held = LoadLibraryW(test::Wide(D + "\\Function.dll").c_str());
    ASSERT_NE(held, nullptr);
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    FreeLibrary(held);
    EXPECT_NE(report.find(D + "\\Function.dll\r\n    正在被其它程序使用，将在重新启动电脑后删除"), std::string::npos) << report;
    EXPECT_EQ(report.find("没有删除它的权限"), std::string::npos) << report;
    EXPECT_FALSE(Exists(D + "\\~lumora-0badf00d.new"));
    EXPECT_FALSE(Exists(D + "\\Function.dll")) << "its name is free at once";
    EXPECT_FALSE(Exists(D + "\\Lumora.exe"));
    EXPECT_NE(PendingAtRestart().find(test::Wide(D + "\\~lumora-")), std::wstring::npos);

    Install();
    ASSERT_EQ(remote::RunToEnd("C:\\windows\\system32\\wineboot.exe -r", 60000), 0);
    EXPECT_EQ(PendingAtRestart().find(L"~lumora-"), std::wstring::npos) << "the restart has carried out its list";
    EXPECT_TRUE(SameAsCarried(D + "\\Function.dll", "Function.dll")) << "the reinstalled library survives the restart";
}

TEST_F(Uninstall, RunningLumoraKeptOnNo) {
    Install();
    const remote::Process product = StartInstalledProduct();
    ASSERT_NE(product.handle, nullptr);
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    ASSERT_TRUE(Answer("正在运行", IDNO));
    const std::string report = Report();
    EXPECT_NE(report.find(D + "\\Lumora.exe\r\n    Lumora 仍在运行"), std::string::npos) << report;
    EXPECT_EQ(remote::WaitExit(product, 0), -1) << "still running";
    EXPECT_TRUE(SameAsCarried(D + "\\Lumora.exe", "Lumora.exe"));
    EXPECT_FALSE(Exists(D + "\\TarvelUP.exe"));
    ExpectNothingOutsideTheDestination();
    remote::Kill(product);
}

TEST_F(Uninstall, ADesktopLinkNamedLumoraThatLeadsElsewhereStays) {
    Install();
    const std::string link = desktop + "\\Lumora.lnk";
    ASSERT_TRUE(DeleteFileA(link.c_str()));
    const std::string elsewhere = "C:\\windows\\notepad.exe";
    {
        IShellLinkA* shellLink = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                               reinterpret_cast<void**>(&shellLink))));
        shellLink->SetPath(elsewhere.c_str());
        IPersistFile* file = nullptr;
        ASSERT_TRUE(SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
        file->Release();
        shellLink->Release();
    }
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    EXPECT_NE(report.find(link + "\r\n    不是 Lumora 安装程序创建的"), std::string::npos) << report;
    EXPECT_EQ(lstrcmpiA(LinkTarget(link).c_str(), elsewhere.c_str()), 0);
    EXPECT_FALSE(Exists(desktop + "\\Lumora官网.url"));
    EXPECT_FALSE(Exists(D));
}

TEST_F(Uninstall, AfterAnInstallWithoutTextsOrShortcuts) {
    Install(false, false);
    StartUninstaller();
    ASSERT_TRUE(Answer("移除 Lumora", IDYES));
    const std::string report = Report();
    EXPECT_NE(report.find("卸载完成，共删除 6 项"), std::string::npos) << report;  // five files and the folder
    EXPECT_FALSE(Exists(D));
}

}  // namespace
