// The fault suite: the built setup under each fault a user's machine can hand it, each case
// in a fresh prefix of its own. Every case ends with exit code 0 and no crash, and every file
// that the setup reports as written holds exactly its carried bytes. Each case also prints a
// row "FAULT-ROW|fault|what the setup said|exit code|files left" for the README's table
// (scripts/fault-table.sh).
#include "tests/e2e/install_fixture.h"

#include <cstdio>

namespace {

using namespace e2e;

const std::string kFailed = "安装Lumora失败！\r\n请尝试更换安装目录！";
const std::string kFailedWithoutRights = "安装Lumora失败！\r\n请尝试管理员权限运行本程序！";

std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

class Fault : public SetupInstall {
protected:
    void TearDown() override {
        int present = 0, whole = 0;
        auto look = [&](const char* name) {
            present += Exists(D + "\\" + name);
            whole += Exists(D + "\\" + name) && SameAsCarried(D + "\\" + name, name);
        };
        for (const char* name : kProgramFiles) look(name);
        for (const char* name : kTextFiles) look(name);
        std::string files = present ? std::to_string(present) + " of the 9 files (" + std::to_string(whole) + " whole)"
                                    : "none of the 9 files";
        files += Exists(menu) || Exists(desktop + "\\Lumora.lnk") ? ", the shortcuts" : ", no shortcuts";
        std::printf("FAULT-ROW|%s|%s|%ld|%s\n", fault.c_str(), OneLine(said).c_str(), exitCode, files.c_str());
        std::fflush(stdout);
        SetupInstall::TearDown();
    }

    // The install as pressed, to its end: the finish page left by Finish, or the error box
    // answered. What was said and the exit code are kept for the row.
    void InstallToTheEnd() {
        remote::Click(C(k下一步));
        HWND box = nullptr;
        ASSERT_TRUE(Eventually(
            [&] {
                box = remote::FindMessageBox(setup.id, 0);
                return box || TextOf(k下一步) == "完成(I)";
            },
            30000));
        if (box) {
            said = remote::BoxMessage(box);
            remote::PressBoxButton(box, IDOK);
        } else {
            said = "(finish page)";
            SetTicked(k查看更新内容, false);
            SetTicked(k查看解决方案, false);
            remote::Click(C(k下一步));
        }
        exitCode = remote::WaitExit(setup, 20000);
        EXPECT_EQ(exitCode, 0);
    }
    // Every file of the destination that is there holds its carried bytes.
    void ExpectWrittenFilesWhole() {
        auto whole = [&](const char* name) {
            if (Exists(D + "\\" + name)) {
                EXPECT_TRUE(SameAsCarried(D + "\\" + name, name));
            }
        };
        for (const char* name : kProgramFiles) {
            if (name != std::string("TarvelUP.exe")) whole(name);  // the read-only one keeps its own
        }
        for (const char* name : kTextFiles) whole(name);
    }
    void SetMachineValue(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "TarvelPaths", 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    std::string fault, said = "(nothing)";
    long exitCode = -1;
};

TEST_F(Fault, MissingParent) {
    fault = "destination whose parent folder is missing";
    Into("C:\\no-such-folder\\Lumora");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    EXPECT_FALSE(Exists("C:\\no-such-folder"));
    ExpectNothingOutsideTheDestination();
}

// Read-only files and folders only stop a user without rights to them: these cases run as
// an unprivileged user.
TEST_F(Fault, ReadOnlyDestinationFolder) {
    fault = "read-only destination folder (run as a user)";
    Into("Z:\\usr\\share");
    ASSERT_FALSE(WriteAll(D + "\\lumora-probe.txt", "x")) << "this case needs a user whom the system denies";
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailedWithoutRights);
    ExpectNothingOutsideTheDestination();
}

TEST_F(Fault, ReadOnlyUpdater) {
    fault = "read-only updater in the destination (run as a user)";
    IntoExistingFolder({{"TarvelUP.exe", "an older updater"}});
    MakeReadOnly("TarvelUP.exe");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)") << "the updater's failure passes";
    std::string updater;
    test::ReadFileBytes(D + "\\TarvelUP.exe", updater);
    EXPECT_EQ(updater, "an older updater");
    ExpectWrittenFilesWhole();
}

