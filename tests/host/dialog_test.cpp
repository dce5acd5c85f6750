// Message boxes and the folder dialog, answered by a second thread that finds the visible
// dialog box of this process and works its controls, as a user would.
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "host/system/win32_host.h"
#include "test_support.h"

using host::Text;

namespace {

// Runs `act` on the first visible dialog box of this process (with that title, if given)
// on a thread of its own; the caller joins it after the dialog has returned.
class Answerer {
public:
    Answerer(const char* title, std::function<void(HWND)> act)
        : thread_([this, title, act = std::move(act)] {
              const HWND dialog = test::FindOwnDialog(title, 15000);
              found_ = dialog != nullptr;
              if (dialog == nullptr) return;
              act(dialog);
          }) {}
    ~Answerer() {
        if (thread_.joinable()) thread_.join();
    }
    bool Finish() {
        thread_.join();
        return found_;
    }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;
};

void Click(HWND dialog, int id) {
    const HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    PostMessageA(button, BM_CLICK, 0, 0);
}

struct TextSearch {
    const Text* text;
    bool found;
};

BOOL CALLBACK MatchChildText(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TextSearch*>(param);
    char buffer[512] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    if (*search->text == buffer) search->found = true;
    return !search->found;
}

bool HasChildWithText(HWND parent, const Text& text) {
    TextSearch search = {&text, false};
    EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A plain visible top-level window of the test thread, standing for the wizard window.
class OwnWindow {
public:
    explicit OwnWindow(const char* title) {
        window_ = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OwnWindow() { DestroyWindow(window_); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(MessageBox, QuestionAndErrorBoxes) {
    host::Win32Host win32;
    host::HostServices& host = win32;
    OwnWindow wizard("Wizard");
    const Text question = "\xBC\xEC\xB2\xE2\xB5\xBD\r\n\xCA\xC7\xB7\xF1\xB9\xD8\xB1\xD5\xA3\xBF";  // 检测到\r\n是否关闭？

    std::atomic<bool> wizardDisabled{false}, hasYesNo{false}, hasText{false};
    Answerer yes("询问：", [&](HWND box) {
        wizardDisabled = !IsWindowEnabled(wizard.get());  // task-modal: the thread's windows wait
        hasYesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
        hasText = HasChildWithText(box, question);
        Click(box, IDYES);
    });
    EXPECT_EQ(host.ShowMessageBox(question, 36, Text("询问：")), host::MessageBoxResult::Yes);
    ASSERT_TRUE(yes.Finish());
    EXPECT_TRUE(wizardDisabled);
    EXPECT_TRUE(hasYesNo);
    EXPECT_TRUE(hasText);
    EXPECT_TRUE(IsWindowEnabled(wizard.get()));

    Answerer no("询问：", [](HWND box) { Click(box, IDNO); });
    EXPECT_EQ(host.ShowMessageBox(question, 36, Text("询问：")), host::MessageBoxResult::No);
    ASSERT_TRUE(no.Finish());

    std::atomic<bool> hasOk{false};
    Answerer ok("错误：", [&](HWND box) {
        hasOk = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDYES);
        Click(box, IDOK);
    });
    EXPECT_EQ(host.ShowMessageBox("\xB0\xB2\xD7\xB0\xCA\xA7\xB0\xDC", 48, Text("错误：")), host::MessageBoxResult::Ok);
    ASSERT_TRUE(ok.Finish());
    EXPECT_TRUE(hasOk);
}

TEST(MessageBox, CaptionLeftOutAndSystemModal) {
    host::Win32Host win32;
    host::HostServices& host = win32;
    OwnWindow wizard("Wizard");

    Answerer info("信息：", [](HWND box) { Click(box, IDOK); });
    EXPECT_EQ(host.ShowMessageBox("text", 48), host::MessageBoxResult::Ok);
    EXPECT_TRUE(info.Finish());

    // System-modal boxes are not made task-modal as well: the thread's windows stay enabled.
    std::atomic<bool> wizardEnabled{false};
    Answerer system("system", [&](HWND box) {
        wizardEnabled = IsWindowEnabled(wizard.get()) != FALSE;
        Click(box, IDOK);
    });
    EXPECT_EQ(host.ShowMessageBox("text", MB_SYSTEMMODAL | 48, Text("system")), host::MessageBoxResult::Ok);
    ASSERT_TRUE(system.Finish());
    EXPECT_TRUE(wizardEnabled);
}

TEST(MessageBox, EveryButtonMapsToItsResult) {
    host::Win32Host win32;
    host::HostServices& host = win32;
    const struct {
        int flags;
        int button;
        host::MessageBoxResult result;
    } cases[] = {
        {MB_OK, IDOK, host::MessageBoxResult::Ok},
        {MB_OKCANCEL, IDCANCEL, host::MessageBoxResult::Cancel},
        {MB_ABORTRETRYIGNORE, IDABORT, host::MessageBoxResult::Abort},
        {MB_ABORTRETRYIGNORE, IDRETRY, host::MessageBoxResult::Retry},
        {MB_ABORTRETRYIGNORE, IDIGNORE, host::MessageBoxResult::Ignore},
        {MB_YESNOCANCEL, IDYES, host::MessageBoxResult::Yes},
        {MB_YESNOCANCEL, IDNO, host::MessageBoxResult::No},
        {MB_RETRYCANCEL, IDCANCEL, host::MessageBoxResult::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        const int button = c.button;
        Answerer answer("mapping", [button](HWND box) { Click(box, button); });
        EXPECT_EQ(host.ShowMessageBox("which", c.flags, Text("mapping")), c.result);
        ASSERT_TRUE(answer.Finish());
    }
}

class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }

    // The text of the item selected in the dialog's folder tree.
    static Text SelectedItemText(HWND dialog) {
        HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
        if (!tree) return {};
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        char text[MAX_PATH] = {};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (!item.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
        return text;
    }

    // Selects `path` in the dialog's tree, then presses OK. A freshly made prefix can still be
    // filling the tree when the dialog comes up: select again until the item is the chosen one.
    static void ChooseAndConfirm(HWND dialog, const Text& path) {
        const Text leaf = path.size() > 3 ? path.substr(host::FindLastSeparator(path) + 1) : Text();
        for (int attempt = 0; attempt < 50; ++attempt) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()),
                                SMTO_NORMAL, 5000, &ignored);
            if (leaf.empty() || SelectedItemText(dialog) == leaf) break;
            Sleep(100);
        }
        Click(dialog, IDOK);
    }

    host::Win32Host win32_;
    host::HostServices& host_ = win32_;
};

TEST_F(FolderDialog, CancelGivesEmptyTextAndGivesTheWindowsBack) {
    OwnWindow wizard("Wizard");
    OwnWindow disabledBefore("Other");
    EnableWindow(disabledBefore.get(), FALSE);
    SetActiveWindow(wizard.get());
    ASSERT_EQ(GetActiveWindow(), wizard.get());

    std::atomic<bool> wizardDisabled{false}, otherDisabled{false}, hasTitle{false};
    const Text title = "\xC7\xEB\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC";  // 请选择安装目录
    Answerer cancel(nullptr, [&](HWND dialog) {
        wizardDisabled = !IsWindowEnabled(wizard.get());
        otherDisabled = !IsWindowEnabled(disabledBefore.get());
        hasTitle = HasChildWithText(dialog, title);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(host_.BrowseForFolder(title), "");
    ASSERT_TRUE(cancel.Finish());
    EXPECT_TRUE(wizardDisabled);
    EXPECT_TRUE(otherDisabled);
    EXPECT_TRUE(hasTitle);

    EXPECT_TRUE(IsWindowEnabled(wizard.get()));
    EXPECT_FALSE(IsWindowEnabled(disabledBefore.get()));
    EXPECT_EQ(GetActiveWindow(), wizard.get());
}

TEST_F(FolderDialog, ADriveRootKeepsItsBackslash) {
    Answerer choose(nullptr, [](HWND dialog) { ChooseAndConfirm(dialog, "C:\\"); });
    EXPECT_EQ(host_.BrowseForFolder("drive"), "C:\\");
    EXPECT_TRUE(choose.Finish());
}

TEST_F(FolderDialog, AFolderComesBackWithoutTrailingBackslash) {
    test::ScratchFolder root("browse");
    const Text folder = root.path() + "\\\x81\x5C\xD6\xD0";  // 乗中
    ASSERT_TRUE(host_.MakeDirectory(folder));
    Answerer choose(nullptr, [&folder](HWND dialog) { ChooseAndConfirm(dialog, folder); });
    const Text chosen = host_.BrowseForFolder("folder");
    EXPECT_TRUE(choose.Finish());
    EXPECT_EQ(lstrcmpiA(chosen.c_str(), folder.c_str()), 0) << chosen;
    EXPECT_EQ(chosen.substr(chosen.size() - 4), "\x81\x5C\xD6\xD0");
}

TEST_F(FolderDialog, AnItemWithoutAFileSystemPathGivesEmptyText) {
    Answerer choose(nullptr, [](HWND dialog) {
        PIDLIST_ABSOLUTE computer = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer))) return;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer), SMTO_NORMAL,
                            5000, &ignored);
        CoTaskMemFree(computer);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(host_.BrowseForFolder("computer"), "");
    EXPECT_TRUE(choose.Finish());
}

}  // namespace
