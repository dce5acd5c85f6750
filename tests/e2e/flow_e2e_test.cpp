// The built setup worked from another process through the steps up to the ready page, as a
// user works it: clicks, the real folder dialog, message boxes answered, a running product.
// The test runs in a prefix of its own, so the registry and processes it sets up are its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include <functional>
#include <string>
#include <tuple>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"

namespace {

using namespace expected;

const std::string kTitle = "安装向导-Lumora";

// Polls until `holds` is true, up to five seconds.
bool Eventually(const std::function<bool()>& holds) {
    for (int i = 0; i < 100; ++i) {
        if (holds()) return true;
        Sleep(50);
    }
    return holds();
}

class SetupFlow : public ::testing::Test {
protected:
    void TearDown() override {
        for (remote::Process* p : {&setup, &product}) {
            if (p->handle && remote::WaitExit(*p, 0) == -1) remote::Kill(*p);
        }
    }

    void StartSetup() {
        setup = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
        ASSERT_NE(setup.handle, nullptr);
        window = remote::FindTopWindow(setup.id, kTitle, 30000);
        ASSERT_NE(window, nullptr) << "the wizard appears";
    }
    HWND C(std::uint32_t id) const { return remote::FindControl(window, id); }
    std::string TextOf(std::uint32_t id) const { return remote::Text(C(id)); }
    bool Seen(std::uint32_t id) const { return IsWindowVisible(C(id)) != FALSE; }
    void Click(std::uint32_t id) const { remote::Click(C(id)); }

    // Clicks and waits until the banner shows `title` (the welcome step: no banner).
    void ClickTo(std::uint32_t id, const std::string& title) {
        Click(id);
        ASSERT_TRUE(Eventually([&] {
            return title.empty() ? Seen(kPanel) && !Seen(kBanner) : Seen(kBanner) && TextOf(k主标题) == title;
        })) << "expected step " << title;
    }
    void WalkToDestination() {
        ClickTo(k下一步, "许可协议");
        Click(k接受);
        ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
        ClickTo(k下一步, "选择目标位置");
    }
    // The message box of the setup that is up now, with its caption checked.
    HWND Box(const std::string& caption) const {
        HWND box = remote::FindMessageBox(setup.id, 10000);
        if (box && remote::Text(box) != caption) return nullptr;
        return box;
    }

    remote::Process setup, product;
    HWND window = nullptr;
};

TEST_F(SetupFlow, WelcomeStepAsFirstShown) {
    StartSetup();
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 500);
    EXPECT_EQ(outer.bottom - outer.top, 360);
    EXPECT_EQ(remote::RectInParent(C(kPanel)).left, 0);
    EXPECT_TRUE(Seen(kPanel));
    EXPECT_FALSE(Seen(kBanner));
    EXPECT_FALSE(Seen(k上一步));
    EXPECT_TRUE(Seen(k下一步));
    EXPECT_TRUE(Seen(k取消));
    const std::string space = TextOf(k所需空间);
    EXPECT_EQ(space.rfind("至少需要 0.", 0), 0u) << space;
    EXPECT_NE(space.find(" MB 的空闲磁盘空间。"), std::string::npos) << space;
    EXPECT_EQ(remote::FindMessageBox(setup.id, 0), nullptr) << "no question without a running product";
}

TEST_F(SetupFlow, WalkToTheReadyStepAndBack) {
    char programFiles[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles), 0u);
    const std::string proposed = std::string(programFiles) + "\\Lumora";

    StartSetup();
    ClickTo(k下一步, "许可协议");
    EXPECT_FALSE(IsWindowEnabled(C(k下一步))) << "the licence is not accepted yet";
    Click(k下一步);
    Sleep(300);
    EXPECT_EQ(TextOf(k主标题), "许可协议");
    Click(k接受);
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    ClickTo(k下一步, "选择目标位置");
    EXPECT_EQ(TextOf(k路径), proposed) << "from ProgramFiles";
    ClickTo(k下一步, "准备安装");
    EXPECT_EQ(TextOf(k下一步), "安装(I)");
    EXPECT_EQ(TextOf(k安装详情),
              "目标位置：\r\n      " + proposed +
                  "\r\n\r\n安装选项：\r\n      √ 安装主程序\r\n      √ 创建桌面快捷方式\r\n      √ 释放使用教程、更新说明等文本");

    ClickTo(k上一步, "选择目标位置");
    EXPECT_EQ(TextOf(k下一步), "下一步(N) >");
    ClickTo(k上一步, "许可协议");
    ClickTo(k上一步, "");
    EXPECT_TRUE(IsWindowEnabled(C(k下一步)));
    ClickTo(k下一步, "许可协议");
    EXPECT_TRUE(IsWindowEnabled(C(k下一步))) << "still accepted";
}