TEST_F(Fault, ReadOnlyMainProgram) {
    fault = "read-only main program in the destination (run as a user)";
    IntoExistingFolder({{"Lumora.exe", "an older program"}});
    MakeReadOnly("Lumora.exe");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailedWithoutRights);
    ExpectNothingOutsideTheDestination();
}

TEST_F(Fault, RunningMainProgram) {
    fault = "main program locked by a running copy (kept running)";
    IntoExistingFolder({{"Lumora.exe", Product("Lumora.exe")}, {"Function.dll", Product("Function.dll")}});
    remote::Process product = remote::Start(D + "\\Lumora.exe");
    ASSERT_NE(product.handle, nullptr);
    WaitForInputIdle(product.handle, 10000);
    setup = remote::Start(SetupExe());
    HWND question = remote::FindMessageBox(setup.id, 30000);
    ASSERT_NE(question, nullptr);
    ASSERT_EQ(remote::Text(question), "询问：");
    remote::PressBoxButton(question, IDNO);
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
    remote::Kill(product);
}

// Drive Q: is a tmpfs too small for the main program.
TEST_F(Fault, FullDisk) {
    fault = "disk full (a 32 KB drive)";
    ULARGE_INTEGER freeBytes{};
    if (!GetDiskFreeSpaceExA("Q:\\", &freeBytes, nullptr, nullptr)) GTEST_SKIP() << "no small drive Q: here";
    ASSERT_LT(freeBytes.QuadPart, Product("Lumora.exe").size());
    Into("Q:\\Lumora");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
}

