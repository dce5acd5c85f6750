// The built setup on displays scaled to 125 %, 150 % and 200 %: the whole window is there,
// proportioned as at 100 %, with the buttons of the bottom band inside it.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/common/expected_controls.h"
#include "tests/e2e/remote.h"

namespace {

using namespace expected;

const std::string kTitle = "安装向导-Lumora";

void SetDisplayDpi(DWORD dpi) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// A control's rectangle in the client coordinates of the top-level window.
RECT InClient(HWND top, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class ScaledDisplay : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override {
        if (setup.handle && remote::WaitExit(setup, 0) == -1) remote::Kill(setup);
        SetDisplayDpi(96);
    }
    remote::Process setup;
};

TEST_P(ScaledDisplay, WholeWindowInProportion) {
    const int dpi = GetParam();
    auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    SetDisplayDpi(static_cast<DWORD>(dpi));
    setup = remote::Start(remote::WindowsPath(LUMORA_SETUP_EXE));
    HWND window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);

    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.right - outer.left, scaled(500));
    EXPECT_EQ(outer.bottom - outer.top, scaled(360));

    for (const auto& c : kControls) {
        SCOPED_TRACE(c.name);
        const RECT r = remote::RectInParent(remote::FindControl(window, c.id));
        EXPECT_EQ(r.left, scaled(c.id == kPanel ? 0 : c.left));
        EXPECT_EQ(r.top, scaled(c.top));
        EXPECT_EQ(r.right - r.left, scaled(c.width));
        EXPECT_EQ(r.bottom - r.top, scaled(c.height));
    }
    // The buttons a user needs stand wholly in the client area.
    for (std::uint32_t id : {k上一步, k下一步, k取消}) {
        const RECT r = InClient(window, remote::FindControl(window, id));
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, client.right) << std::hex << id;
        EXPECT_LE(r.bottom, client.bottom) << std::hex << id;
    }
    // Room below the buttons in proportion to 100 % (7 pixels there), give or take a frame's.
    const RECT next = InClient(window, remote::FindControl(window, k下一步));
    EXPECT_GE(client.bottom - next.bottom, scaled(6));
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScaledDisplay, ::testing::Values(96, 120, 144, 192));

}  // namespace
