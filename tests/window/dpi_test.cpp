// The window on a display scaled to 150 % (run with a DPI of 144): every rectangle and the
// fonts of its own grow with the display, while the control model keeps counting the pixels
// of a 96-DPI screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/system/win32_host.h"
#include "tests/common/expected_controls.h"
#include "tests/common/live_wizard.h"

namespace {

using host::ControlProperty;

int Scaled(int pixels) { return MulDiv(pixels, 144, 96); }

class ScaledDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 144) << "this test runs on a display of 144 DPI";
        ASSERT_TRUE(live.Build());
    }
    host::ControlRef Ref(std::uint32_t id) const { return {expected::kWindowId, id}; }

    host::Win32Host hostServices;
    test::LiveWizard live{hostServices, {}};
};

TEST_F(ScaledDisplay, RectanglesGrowWhileTheModelKeepsItsNumbers) {
    RECT outer{};
    GetWindowRect(live.window.Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, Scaled(500));
    EXPECT_EQ(outer.bottom - outer.top, Scaled(360));
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - Scaled(500)) / 2) << "centred";
    for (const auto& c : expected::kControls) {
        SCOPED_TRACE(c.name);
        HWND h = live.window.ControlHandle(c.id);
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, Scaled(c.left));
        EXPECT_EQ(r.top, Scaled(c.top));
        EXPECT_EQ(r.right - r.left, Scaled(c.width));
        EXPECT_EQ(r.bottom - r.top, Scaled(c.height));
        EXPECT_EQ(host::AsInt(live.window.ReadProperty(Ref(c.id), ControlProperty::Left)), c.left);
        EXPECT_EQ(host::AsInt(live.window.ReadProperty(Ref(c.id), ControlProperty::Top)), c.top);
        EXPECT_EQ(host::AsInt(live.window.ReadProperty(Ref(c.id), ControlProperty::Width)), c.width);
        EXPECT_EQ(host::AsInt(live.window.ReadProperty(Ref(c.id), ControlProperty::Height)), c.height);
    }
}

TEST_F(ScaledDisplay, WritesAreInTheModelsPixels) {
    const host::ControlRef window = Ref(expected::kWindow), panel = Ref(expected::kPanel);
    live.window.WriteProperty(window, ControlProperty::Width, 300);
    live.window.WriteProperty(window, ControlProperty::Height, 200);
    live.window.WriteProperty(window, ControlProperty::Height, 360);
    live.window.WriteProperty(window, ControlProperty::Width, 500);
    RECT outer{};
    GetWindowRect(live.window.Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, Scaled(500));
    EXPECT_EQ(outer.bottom - outer.top, Scaled(360));
    EXPECT_EQ(host::AsInt(live.window.ReadProperty(window, ControlProperty::Width)), 500);
    EXPECT_EQ(host::AsInt(live.window.ReadProperty(window, ControlProperty::Height)), 360);

    // Odd numbers come back as written.
    for (int left : {0, 1, 17, 127, -33, 20001}) {
        live.window.WriteProperty(panel, ControlProperty::Left, left);
        EXPECT_EQ(host::AsInt(live.window.ReadProperty(panel, ControlProperty::Left)), left);
        RECT r{};
        GetWindowRect(live.window.ControlHandle(expected::kPanel), &r);
        MapWindowPoints(HWND_DESKTOP, live.window.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, Scaled(left));
    }
}

TEST_F(ScaledDisplay, OwnFontsGrowWithTheDisplay) {
    for (auto [id, height] : {std::pair{expected::k主标题, -12}, std::pair{0x1601002bu, -16}}) {
        const auto font = reinterpret_cast<HFONT>(SendMessageA(live.window.ControlHandle(id), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
        EXPECT_EQ(lf.lfHeight, Scaled(height));
        EXPECT_EQ(lf.lfWeight, 700);
    }
}

}  // namespace
