// The live window: its controls made from the description, in which order and z-order, and
// the window answering while the rest is made.
#include "tests/window/window_fixture.h"
#include "tests/host/stand_in.h"

namespace {

using namespace window_test;
using host::ControlProperty;
using host::ControlRef;

TEST_F(WindowTest, EveryControlUnderItsIdParentAndRectangle) {
    EXPECT_FALSE(IsWindowVisible(w->Handle())) << "built hidden";
    for (const auto& c : expected::kControls) {
        SCOPED_TRACE(c.name);
        HWND h = H(c.id);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(static_cast<std::uint32_t>(GetDlgCtrlID(h)), c.id) << "the full 32-bit id";
        EXPECT_EQ(GetParent(h), c.parent == expected::kWindow ? w->Handle() : H(c.parent));
        const RECT r = RectInParent(h);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        // Page members of other pages than the first are hidden at start, as is the banner's.
        const bool shown = (c.flags & expected::V) && (c.page < 0 || c.page == 0) && c.parent != expected::kBanner;
        EXPECT_EQ(StyleVisible(c.id), shown);
        EXPECT_EQ(IsWindowEnabled(h) == FALSE, (c.flags & expected::D) != 0);
        if (c.text) {
            EXPECT_EQ(TextOf(h), c.text);
        }
    }
}

// Each container's members, top of the z-order first, by id; and what the description says.
std::vector<std::uint32_t> MembersTopFirst(HWND parent) {
    std::vector<std::uint32_t> got;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        got.push_back(static_cast<std::uint32_t>(GetDlgCtrlID(child)));
    }
    return got;
}
std::vector<std::uint32_t> DescribedMembers(std::uint32_t parent) {
    std::vector<std::uint32_t> want;
    for (const auto& c : expected::kControls) {
        if (c.parent == parent) want.push_back(c.id);
    }
    return want;
}
constexpr std::uint32_t kContainers[] = {expected::kWindow, expected::kBanner, expected::kButtonBand,
                                         expected::kPanel, expected::kPages};


TEST_F(WindowTest, SiblingsStackInDescriptionOrder) {
    EXPECT_TRUE(ControlsMade(w->Handle()).empty()) << "no control is made before it is needed";
    H(expected::kPanel);  // asking for one control makes them all
    EXPECT_EQ(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    for (std::uint32_t parent : kContainers) {
        EXPECT_EQ(MembersTopFirst(parent == expected::kWindow ? w->Handle() : H(parent)), DescribedMembers(parent))
            << "parent " << std::hex << parent;
    }
}

TEST_F(WindowTest, FirstScreenIsMadeFirstAndTheRestTakesItsPlaceAndState) {
    // The welcome layout: the panel at 0 covers the banner and the pages.
    auto write = [&](std::uint32_t id, ControlProperty p, host::PropertyValue v) { w->WriteProperty(Ref(id), p, v); };
    write(expected::kPanel, ControlProperty::Left, 0);
    write(expected::kPanel, ControlProperty::Visible, true);
    // State written before a control is made is what it is made with.
    write(expected::k释放文本, ControlProperty::Checked, false);
    write(expected::k主标题, ControlProperty::Caption, std::string("选择目标位置"));
    write(expected::k进度条, ControlProperty::Position, 40);
    write(expected::k取消, ControlProperty::Disabled, true);
    write(expected::kPages, ControlProperty::CurrentPage, 1);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k取消), ControlProperty::Disabled)));
    EXPECT_FALSE(host::AsBool(w->ReadProperty(Ref(expected::k释放文本), ControlProperty::Checked)));
    EXPECT_EQ(host::AsInt(w->ReadProperty(Ref(expected::kPages), ControlProperty::CurrentPage)), 1);
    w->Show();

    const std::set<std::uint32_t> first = ControlsMade(w->Handle());
    for (std::uint32_t id : {expected::kPanel, expected::kButtonBand, expected::k下一步, expected::k取消,
                             expected::k标签_版本}) {
        EXPECT_TRUE(first.count(id)) << std::hex << id << " is seen on the first screen";
    }
    for (std::uint32_t id : {expected::kBanner, expected::kPages, expected::k许可协议, expected::k主标题,
                             expected::k选择框_运行}) {
        EXPECT_FALSE(first.count(id)) << std::hex << id << " is covered or hidden";
    }

    Pump();  // the loop makes the rest
    EXPECT_EQ(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    for (std::uint32_t parent : kContainers) {
        EXPECT_EQ(MembersTopFirst(parent == expected::kWindow ? w->Handle() : H(parent)), DescribedMembers(parent))
            << "parent " << std::hex << parent;
    }
    EXPECT_EQ(SendMessageA(H(expected::k释放文本), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(TextOf(H(expected::k主标题)), "选择目标位置");
    EXPECT_EQ(SendMessageA(H(expected::k进度条), PBM_GETPOS, 0, 0), 40);
    EXPECT_FALSE(IsWindowEnabled(H(expected::k取消)));
    // Made on page 1 behind the panel: hidden while covered, though read as visible.
    EXPECT_FALSE(StyleVisible(expected::k路径));
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k路径), ControlProperty::Visible)));
    EXPECT_FALSE(StyleVisible(expected::k许可协议));
}

