// The folder dialog of the built setup, opened with the browse button on the destination step
// and answered from outside: when it goes, the wizard has the front and the keyboard focus
// again, and the window of another program that stands behind it all the while never gets them.
// The test runs in a prefix of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"

namespace {

using namespace expected;

const std::string kTitle = "安装向导-Lumora";

using remote::Eventually;

// A window of another program than the setup, shown before it on a thread of its own: the one
// that the system activates when the setup has none of its windows left that can take the front.
class Bystander {
public:
    Bystander() {
        thread_ = std::thread([this] { Run(); });
        while (!ready_) Sleep(10);
    }
    ~Bystander() {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    Bystander(const Bystander&) = delete;
    Bystander& operator=(const Bystander&) = delete;

    HWND window() const { return window_; }
    std::atomic<bool> activated{false};

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Bystander*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && self) self->activated = true;
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FolderDialogBystander";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"bystander", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
        if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ready_ = true;
        MSG msg;
        while (window_ && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }

    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND window_ = nullptr;
};

class FolderDialog : public ::testing::Test {
protected:
    void TearDown() override {
        if (setup.handle && remote::WaitExit(setup, 0) == -1) remote::Kill(setup);
    }
    HWND C(std::uint32_t id) const { return remote::FindControl(window, id); }
    std::string TextOf(std::uint32_t id) const { return remote::Text(C(id)); }
    void ClickTo(std::uint32_t id, const std::string& bannerTitle) {
        remote::Click(C(id));
        ASSERT_TRUE(Eventually([&] { return TextOf(k主标题) == bannerTitle; })) << bannerTitle;
    }
    bool WizardInFront() const {
        const HWND focus = remote::FocusOf(window);
        return GetForegroundWindow() == window && focus && IsChild(window, focus);
    }

    remote::Process setup;
    HWND window = nullptr;
};

TEST_F(FolderDialog, TheWizardKeepsTheFrontAndTheFocusWhenItCloses) {
    Bystander other;
    ASSERT_NE(other.window(), nullptr);
    setup = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
    ASSERT_NE(setup.handle, nullptr);
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr) << "the wizard appears";
    ClickTo(k下一步, "许可协议");
    remote::Click(C(k接受));
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    ClickTo(k下一步, "选择目标位置");
    ASSERT_TRUE(Eventually([&] { return WizardInFront(); })) << "in front before the dialog";

    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer == IDOK ? "OK" : "Cancel");
        other.activated = false;
        remote::Click(C(k目录浏览));
        HWND dialog = remote::FindMessageBox(setup.id, 10000);
        ASSERT_NE(dialog, nullptr) << "the folder dialog";
        ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == dialog; })) << "the dialog in front";
        ASSERT_TRUE(remote::PressBoxButton(dialog, answer));
        ASSERT_TRUE(Eventually([&] { return remote::FindMessageBox(setup.id, 0) == nullptr; }));

        EXPECT_TRUE(Eventually([&] { return WizardInFront(); }))
            << "front " << GetForegroundWindow() << ", focus " << remote::FocusOf(window);
        EXPECT_TRUE(IsWindowEnabled(window));
        EXPECT_FALSE(other.activated) << "the front went to another program";
    }
}

}  // namespace