TEST_F(SetupFlow, RegistryValueOverridesTheProposal) {
    ASSERT_EQ(remote::RunToEnd("reg.exe add HKLM /v TarvelPaths /t REG_SZ /d \"D:\\Apps\\Lumora 3\" /f"), 0);
    StartSetup();
    WalkToDestination();
    EXPECT_EQ(TextOf(k路径), "D:\\Apps\\Lumora 3");
    EXPECT_EQ(remote::RunToEnd("reg.exe delete HKLM /v TarvelPaths /f"), 0);
}

TEST_F(SetupFlow, FolderPickedInTheRealDialog) {
    const std::string folder = "C:\\lumora-e2e\\\x81\x5C";  // ends in 乗, whose second byte is 0x5C
    CreateDirectoryA("C:\\lumora-e2e", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    StartSetup();
    WalkToDestination();

    struct Pick {
        const char* path;
        const char* item;  // what the tree shows for it
        std::string shown;
    };
    const Pick picks[] = {
        {"C:\\", "C:", "C:\\Lumora"},
        {folder.c_str(), "\x81\x5C", folder + "\\Lumora"},
    };
    for (const Pick& pick : picks) {
        SCOPED_TRACE(pick.path);
        Click(k目录浏览);
        HWND dialog = remote::FindMessageBox(setup.id, 10000);
        ASSERT_NE(dialog, nullptr) << "the folder dialog";
        ASSERT_TRUE(remote::SelectFolder(setup, dialog, pick.path, pick.item));
        remote::PressBoxButton(dialog, IDOK);
        EXPECT_TRUE(Eventually([&] { return lstrcmpiA(TextOf(k路径).c_str(), pick.shown.c_str()) == 0; }))
            << TextOf(k路径);
    }

    // Cancelled: the box keeps what it had.
    const std::string before = TextOf(k路径);
    Click(k目录浏览);
    HWND dialog = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(dialog, nullptr);
    remote::PressBoxButton(dialog, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return remote::FindMessageBox(setup.id, 0) == nullptr; }));
    EXPECT_EQ(TextOf(k路径), before);
    // The dialog gave the wizard back.
    EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(SetupFlow, CancelAnsweredNoThenYes) {
    StartSetup();
    ClickTo(k下一步, "许可协议");
    Click(k取消);
    HWND box = Box("退出安装：");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDNO));
    ASSERT_TRUE(Eventually([&] { return remote::FindMessageBox(setup.id, 0) == nullptr; }));
    EXPECT_EQ(remote::WaitExit(setup, 300), -1) << "still running";
    EXPECT_EQ(TextOf(k主标题), "许可协议");

    Click(k取消);
    box = Box("退出安装：");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDYES));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
}

TEST_F(SetupFlow, CloseAnsweredNoThenYes) {
    StartSetup();
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = Box("退出安装：");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDNO));
    EXPECT_EQ(remote::WaitExit(setup, 500), -1);
    EXPECT_TRUE(IsWindowVisible(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    box = Box("退出安装：");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDYES));
    EXPECT_EQ(remote::WaitExit(setup, 20000), 0);
}

