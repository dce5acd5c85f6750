// The built setup under a dark high-contrast scheme (the button face black, its text white),
// looked at on the display: on every step, each text stands out from what lies behind it.
// The test runs in a prefix of its own, whose colours it sets before the setup starts.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "host/system/late_library.h"
#include "host/system/win32_host.h"
#include "tests/common/live_wizard.h"
#include "tests/e2e/install_fixture.h"

namespace {

using namespace e2e;

void SetDarkScheme() {
    const char* const scheme[][2] = {
        {"ButtonFace", "0 0 0"}, {"ButtonText", "255 255 255"}, {"Window", "0 0 0"},
        {"WindowText", "255 255 255"}, {"GrayText", "0 255 0"},
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : scheme) {
        EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>(std::strlen(value) + 1)),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

int Lightness(COLORREF c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; }

// A text on the display: the control, and how many columns at its left and right to leave out
// (a check box's box, a scroll bar), so that only the caption's area is looked at.
struct ShownText {
    const char* name;
    std::uint32_t id;
    int skipLeft = 0;
    int skipRight = 0;
};
constexpr int kBox = 18;  // a check or radio box and the gap after it

// How many pixels of the caption's area stand out from its background (the area's commonest
// colour) by at least half the scale of lightness, next to another that does: strokes of a
// text, not the dots of a focus rectangle. A text that can be read makes hundreds.
int PixelsStandingOut(HWND control, const ShownText& text, COLORREF& background) {
    int width = 0, height = 0;
    const std::vector<COLORREF> pixels = remote::ScreenPixels(control, width, height);
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    background = counts.empty() ? 0
                                : std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                                      return a.second < b.second;
                                  })->first;
    auto stands = [&](int x, int y) {
        if (x < text.skipLeft || x >= width - text.skipRight || y >= height) return false;
        const COLORREF c = pixels[static_cast<std::size_t>(y * width + x)];
        return std::abs(Lightness(c) - Lightness(background)) >= 128;
    };
    int standing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = text.skipLeft; x < width - text.skipRight; ++x) {
            if (stands(x, y) && (stands(x + 1, y) || stands(x, y + 1))) ++standing;
        }
    }
    return standing;
}

class HighContrast : public SetupInstall {
protected:
    void ExpectReadable(const std::vector<ShownText>& texts) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 500; Sleep(20)) {
            MSG msg;  // let the step paint, in this process too
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        for (const ShownText& text : texts) {
            SCOPED_TRACE(text.name);
            HWND control = C(text.id);
            ASSERT_TRUE(IsWindowVisible(control));
            COLORREF background = 0;
            const int standing = PixelsStandingOut(control, text, background);
            EXPECT_GE(standing, 100) << "on the background " << std::hex << background;
        }
    }
};

TEST_F(HighContrast, EveryTextOfEveryStepStandsOutFromItsBackground) {
    ASSERT_NO_FATAL_FAILURE(SetDarkScheme());
    StartSetup();
    // The labels and boxes of the welcome and finish steps lie on the white the window gives
    // them; those of the pages on the button face, black here.
    ASSERT_NO_FATAL_FAILURE(ExpectReadable({{"标签1", 0x1601002bu}, {"标签_版本", k标签_版本},
                                            {"标签3", 0x16010029u}, {"标签4", 0x16010028u}}));

    ClickTo(k下一步, "许可协议");
    ASSERT_NO_FATAL_FAILURE(ExpectReadable({{"标签_主标题", k主标题},
                                            {"标签_提示", k提示},
                                            {"标签7", 0x1601001eu},
                                            {"编辑框_许可协议", k许可协议, 0, 20},
                                            {"单选框_接受", k接受, kBox},
                                            {"单选框_不接受", k不接受, kBox}}));
    EXPECT_EQ(remote::ScreenPixel(C(kPages), 10, 100), RGB(0, 0, 0)) << "the scheme's button face";

    remote::Click(C(k接受));
    ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
    ClickTo(k下一步, "选择目标位置");
    ASSERT_NO_FATAL_FAILURE(ExpectReadable({{"标签5", 0x16010040u},
                                            {"标签6", 0x16010041u},
                                            {"编辑框_路径", k路径},
                                            {"选择框_安装主程序", k安装主程序, kBox},
                                            {"选择框_创建快捷方式", k创建快捷方式, kBox},
                                            {"选择框_释放文本", k释放文本, kBox},
                                            {"标签_所需空间", k所需空间}}));

    ClickTo(k下一步, "准备安装");
    ASSERT_NO_FATAL_FAILURE(ExpectReadable({{"标签10", 0x16010046u}}));

    ASSERT_TRUE(InstallToFinishPage());
    ASSERT_NO_FATAL_FAILURE(ExpectReadable({{"标签8", k标签8},
                                            {"选择框_运行", k选择框_运行, kBox},
                                            {"选择框_查看更新内容", 0x16010075u, kBox},
                                            {"选择框_查看解决方案", 0x16010076u, kBox},
                                            {"选择框_访问官网", 0x16010077u, kBox}}));
}

// In this process, a high-contrast theme turned on (as Windows says; Wine never does) and the
// colours changed while the window is up: no white, no picture, the texts readable.
bool g_highContrast = false;
TEST_F(HighContrast, EverySurfaceTakesTheSystemsColoursAtOnce) {
    const int items[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255)}, navy = RGB(0, 0, 128);
    host::SetHighContrastQuery([] { return g_highContrast; });
    host::LoadCommonControls();
    host::Win32Host hostServices;
    test::LiveWizard live(hostServices, {});
    ASSERT_TRUE(SetSysColors(4, items, dark) && live.Build());
    live.window.WriteProperty({kWindowId, kPanel}, host::ControlProperty::Left, 0);
    live.window.Show();
    window = live.window.Handle();
    const ShownText label{"标签1", 0x1601002bu}, picture{"图片框1", 0x16010027u};
    auto expectOn = [&](COLORREF background, bool pictureDrawn) {
        ExpectReadable({label});
        EXPECT_EQ(remote::ScreenPixel(C(label.id), 1, 1), background);
        COLORREF commonest = 0;  // not drawn, at most the button band's line at its foot stands out
        EXPECT_EQ(PixelsStandingOut(C(picture.id), picture, commonest) >= 170, pictureDrawn);
    };
    expectOn(RGB(255, 255, 255), true);  // off: the description's white
    g_highContrast = true;
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    expectOn(RGB(0, 0, 0), false);
    ASSERT_TRUE(SetSysColors(1, &items[2], &navy));
    expectOn(navy, false);
}

}  // namespace
