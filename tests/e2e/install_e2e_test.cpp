// Whole installations by the built setup, worked from another process as a user works it, each
// case in a fresh prefix of its own: the files and shortcuts it leaves, checked byte for byte
// against the carried product; its failures; leaving during the install; the finish page.
#include "tests/e2e/install_fixture.h"

#include <memory>

namespace {

using namespace e2e;

TEST_F(SetupInstall, BothOptions) { InstallEverythingAndFinish(); }

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

// The product in its own folder and all four in their order, by either route: through the
// desktop's shell when the session has a shell window, else started by the setup itself.
class FinishRoute : public SetupInstall {
protected:
    void AllFourBy(bool desktopShell) {
        std::unique_ptr<ShellWindow> shell = desktopShell ? std::make_unique<ShellWindow>() : nullptr;
        ToFinishPage(true, true, true, true);
        remote::Click(C(k下一步));
        EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
        const auto opened = OpenedThings(3);
        ASSERT_EQ(opened.size(), 3u);
        EXPECT_NE(opened[0].commandLine.find("更新日志.log"), std::string::npos);
        EXPECT_NE(opened[1].commandLine.find("常见问题解答.txt"), std::string::npos);
        EXPECT_NE(opened[2].commandLine.find("http://www.lumora-app.com/"), std::string::npos) << opened[2].commandLine;
        for (const Opened& o : opened) EXPECT_TRUE(o.productRunning) << "the product was started first";
        std::vector<DWORD> products;
        ASSERT_TRUE(Eventually([&] { return (products = ProcessesNamed("Lumora.exe")).size() == 1; }));
        const Parent parent = ParentOf(products[0]);
        if (desktopShell) EXPECT_EQ(parent.name, "explorer.exe");
        else EXPECT_EQ(parent.id, setup.id) << "started by the setup";
        EXPECT_EQ(lstrcmpiA(CurrentFolderOf(products[0]).c_str(), D.c_str()), 0) << CurrentFolderOf(products[0]);
    }
};
TEST_F(FinishRoute, FinishAllFour) { AllFourBy(false); }
TEST_F(FinishRoute, FinishAllFourThroughTheDesktopShell) { AllFourBy(true); }

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

// A whole installation with Space, Tab and the arrow keys alone: the focus starts on the
// button that goes forward and comes back to it whenever the focused control goes away.
TEST_F(SetupInstall, ByKeyboardAlone) {
    RecordOpenedThings();
    StartSetup();
    auto focusIs = [&](std::uint32_t id) { return Eventually([&] { return remote::FocusOf(window) == C(id); }, 5000); };
    auto tabTo = [&](std::uint32_t id) {
        for (int i = 0; i < 8 && remote::FocusOf(window) != C(id); ++i) {
            const HWND before = remote::FocusOf(window);
            remote::PressKey(window, VK_TAB);
            Eventually([&] { return remote::FocusOf(window) != before; }, 2000);
        }
        return remote::FocusOf(window) == C(id);
    };
    ASSERT_TRUE(focusIs(k下一步)) << "the focus starts on Next";
    remote::PressKey(window, VK_RETURN);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(C(kPanel))) << "Enter does nothing: still the welcome step";
    remote::PressKey(window, VK_SPACE);
    ASSERT_TRUE(Eventually([&] { return TextOf(k主标题) == "许可协议"; }));
    ASSERT_TRUE(tabTo(k不接受));
    remote::PressKey(window, VK_DOWN);  // the other radio button of the group: accept
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    EXPECT_TRUE(Ticked(k接受));
    ASSERT_TRUE(tabTo(k下一步));
    remote::PressKey(window, VK_SPACE);
    ASSERT_TRUE(Eventually([&] { return TextOf(k主标题) == "选择目标位置"; }));
    ASSERT_TRUE(focusIs(k下一步));
    remote::PressKey(window, VK_SPACE);
    ASSERT_TRUE(Eventually([&] { return TextOf(k主标题) == "准备安装"; }));
    remote::PressKey(window, VK_SPACE);
    ASSERT_TRUE(Eventually([&] { return TextOf(k下一步) == "完成(I)" && IsWindowVisible(C(k下一步)); }, 30000));
    ASSERT_TRUE(focusIs(k下一步)) << "back on the button once it shows again";
    ASSERT_TRUE(tabTo(k查看更新内容));
    remote::PressKey(window, VK_SPACE);  // untick: only the answers are opened
    ASSERT_TRUE(Eventually([&] { return !Ticked(k查看更新内容); }));
    ASSERT_TRUE(tabTo(k下一步));
    remote::PressKey(window, VK_SPACE);
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    const auto opened = OpenedThings(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].commandLine.find("常见问题解答.txt"), std::string::npos) << opened[0].commandLine;
}

// A scanner, the search indexer or a synchronised folder, from now until the test ends: every file
// that appears or changes below `folder` is opened at once (or the moment its writer lets go of
// it), allowing every kind of sharing, and held for 300 ms.
LONG g_held = 0;  // files it has held
DWORD WINAPI Hold(void* param) {
    const std::unique_ptr<std::wstring> path(static_cast<std::wstring*>(param));
    HANDLE file = INVALID_HANDLE_VALUE;
    for (const DWORD start = GetTickCount(); file == INVALID_HANDLE_VALUE && GetTickCount() - start < 1000; Sleep(0)) {
        file = CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return 0;
    }
    if (file == INVALID_HANDLE_VALUE) return 0;
    InterlockedIncrement(&g_held);
    Sleep(300);
    return CloseHandle(file);
}
DWORD WINAPI Scan(void* folder) {
    const std::wstring in = test::Wide(*static_cast<std::string*>(folder)) + L"\\";
    const HANDLE directory = CreateFileW(in.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    std::vector<DWORD> changes(8192);
    constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    for (DWORD got = 0; ReadDirectoryChangesW(directory, changes.data(), 32768, TRUE, kWhat, &got, nullptr, nullptr);) {
        for (auto* change = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(changes.data()); got != 0;
             change = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(reinterpret_cast<BYTE*>(change) + change->NextEntryOffset)) {
            if (change->Action != FILE_ACTION_REMOVED && change->Action != FILE_ACTION_RENAMED_OLD_NAME) {
                CloseHandle(CreateThread(nullptr, 0, Hold, new std::wstring(in + std::wstring(change->FileName, change->FileNameLength / 2)), 0, nullptr));
            }
            if (change->NextEntryOffset == 0) break;
        }
    }
    return 0;
}

// With such a program at work every file and shortcut arrives whole, and no new file is left.
TEST_F(SetupInstall, WithAScannerOpeningEveryNewFile) {
    StartSetup();
    WalkToReady();
    static std::string folders[] = {desktop, SpecialFolder(CSIDL_PROGRAMS), D.substr(0, D.rfind('\\'))};
    for (std::string& folder : folders) CloseHandle(CreateThread(nullptr, 0, Scan, &folder, 0, nullptr));
    ASSERT_TRUE(InstallToFinishPage());
    EXPECT_GT(g_held, 0) << "the scanner held the new files";
    ExpectFilesInDestination(true);
    ExpectShortcuts();
    for (const std::string& folder : {D, menu, desktop}) {
        WIN32_FIND_DATAW found{};
        EXPECT_EQ(FindFirstFileW((test::Wide(folder) + L"\\~lumora-*").c_str(), &found), INVALID_HANDLE_VALUE) << folder;
    }
}

}  // namespace