// The carried product, copied under `name` and started from there.
class RunningProduct : public SetupFlow {
protected:
    // `program`: another stand-in for the product.
    void StartProduct(const std::string& name, const std::string& program = {}) {
        const std::string from = remote::WindowsPath(LUMORA_PRODUCT_DIR) + "\\";
        // A folder of its own: on a case-blind disk a copy onto "Lumora.exe" keeps that name.
        to = "C:\\lumora-running-" + std::to_string(GetTickCount()) + "\\";
        CreateDirectoryA(to.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(program.empty() ? (from + "Lumora.exe").c_str() : program.c_str(), (to + name).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((from + "Function.dll").c_str(), (to + "Function.dll").c_str(), FALSE));
        product = remote::Start(to + name);
        ASSERT_NE(product.handle, nullptr);
        WaitForInputIdle(product.handle, 10000);
    }
    // Starts the setup and waits for its question, which must come before the wizard.
    HWND StartSetupToTheQuestion() {
        setup = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
        HWND box = Box("询问：");
        EXPECT_EQ(remote::FindTopWindow(setup.id, kTitle, 0), nullptr) << "the question stands alone";
        return box;
    }
    std::string to;  // the product's folder
};

// On Yes every window of the product is asked, hidden ones too, and its own answer stands: one
// that keeps its work has kept it and gone; one that ignores the request is ended all the same;
// one whose user refuses keeps running with the wizard up; one that asks its user for longer
// than any time-out is waited for, never told to end inside its question, and saves; a hung one
// is ended; one whose only window is hidden saves and goes.
TEST_F(RunningProduct, YesAsksItToCloseFirst) {
    for (const auto& [ignores, answer, runsOn, saves] :
         {std::tuple(static_cast<const char*>(nullptr), "", false, true), {"1", "", false, false}, {nullptr, "refuse", true, false},
          {nullptr, "ask", false, true}, {nullptr, "hang", false, false}, {nullptr, "hidden", false, true}}) {
        SCOPED_TRACE(testing::Message() << answer << (ignores ? "ignoring" : ""));
        SetEnvironmentVariableA("LUMORA_IGNORE_CLOSE", ignores);  // the stand-in inherits both
        SetEnvironmentVariableA("LUMORA_CLOSE_ANSWER", answer);
        StartProduct("Lumora.exe", remote::WindowsPath(LUMORA_CLOSING_PRODUCT));
        ASSERT_TRUE(remote::PressBoxButton(StartSetupToTheQuestion(), IDYES));
        EXPECT_NE(remote::FindTopWindow(setup.id, kTitle, 60000), nullptr) << "then the wizard";
        EXPECT_EQ(WaitForSingleObject(product.handle, runsOn ? 0 : 15000), runsOn ? static_cast<DWORD>(WAIT_TIMEOUT) : WAIT_OBJECT_0);
        EXPECT_EQ(GetFileAttributesA((to + "saved").c_str()) != INVALID_FILE_ATTRIBUTES, saves);
        EXPECT_EQ(GetFileAttributesA((to + "cut").c_str()), INVALID_FILE_ATTRIBUTES) << "told to end inside its question";
        TearDown();
    }
}

TEST_F(RunningProduct, YesEndsIt) {
    StartProduct("Lumora.exe");
    HWND box = StartSetupToTheQuestion();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDYES));
    EXPECT_EQ(WaitForSingleObject(product.handle, 10000), WAIT_OBJECT_0) << "the product was ended";
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr) << "then the wizard";
    EXPECT_TRUE(Seen(kPanel));
}

// Another program, started suspended, that takes `number` when the system gives it out again:
// processes are started and ended until one gets it or `tries` have been made. A thread
// that ends at once moves the system's list of free numbers on by one, so that a number that
// keeps coming to a program's first thread comes to a program next time.
DWORD WINAPI EndAtOnce(void*) { return 0; }
remote::Process TakeNumber(DWORD number, int tries) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    for (int i = 0; i < tries; ++i) {
        wchar_t line[] = L"C:\\windows\\system32\\cmd.exe /c exit";
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                            &started)) {
            break;
        }
        CloseHandle(started.hThread);
        if (started.dwProcessId == number) {
            std::printf("the number %lu went to the program started %d-th\n", number, i + 1);
            return {started.hProcess, started.dwProcessId};
        }
        remote::Kill({started.hProcess, started.dwProcessId});
        if (started.dwThreadId == number) {
            const HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
    }
    return {};
}

// The product ends while the question is up and its number is given out again as far as the
// system lets it (the setup holds it); Yes must not end the program that has it.
TEST_F(RunningProduct, YesAfterTheProductEndedEndsNoOtherProgram) {
    StartProduct("Lumora.exe");
    const DWORD number = product.id;
    HWND box = StartSetupToTheQuestion();
    ASSERT_NE(box, nullptr);
    remote::Kill(product);  // ended, and our handle closed: we hold the number no longer
    product = {};
    const remote::Process other = TakeNumber(number, 600);
    ASSERT_TRUE(remote::PressBoxButton(box, IDYES));
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr) << "then the wizard";
    if (!other.handle) GTEST_SKIP() << "the system never gave the product's number to another program";
    EXPECT_EQ(WaitForSingleObject(other.handle, 1000), static_cast<DWORD>(WAIT_TIMEOUT)) << "the other program survives";
    remote::Kill(other);
}

TEST_F(RunningProduct, NoKeepsIt) {
    StartProduct("Lumora.exe");
    HWND box = StartSetupToTheQuestion();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(remote::PressBoxButton(box, IDNO));
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(remote::WaitExit(product, 0), -1) << "the product still runs";
}

TEST_F(RunningProduct, ANameDifferingInCaseIsNotTheProduct) {
    StartProduct("lumora.exe");
    StartSetup();
    EXPECT_EQ(remote::FindMessageBox(setup.id, 0), nullptr);
    EXPECT_EQ(remote::WaitExit(product, 0), -1);
}

}  // namespace
