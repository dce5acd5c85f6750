// The fault suite, the faults of a user's machine: the destination, the registry value, the
// disk, rights, a running copy, leaving midway and the session's end.
#include "tests/e2e/fault_fixture.h"

#include <algorithm>

namespace {

using namespace e2e;

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

// The setup owns the names it writes: earlier files marked read-only, hidden or system are
// replaced all the same.
TEST_F(Fault, ReadOnlyUpdater) {
    fault = "read-only updater in the destination (run as a user)";
    IntoExistingFolder({{"TarvelUP.exe", "an older updater"}});
    MakeReadOnly("TarvelUP.exe");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
    ExpectShortcuts();
}

TEST_F(Fault, ReadOnlyMainProgram) {
    fault = "read-only, hidden and system main program in the destination (run as a user)";
    IntoExistingFolder({{"Lumora.exe", "an older program"}});
    MakeReadOnly("Lumora.exe");
    ASSERT_TRUE(SetFileAttributesW(test::Wide(D + "\\Lumora.exe").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
    EXPECT_EQ(GetFileAttributesW(test::Wide(D + "\\Lumora.exe").c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
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

// Drive Q: holds an earlier installation and fills up midway through the new one: after the
// main program and the updater, at the uninstaller.
TEST_F(Fault, FullDiskDuringAReinstall) {
    fault = "disk full midway through a reinstall over an earlier one (a 1 MB drive)";
    if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no small drive Q: here";
    IntoEarlierInstall("Q:\\Lumora");
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &freeBytes, nullptr, nullptr));
    const std::uint64_t room = Product("Lumora.exe").size() + Product("TarvelUP.exe").size() + 40 * 1024;
    ASSERT_GT(freeBytes.QuadPart, room);
    ASSERT_TRUE(WriteAll("Q:\\filler.bin", std::string(freeBytes.QuadPart - room, 'f')));
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
    const std::vector<std::string> carried = ExpectEveryFileWholeAndNoNewFiles();
    EXPECT_EQ(std::count(carried.begin(), carried.end(), "Lumora.exe"), 1) << "written before the disk filled";
    EXPECT_EQ(std::count(carried.begin(), carried.end(), "卸载.exe"), 0) << "the disk filled there";
    note = "every file whole: the carried bytes (" + std::to_string(carried.size()) + ") or the earlier ones";
}

// Another program holds a library of the earlier installation open: it stays as it was, and
// the install fails.
TEST_F(Fault, ProgramFileHeldOpenByAnotherProcess) {
    fault = "Function.dll of an earlier install held open by another process";
    IntoEarlierInstall("C:\\Apps\\Lumora");
    const HANDLE held = CreateFileW(test::Wide(D + "\\Function.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    CloseHandle(held);
    EXPECT_EQ(said, kFailed);
    ExpectNothingOutsideTheDestination();
    const std::vector<std::string> carried = ExpectEveryFileWholeAndNoNewFiles();
    EXPECT_EQ(carried.size(), 8u);
    EXPECT_EQ(std::count(carried.begin(), carried.end(), "Function.dll"), 0);
    note = "Function.dll the earlier one, the 8 others carried";
}

// Another program (a virus scanner, say) holds Function.dll for half a second as the setup
// replaces it: tried again, the install ends whole. Seen from outside alone: the setup's window
// does not answer while it waits on the file.
TEST_F(Fault, ProgramFileHeldForHalfASecond) {
    fault = "Function.dll of an earlier install held open for half a second as it is replaced";
    IntoEarlierInstall("C:\\Apps\\Lumora");
    const HANDLE held = CreateFileW(test::Wide(D + "\\Function.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    StartSetup();
    WalkToReady();
    remote::Click(C(k下一步));
    EXPECT_TRUE(Eventually([&] { return SameAsCarried(D + "\\卸载.exe", "卸载.exe"); }, 30000)) << "the step before";
    Sleep(500);
    CloseHandle(held);
    InstallToTheEnd(true);
    EXPECT_EQ(ExpectEveryFileWholeAndNoNewFiles().size(), 9u) << said;
}

// The setup ended from outside (as from the task manager) at several moments of an install
// over an earlier one: every file is whole each time, and the next run leaves no new files,
// also none that an ended run left beside the shortcuts.
TEST_F(Fault, EndedAtSeveralMomentsOfAReinstall) {
    fault = "the setup ended at progress 1, 25, 45 and 75 of a reinstall, then run to the end";
    IntoEarlierInstall("C:\\Apps\\Lumora");
    for (const int moment : {1, 25, 45, 75}) {
        SCOPED_TRACE(moment);
        StartSetup();
        WalkToReady();
        remote::Click(C(k下一步));
        ASSERT_TRUE(Eventually([&] { return Progress() >= moment; }, 30000));
        remote::Kill(setup);
        ExpectNothingOutsideTheDestination();
        ExpectEveryFileWholeAndNoNewFiles();
    }
    // What a run ended inside a write would leave.
    for (const std::string& folder : {D, desktop}) ASSERT_TRUE(WriteAll(folder + "\\~lumora-0badf00d.new", "part"));
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    ExpectEveryFileWholeAndNoNewFiles();
    note = "every file whole after each end; no new files left after the last run";
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

}  // namespace
