// The built setup, started as a user would start it and looked at from outside.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <string>
#include <vector>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"

namespace {

const std::string kTitle = "安装向导-Lumora";

class SetupWindow : public ::testing::Test {
protected:
    void SetUp() override {
        setup = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
        ASSERT_NE(setup.handle, nullptr) << "the setup starts";
        window = remote::FindTopWindow(setup.id, kTitle, 30000);
        ASSERT_NE(window, nullptr) << "its window appears";
        Sleep(300);  // let it paint
    }
    void TearDown() override {
        if (setup.handle && remote::WaitExit(setup, 0) == -1) remote::Kill(setup);
    }

    bool Seen(std::uint32_t id) const { return IsWindowVisible(remote::FindControl(window, id)) != FALSE; }
    COLORREF PixelAt(int x, int y) const { return remote::ScreenPixel(window, x, y); }

    remote::Process setup;
    HWND window = nullptr;
};

TEST_F(SetupWindow, OuterSizeAndCentredPosition) {
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 360);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 500) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 360) / 2);
}

TEST_F(SetupWindow, EveryControlUnderItsIdWithRectangleVisibilityAndText) {
    for (const auto& c : expected::kControls) {
        SCOPED_TRACE(c.name);
        HWND h = remote::FindControl(window, c.id);
        ASSERT_NE(h, nullptr);
        const RECT r = remote::RectInParent(h);
        // The welcome layout moves the panel from its place in the description to the left.
        EXPECT_EQ(r.left, c.id == expected::kPanel ? 0 : c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        HWND parent = GetParent(h);
        EXPECT_EQ(static_cast<std::uint32_t>(parent == window ? expected::kWindow : GetDlgCtrlID(parent)),
                  c.parent);
        if (c.text) {
            EXPECT_EQ(remote::Text(h), c.text);
        }
    }
    // What the user sees at start: the panel and its welcome texts, Next and Cancel; no
    // banner, no Back, no finish texts, and the licence page behind the panel hidden from
    // the system while covered. (The question on closing lets TearDown end it.)
    for (std::uint32_t id : {expected::kPanel, 0x1601002bu, expected::k标签_版本, expected::k下一步,
                             expected::k取消}) {
        EXPECT_TRUE(Seen(id)) << std::hex << id;
    }
    for (std::uint32_t id : {expected::kBanner, expected::k主标题, expected::k上一步, expected::k标签8,
                             expected::k选择框_运行, expected::k进度条, expected::k路径, expected::k接受,
                             expected::k许可协议}) {
        EXPECT_FALSE(Seen(id)) << std::hex << id;
    }
    EXPECT_EQ(SendMessageA(remote::FindControl(window, expected::k不接受), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(remote::Text(remote::FindControl(window, expected::k许可协议)).size(), 5289u);
}

TEST_F(SetupWindow, PaintsTheWelcomeStep) {
    const COLORREF white = RGB(255, 255, 255), silver = RGB(192, 192, 192);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelAt(180, 20), white) << "the panel, right of the side picture";
    EXPECT_EQ(PixelAt(480, 250), white) << "the panel, where the page area lies behind it";
    EXPECT_EQ(PixelAt(20, 289), silver) << "top edge of the button band";
    EXPECT_EQ(PixelAt(20, 300), face) << "button band";
    // The side picture at the window's left: dark artwork, not a background colour.
    const COLORREF art = PixelAt(85, 60);
    EXPECT_NE(art, white);
    EXPECT_NE(art, face);
}

TEST_F(SetupWindow, ItsControlsAreThoseOfTheCommonControlsOfVersion6) {
    // Loaded on the thread aside after the window shows, they must still be the version
    // that the manifest asks for (from the side-by-side store), not the system folder's.
    HMODULE modules[256];
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcessModules(setup.handle, modules, sizeof modules, &bytes));
    std::vector<std::string> loaded;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
        char path[MAX_PATH] = {};
        GetModuleFileNameExA(setup.handle, modules[i], path, sizeof path);
        if (std::string(CharLowerA(path)).ends_with("\\comctl32.dll")) loaded.push_back(path);
    }
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_NE(loaded[0].find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << loaded[0];
}

}  // namespace