TEST_F(Fault, DestinationLongerThan260Bytes) {
    fault = "destination longer than 260 bytes";
    Into("C:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b'));
    CreateDirectoryA(("C:\\" + std::string(150, 'a')).c_str(), nullptr);
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
}

TEST_F(Fault, TarvelPathsNotAString) {
    fault = "TarvelPaths of type REG_DWORD";
    const DWORD number = 7;
    SetMachineValue(REG_DWORD, &number, sizeof number);  // the proposal from ProgramFiles stands
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
}

TEST_F(Fault, TarvelPathsExpandable) {
    fault = "TarvelPaths of type REG_EXPAND_SZ (%SystemDrive%\\Lumora Expanded)";
    const std::string value = "%SystemDrive%\\Lumora Expanded";
    SetMachineValue(REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    D = "C:\\Lumora Expanded";
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
}

TEST_F(Fault, TarvelPaths4KB) {
    fault = "TarvelPaths 4 KB long";
    Into("C:\\" + std::string(4093, 'p'));
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
}

TEST_F(Fault, GbkDestinationWithABackslashByte) {
    fault = "GBK destination whose characters end in the byte 0x5C (C:\\乗淺\\Lumora)";
    CreateDirectoryA("C:\\\x81\x5C\x9C\x5C", nullptr);
    Into("C:\\\x81\x5C\x9C\x5C\\Lumora");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
    ExpectShortcuts();
}

TEST_F(Fault, QuitDuringInstall) {
    fault = "exit confirmed during the install";
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    ASSERT_TRUE(Eventually([&] { return Progress() >= 3; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(remote::Text(box), "退出安装：");
    said = remote::BoxMessage(box) + " (Yes)";
    remote::PressBoxButton(box, IDYES);
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(SameAsCarried(D + "\\Lumora.exe", "Lumora.exe")) << "written before the question";
    EXPECT_FALSE(Exists(D + "\\TarvelUP.exe")) << "nothing written after it";
    ExpectNothingOutsideTheDestination();
}

// Windows asks at log-off or shut-down; only while files are written is the answer No.
TEST_F(Fault, LogOffQueryAtEachStep) {
    fault = "log-off query at each step";
    auto ask = [&] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
        return answer;
    };
    StartSetup();
    std::string answers;
    auto note = [&](const char* step, DWORD_PTR answer) { answers += std::string(step) + (answer ? " yes, " : " no, "); };
    note("welcome", ask());
    ClickTo(k下一步, "许可协议");
    note("licence", ask());
    remote::Click(C(k接受));
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    ClickTo(k下一步, "选择目标位置");
    note("destination", ask());
    ClickTo(k下一步, "准备安装");
    note("ready", ask());
    remote::Click(C(k下一步));
    ASSERT_TRUE(Eventually([&] { return Progress() >= 3; }));
    const DWORD_PTR installing = ask();
    note("installing", installing);
    EXPECT_EQ(installing, static_cast<DWORD_PTR>(FALSE));
    ASSERT_TRUE(Eventually([&] { return TextOf(k下一步) == "完成(I)"; }, 30000));
    note("finish", ask());
    EXPECT_EQ(answers, "welcome yes, licence yes, destination yes, ready yes, installing no, finish yes, ");
    EXPECT_EQ(remote::FindMessageBox(setup.id, 0), nullptr) << "no question asked";
    said = "log-off allowed at " + answers.substr(0, answers.size() - 2);
    SetTicked(k查看更新内容, false);
    SetTicked(k查看解决方案, false);
    remote::Click(C(k下一步));
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
}

// A copy of the setup with one byte of a carried file changed, as a damaged download would
// be: it says so and ends before anything is shown or written.
TEST_F(Fault, DamagedBlock) {
    fault = "a damaged carried block (one byte flipped)";
    std::string exe, library;
    ASSERT_TRUE(test::ReadFileBytes(SetupExe(), exe));
    ASSERT_TRUE(test::ReadFileBytes(ProductDir() + "\\Function.dll", library));
    const std::size_t at = exe.find(library);
    ASSERT_NE(at, std::string::npos) << "the function library lies in the setup as it is";
    exe[at + library.size() / 2] ^= 0x01;
    CreateDirectoryA("C:\\lumora-copies", nullptr);
    ASSERT_TRUE(WriteAll("C:\\lumora-copies\\damaged.exe", exe));
    setup = remote::Start("C:\\lumora-copies\\damaged.exe");
    ASSERT_NE(setup.handle, nullptr);
    HWND box = remote::FindMessageBox(setup.id, 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(remote::Text(box), "错误：");
    said = remote::BoxMessage(box);
    EXPECT_EQ(said, "安装程序已损坏，请重新下载。");
    EXPECT_EQ(remote::FindTopWindow(setup.id, kTitle, 0), nullptr) << "no wizard";
    remote::PressBoxButton(box, IDOK);
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
}

// A library planted beside the setup under the name of one that it loads late, with Wine
// told to prefer such a copy to its own: a program with the default search loads it, the
// setup does not.
TEST_F(Fault, PlantedLibrary) {
    fault = "shell32.dll planted beside the setup, native copies preferred";
    const std::string folder = "C:\\lumora-planted";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), (folder + "\\LumoraSetup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Located(LUMORA_PLANTED_DLL, "planted.dll").c_str(), (folder + "\\shell32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Located(LUMORA_LATE_LOADER, "late_loader.exe").c_str(), (folder + "\\late_loader.exe").c_str(),
                          FALSE));
    HKEY overrides = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &overrides, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(overrides, "shell32", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    RegCloseKey(overrides);
    const char* mark = "C:\\lumora-planted-loaded.txt";

    // The yardstick: loaded late with the default search, from the program's folder.
    remote::RunToEnd("\"" + folder + "\\late_loader.exe\" shell32.dll");
    ASSERT_TRUE(Exists(mark)) << "the planted library would be loaded by a program that searches its own folder";
    DeleteFileA(mark);

    setup = remote::Start(folder + "\\LumoraSetup.exe", folder);
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    WalkToReady();  // the destination page proposes a folder: shell and registry at work
    remote::Click(C(k上一步));
    remote::Click(C(k目录浏览));  // the folder dialog: the shell loaded for certain
    HWND dialog = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(dialog, nullptr);
    remote::PressBoxButton(dialog, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return remote::FindMessageBox(setup.id, 0) == nullptr; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(box, nullptr);
    remote::PressBoxButton(box, IDYES);
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(Exists(mark)) << "the setup loaded the planted library";
    said = Exists(mark) ? "(loaded it)" : "(not loaded; the folder dialog opened and was cancelled)";
}

}  // namespace