TEST_F(WindowTest, AfterShowingAnyPropertyCallMakesTheWholeWindow) {
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
    ASSERT_LT(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    // A handler that runs before the loop has made the rest (a click sent from outside is
    // handled before posted work) finds every control there: the licence, under the panel, is
    // shown on its page.
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k许可协议), ControlProperty::Visible)));
    EXPECT_EQ(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
}

TEST_F(WindowTest, AfterShowingEachMessagePaintsOrMakesAFewControlsUntilAllAreMade) {
    w->Show();  // the panel where the description has it: the licence box is seen
    std::size_t made = ControlsMade(w->Handle()).size();
    ASSERT_TRUE(DispatchOne());
    EXPECT_EQ(ControlsMade(w->Handle()).size(), made) << "the first screen is painted before anything is made";
    EXPECT_FALSE(GetUpdateRect(w->Handle(), nullptr, FALSE));

    int messages = 0;
    HWND licence = nullptr;
    while (made < std::size(expected::kControls) || !IsWindowVisible(licence)) {
        ASSERT_TRUE(DispatchOne()) << "the window asks for its next portion itself";
        ASSERT_LT(++messages, 100);
        const std::size_t now = ControlsMade(w->Handle()).size();
        EXPECT_LE(now - made, host::WizardWindow::kControlsPerPortion);
        made = now;
        // The licence box is shown only with its whole text.
        licence = MadeControl(w->Handle(), expected::k许可协议);
        if (licence && IsWindowVisible(licence)) {
            EXPECT_EQ(GetWindowTextLengthA(licence), 5289);
        }
    }
    EXPECT_GE(messages, 10) << "29 controls and the licence in pieces";
    for (std::uint32_t parent : kContainers) {
        EXPECT_EQ(MembersTopFirst(parent == expected::kWindow ? w->Handle() : H(parent)), DescribedMembers(parent))
            << "parent " << std::hex << parent;
    }
    // As a text given whole leaves the box: all of it, from its start, the first line on top.
    EXPECT_EQ(host::AsText(w->ReadProperty(Ref(expected::k许可协议), ControlProperty::Text)), wizard::kLicenceText);
    DWORD from = 1, to = 1;
    SendMessageA(licence, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 0u);
    EXPECT_EQ(SendMessageA(licence, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// Runs in a process of its own (CMakeLists.txt), where nothing has loaded the common controls.
class WindowStartTest : public WindowTest {
protected:
    void SetUp() override { BuildWindow(); }
};

TEST_F(WindowStartTest, ShowsAtOnceAndMakesItsFirstScreenWhenTheCommonControlsAreIn) {
    ASSERT_FALSE(host::CommonControlsLoaded()) << "run alone: --gtest_filter=*.ShowsAtOnce*";
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
    EXPECT_TRUE(IsWindowVisible(w->Handle()));
    EXPECT_TRUE(ControlsMade(w->Handle()).empty()) << "shown before its controls, which need the library";

    HWND next = nullptr;
    for (int messages = 0; !(next = MadeControl(w->Handle(), expected::k下一步)); ++messages) {
        ASSERT_LT(messages, 20);
        ASSERT_TRUE(DispatchOne()) << "the loading thread tells the window when the library is in";
    }
    const std::set<std::uint32_t> first = ControlsMade(w->Handle());
    for (std::uint32_t id : {expected::kPanel, expected::kButtonBand, expected::k取消, expected::k标签_版本}) {
        EXPECT_TRUE(first.count(id)) << std::hex << id << " is made with the first screen";
    }
    EXPECT_FALSE(first.count(expected::k许可协议)) << "the rest comes in portions";
}

TEST_F(WindowStartTest, OwnFirstScreenIsMadeShownAndLeftToThePaintingWhileTheLibraryLoads) {
    ASSERT_FALSE(host::CommonControlsLoaded()) << "run alone: --gtest_filter=*.OwnFirstScreen*";
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
    ASSERT_TRUE(DispatchOne()) << "the window's first message makes what it draws itself";
    EXPECT_FALSE(MadeControl(w->Handle(), expected::k下一步)) << "the buttons wait for the library";
    for (std::uint32_t id : {expected::kPanel, expected::kButtonBand, expected::k标签_版本,
                            0x16010027u /* 图片框1, the side picture */}) {
        const HWND h = MadeControl(w->Handle(), id);
        ASSERT_NE(h, nullptr) << std::hex << id;
        EXPECT_TRUE(IsWindowVisible(h)) << std::hex << id;
        EXPECT_TRUE(GetUpdateRect(h, nullptr, FALSE)) << std::hex << id << " shown without drawing, to be painted";
    }
    EXPECT_EQ(GetActiveWindow(), w->Handle()) << "the keyboard asked for as the window first shows";
    HWND next = nullptr;
    for (int messages = 0; !(next = MadeControl(w->Handle(), expected::k下一步)) || GetUpdateRect(next, nullptr, FALSE);
         ++messages) {
        ASSERT_LT(messages, 30);
        ASSERT_TRUE(DispatchOne());
    }
    EXPECT_EQ(GetFocus(), next);
}

// Drawn into one DC of the window before the keyboard: the upper of two overlapping controls, Next itself.
TEST_F(WindowStartTest, FirstScreenDrawnInStackingOrderBeforeTheKeyboard) {
    ASSERT_FALSE(host::CommonControlsLoaded()) << "run alone: --gtest_filter=*.FirstScreenDrawn*";
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
    HWND next = nullptr;
    for (int m = 0; !(next = MadeControl(w->Handle(), expected::k下一步)) || GetUpdateRect(next, nullptr, FALSE); ++m) {
        ASSERT_TRUE(m < 30 && DispatchOne());
    }
    POINT band{250, 0}, edge{0, 10};  // in the band's top row; on Next's left edge
    MapWindowPoints(MadeControl(w->Handle(), expected::kButtonBand), w->Handle(), &band, 1);
    MapWindowPoints(next, w->Handle(), &edge, 1);
    HDC dc = GetDCEx(w->Handle(), nullptr, DCX_CACHE);  // the controls not clipped out: all that is drawn
    EXPECT_NE(GetPixel(dc, band.x, band.y), RGB(255, 255, 255)) << "the band, not the panel under it";
    EXPECT_NE(GetPixel(dc, edge.x, edge.y), GetSysColor(COLOR_BTNFACE)) << "Next's frame, not the band under it";
    ReleaseDC(w->Handle(), dc);
}

// The foreground as Windows guards it: a program that the user left while it started is refused
// the front, its window first shown inactive. Next takes the focus the moment the user comes.
decltype(&ShowWindow) realShow;
decltype(&SetForegroundWindow) realForeground;
BOOL WINAPI ShowRefusedTheFront(HWND window, int show) { return realShow(window, !GetParent(window) && show == SW_SHOW ? SW_SHOWNA : show); }
BOOL WINAPI ForegroundRefused(HWND) { return FALSE; }
TEST_F(WindowTest, RefusedTheFrontNextHasTheFocusWhenTheUserComes) {
    test::StandIn show("ShowWindow", &ShowRefusedTheFront, realShow), front("SetForegroundWindow", &ForegroundRefused, realForeground);
    if (!show.active() || !front.active()) GTEST_SKIP() << "the calls are not in this program's import table";
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
    for (int messages = 0; !MadeControl(w->Handle(), expected::k下一步); ++messages) ASSERT_TRUE(messages < 30 && DispatchOne());
    Pump();
    ASSERT_NE(GetForegroundWindow(), w->Handle()) << "left inactive, as Windows leaves it";
    realForeground(w->Handle());  // the user clicks its taskbar button
    Pump();
    EXPECT_EQ(GetFocus(), MadeControl(w->Handle(), expected::k下一步));
}

TEST_F(WindowTest, AnswersAMessageSentFromAnotherThreadWhileTheRestIsMade) {
    w->Show();
    ASSERT_TRUE(DispatchOne());
    std::atomic<bool> answered{false};
    std::thread other([&] {
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(w->Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    });
    for (int i = 0; i < 5000 && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i) Sleep(1);
    ASSERT_TRUE(DispatchOne());  // answers what was sent, then makes one portion
    other.join();
    EXPECT_TRUE(answered);
    EXPECT_LT(ControlsMade(w->Handle()).size(), std::size(expected::kControls)) << "answered before all is made";
}

TEST_F(WindowTest, AskingForAnyControlWhileTheRestIsMadeMakesItAllAtOnce) {
    w->Show();
    ASSERT_TRUE(DispatchOne());
    ASSERT_TRUE(DispatchOne());
    ASSERT_LT(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    HWND licence = H(expected::k许可协议);
    EXPECT_EQ(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    EXPECT_TRUE(IsWindowVisible(licence));
    EXPECT_EQ(GetWindowTextLengthA(licence), 5289);
    for (std::uint32_t parent : kContainers) {
        EXPECT_EQ(MembersTopFirst(parent == expected::kWindow ? w->Handle() : H(parent)), DescribedMembers(parent))
            << "parent " << std::hex << parent;
    }
}

}  // namespace
