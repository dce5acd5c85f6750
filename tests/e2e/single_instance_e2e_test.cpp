// The built setup started a second time while a first one is up: the second shows nothing of
// its own, brings the first one's window to the front and ends with 0, leaving one wizard.
// Both cases run in a prefix of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/remote.h"

namespace {

const std::string kTitle = "安装向导-Lumora";

// The foreground window once it is `expected`, or as it is after two seconds: the window's
// own thread takes the activation after the call that asked for it has returned.
HWND ForegroundBecomes(HWND expected) {
    for (int i = 0; i < 40 && GetForegroundWindow() != expected; ++i) Sleep(50);
    return GetForegroundWindow();
}

BOOL CALLBACK CountWizard(HWND window, LPARAM count) {
    if (IsWindowVisible(window) && remote::Text(window) == kTitle) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Visible top-level windows titled as the wizard, of any process.
int WizardsOnScreen() {
    int count = 0;
    EnumWindows(CountWizard, reinterpret_cast<LPARAM>(&count));
    return count;
}

class SecondStart : public ::testing::Test {
protected:
    void SetUp() override {
        // A window of the test's own holds the foreground when the second copy starts.
        own = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
        ASSERT_NE(own, nullptr);
    }
    void TearDown() override {
        for (remote::Process* p : {&first, &second, &product}) {
            if (p->handle && remote::WaitExit(*p, 0) == -1) remote::Kill(*p);
        }
        DestroyWindow(own);
    }

    // Once the setup has settled (its window in front, or the product started just before it,
    // whichever the system last activated), the test takes the front for its own window, and
    // again while a late activation of theirs takes it back.
    void TakeForeground(HWND setupWindow) {
        ForegroundBecomes(setupWindow);
        for (int attempt = 0; attempt < 5; ++attempt) {
            SetForegroundWindow(own);
            if (ForegroundBecomes(own) != own) continue;
            Sleep(300);
            if (GetForegroundWindow() == own) return;
        }
        FAIL() << "the test's own window does not keep the front";
    }

    // Starts the setup again and watches it until it ends: its exit code, whether it ever
    // showed a window of its own, and how long it ran.
    void StartSecond() {
        const DWORD start = GetTickCount();
        second = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
        ASSERT_NE(second.handle, nullptr);
        while (WaitForSingleObject(second.handle, 10) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
            if (remote::FindTopWindow(second.id, kTitle, 0) || remote::FindMessageBox(second.id, 0)) showedOwn = true;
        }
        secondRanMs = GetTickCount() - start;
        secondExit = remote::WaitExit(second, 0);
    }

    remote::Process first, second, product;
    HWND own = nullptr;
    bool showedOwn = false;
    DWORD secondRanMs = 0;
    long secondExit = -1;
};

TEST_F(SecondStart, BringsTheMinimisedWizardToTheFront) {
    first = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
    HWND wizard = remote::FindTopWindow(first.id, kTitle, 30000);
    ASSERT_NE(wizard, nullptr);
    ASSERT_NO_FATAL_FAILURE(TakeForeground(wizard));
    ShowWindow(wizard, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(wizard));
    ASSERT_NE(GetForegroundWindow(), wizard);

    ASSERT_NO_FATAL_FAILURE(StartSecond());
    EXPECT_EQ(secondExit, 0);
    EXPECT_LT(secondRanMs, 5000u) << "a second start ends quickly";
    EXPECT_FALSE(showedOwn) << "nothing of the second start's own is shown";
    EXPECT_EQ(WizardsOnScreen(), 1);
    EXPECT_FALSE(IsIconic(wizard)) << "restored";
    EXPECT_EQ(ForegroundBecomes(wizard), wizard);
    EXPECT_EQ(remote::WaitExit(first, 0), -1) << "the first one runs on";
}

// The first copy still asks whether to end the running product: no wizard yet. The second
// start brings the question forward; once it is answered, one wizard comes.
TEST_F(SecondStart, BringsTheFirstOnesQuestionToTheFront) {
    const std::string to = "C:\\lumora-running\\";
    CreateDirectoryA(to.c_str(), nullptr);
    for (const char* file : {"Lumora.exe", "Function.dll"}) {
        ASSERT_TRUE(CopyFileA((remote::WindowsPath(LUMORA_PRODUCT_DIR) + "\\" + file).c_str(), (to + file).c_str(),
                              FALSE));
    }
    product = remote::Start(to + "Lumora.exe");
    ASSERT_NE(product.handle, nullptr);
    WaitForInputIdle(product.handle, 10000);
    first = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
    HWND question = remote::FindMessageBox(first.id, 30000);
    ASSERT_NE(question, nullptr);
    ASSERT_NO_FATAL_FAILURE(TakeForeground(question));

    ASSERT_NO_FATAL_FAILURE(StartSecond());
    EXPECT_EQ(secondExit, 0);
    EXPECT_FALSE(showedOwn);
    EXPECT_EQ(ForegroundBecomes(question), question);
    ASSERT_TRUE(remote::PressBoxButton(question, IDNO));
    EXPECT_NE(remote::FindTopWindow(first.id, kTitle, 30000), nullptr);
    EXPECT_EQ(WizardsOnScreen(), 1);
}

// A program of the user's took the setup's name first and answers to it as the first copy
// would: it is no copy of the setup, so the setup goes on and shows its wizard.
TEST_F(SecondStart, ANameTakenByAnotherProgramStopsNothing) {
    const HANDLE taken = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                            L"Local\\Lumora.Setup.Wizard");
    auto* holder = static_cast<LONG*>(MapViewOfFile(taken, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    ASSERT_TRUE(holder && GetLastError() != ERROR_ALREADY_EXISTS);
    *holder = static_cast<LONG>(GetCurrentProcessId());  // with a window of its own on screen
    first = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
    EXPECT_NE(remote::FindTopWindow(first.id, kTitle, 30000), nullptr) << "the wizard";
    UnmapViewOfFile(holder);
    CloseHandle(taken);
}

}  // namespace
