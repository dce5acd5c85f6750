// The keyboard on the live window: Tab in the window's own order; Enter and Escape do nothing.
#include "tests/window/window_fixture.h"

namespace {

using namespace window_test;
using host::ControlProperty;
using host::ControlRef;

class KeyboardTest : public WindowTest {};

void PressKey(HWND target, WPARAM key) {
    MSG msg{target, WM_KEYDOWN, key, 0, 0, {0, 0}};
    host::DispatchMessageStep(msg);
    MSG up{target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000000u), 0, {0, 0}};
    host::DispatchMessageStep(up);
    Pump();
}

TEST_F(KeyboardTest, TabOrderOnTheLicenceStep) {
    ShowLicenceStep();
    SendMessageA(H(expected::k接受), BM_CLICK, 0, 0);
    SetFocus(H(expected::k接受));
    ASSERT_EQ(GetFocus(), H(expected::k接受));
    const std::uint32_t cycle[] = {expected::k取消, expected::k许可协议, expected::k不接受,
                                   expected::k下一步, expected::k上一步, expected::k接受};
    for (std::uint32_t id : cycle) {
        PressKey(GetFocus(), VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), static_cast<int>(id));
    }
}

TEST_F(KeyboardTest, TabWhileTheRestIsMadeTakesInEveryControl) {
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);  // the welcome step
    w->Show();
    HWND next = MadeControl(w->Handle(), expected::k下一步);
    ASSERT_NE(next, nullptr);
    SetFocus(next);
    ASSERT_LT(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    // Next is the last in tab order; Tab goes round to the first that a person can see, Cancel,
    // never to the licence page's accept button behind the panel, whose window it made too.
    PressKey(next, VK_TAB);
    EXPECT_EQ(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    EXPECT_EQ(GetFocus(), H(expected::k取消));
}

TEST_F(KeyboardTest, TabSkipsDisabledHiddenAndNonTabStops) {
    ShowLicenceStep();
    // With Next disabled it drops out of the cycle.
    w->WriteProperty(Ref(expected::k下一步), ControlProperty::Disabled, true);
    SetFocus(H(expected::k不接受));
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), H(expected::k上一步));

    // On the destination page the two option boxes without tab stop are skipped, and the
    // disabled main-program box too.
    w->WriteProperty(Ref(expected::kPages), ControlProperty::CurrentPage, 1);
    w->WriteProperty(Ref(expected::k下一步), ControlProperty::Disabled, false);
    std::vector<int> visited;
    SetFocus(H(0x16010043u));
    for (int i = 0; i < 6; ++i) {
        PressKey(GetFocus(), VK_TAB);
        visited.push_back(GetDlgCtrlID(GetFocus()));
    }
    for (int id : visited) {
        EXPECT_NE(id, static_cast<int>(expected::k释放文本));
        EXPECT_NE(id, static_cast<int>(expected::k创建快捷方式));
        EXPECT_NE(id, static_cast<int>(expected::k安装主程序));
        EXPECT_NE(id, static_cast<int>(expected::k接受));
    }
    // A control that is not a candidate hands the focus to the first candidate.
    SetFocus(H(expected::k释放文本));
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), H(expected::k取消)) << "tab number 0, the last row first";
}

// Back from a minimise or another program, Windows gives the window itself the focus first.
TEST_F(KeyboardTest, TheFocusComesBackWithTheWindow) {
    ShowLicenceStep();
    SetFocus(H(expected::k接受));
    SendMessageW(w->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(w->Handle());
    EXPECT_EQ(GetFocus(), H(expected::k接受));
}

TEST_F(KeyboardTest, EnterAndEscapeDoNothing) {
    ShowLicenceStep();
    SetFocus(H(expected::k下一步));
    PressKey(GetFocus(), VK_RETURN);
    PressKey(GetFocus(), VK_ESCAPE);
    EXPECT_TRUE(g_recorded.clicks.empty());
    EXPECT_EQ(g_recorded.closeQueries, 0);
    EXPECT_TRUE(IsWindowVisible(w->Handle()));
}

}  // namespace
