// The control-state model on the live window: kinds and styles, geometry, clamping, pages,
// visibility, texts, check boxes and radio buttons, the created and close events.
#include "tests/window/window_fixture.h"

namespace {

using namespace window_test;
using host::ControlProperty;
using host::ControlRef;

class ControlStateTest : public WindowTest {};

TEST_F(ControlStateTest, KindsAreRealControlsWithTheirStyles) {
    auto cls = [&](std::uint32_t id) {
        char name[64] = {};
        GetClassNameA(H(id), name, sizeof name);
        return std::string(name);
    };
    EXPECT_STRCASEEQ(cls(expected::k许可协议).c_str(), "Edit");
    EXPECT_STRCASEEQ(cls(expected::k下一步).c_str(), "Button");
    EXPECT_STRCASEEQ(cls(expected::k进度条).c_str(), PROGRESS_CLASSA);
    const LONG licence = GetWindowLongA(H(expected::k许可协议), GWL_STYLE);
    EXPECT_TRUE(licence & ES_READONLY);
    EXPECT_TRUE(licence & ES_MULTILINE);
    EXPECT_TRUE(licence & WS_VSCROLL);
    EXPECT_FALSE(licence & WS_HSCROLL) << "word-wrapped";
    EXPECT_TRUE(GetWindowLongA(H(expected::k许可协议), GWL_EXSTYLE) & WS_EX_STATICEDGE);
    const LONG summary = GetWindowLongA(H(0x16010045u), GWL_STYLE);
    EXPECT_TRUE(summary & WS_HSCROLL);
    EXPECT_TRUE(summary & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongA(H(expected::k路径), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(H(expected::k进度条), GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageA(H(expected::k进度条), PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(H(expected::k进度条), PBM_GETRANGE, FALSE, 0), 100);
    // No default button: Enter must not press anything.
    for (std::uint32_t id : {expected::k下一步, expected::k上一步, expected::k取消, 0x16010043u}) {
        EXPECT_EQ(GetWindowLongA(H(id), GWL_STYLE) & 0x0F, BS_PUSHBUTTON);
    }
    // The window: fixed frame, minimise, no maximise.
    const LONG frame = GetWindowLongA(w->Handle(), GWL_STYLE);
    EXPECT_TRUE(frame & WS_MINIMIZEBOX);
    EXPECT_FALSE(frame & WS_MAXIMIZEBOX);
    EXPECT_FALSE(frame & WS_THICKFRAME);
    EXPECT_TRUE(frame & WS_SYSMENU);
    EXPECT_EQ(TextOf(w->Handle()), "安装向导-Lumora");
    // The licence box holds the whole licence, given to it once the loop runs: the first
    // screen does not need it laid out.
    EXPECT_EQ(host::AsText(w->ReadProperty(Ref(expected::k许可协议), ControlProperty::Text)).size(), 5289u);
    Pump();
    EXPECT_EQ(GetWindowTextLengthA(H(expected::k许可协议)), 5289);
}

TEST_F(ControlStateTest, WindowIsCentredAtItsOuterSize) {
    RECT r{};
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 360);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 500) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 360) / 2);

    w->WriteProperty(Ref(expected::kWindow), ControlProperty::Width, 300);
    w->WriteProperty(Ref(expected::kWindow), ControlProperty::Height, 200);
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 300);
    w->WriteProperty(Ref(expected::kWindow), ControlProperty::Height, 360);
    w->WriteProperty(Ref(expected::kWindow), ControlProperty::Width, 500);
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 360);
    EXPECT_EQ(host::AsInt(w->ReadProperty(Ref(expected::kWindow), ControlProperty::Width)), 500);
    EXPECT_EQ(host::AsInt(w->ReadProperty(Ref(expected::kWindow), ControlProperty::Height)), 360);
}

TEST_F(ControlStateTest, CoordinatesAndSizesClampAt32627) {
    const ControlRef panel = Ref(expected::kPanel);
    w->WriteProperty(panel, ControlProperty::Left, 40000);
    EXPECT_EQ(host::AsInt(w->ReadProperty(panel, ControlProperty::Left)), 32627);
    w->WriteProperty(panel, ControlProperty::Left, -40000);
    EXPECT_EQ(host::AsInt(w->ReadProperty(panel, ControlProperty::Left)), -32627);
    w->WriteProperty(panel, ControlProperty::Left, 0);
    EXPECT_EQ(host::AsInt(w->ReadProperty(panel, ControlProperty::Left)), 0);
    EXPECT_EQ(host::AsInt(w->ReadProperty(panel, ControlProperty::Top)), 0) << "the other coordinate kept";
    EXPECT_EQ(host::AsInt(w->ReadProperty(panel, ControlProperty::Width)), 500) << "the size kept";

    const ControlRef label = Ref(expected::k标签_版本);
    w->WriteProperty(label, ControlProperty::Top, 32700);
    EXPECT_EQ(host::AsInt(w->ReadProperty(label, ControlProperty::Top)), 32627);
    w->WriteProperty(label, ControlProperty::Width, 40000);
    EXPECT_EQ(host::AsInt(w->ReadProperty(label, ControlProperty::Width)), 32627);
    w->WriteProperty(label, ControlProperty::Height, -1);
    EXPECT_EQ(host::AsInt(w->ReadProperty(label, ControlProperty::Height)), 0);
    EXPECT_EQ(host::AsInt(w->ReadProperty(label, ControlProperty::Width)), 32627) << "the other dimension kept";
}

TEST_F(ControlStateTest, ProgressPositionStoresUpTo32767AndShowsWithinItsRange) {
    const ControlRef bar = Ref(expected::k进度条);
    HWND h = H(expected::k进度条);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Position)), 0);
    w->WriteProperty(bar, ControlProperty::Position, 150);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Position)), 150);
    EXPECT_EQ(SendMessageA(h, PBM_GETPOS, 0, 0), 100) << "a full bar";
    w->WriteProperty(bar, ControlProperty::Position, 40000);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Position)), 32767);
    w->WriteProperty(bar, ControlProperty::Position, -5);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Position)), 0);
    EXPECT_EQ(SendMessageA(h, PBM_GETPOS, 0, 0), 0);
    w->WriteProperty(bar, ControlProperty::Position, 61);
    EXPECT_EQ(SendMessageA(h, PBM_GETPOS, 0, 0), 61);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Minimum)), 0);
    EXPECT_EQ(host::AsInt(w->ReadProperty(bar, ControlProperty::Maximum)), 100);
}

TEST_F(ControlStateTest, PageSwitchClampsAndKeepsAHandlersHiddenMemberHidden) {
    const ControlRef pages = Ref(expected::kPages);
    EXPECT_EQ(host::AsInt(w->ReadProperty(pages, ControlProperty::CurrentPage)), 0);
    w->WriteProperty(pages, ControlProperty::CurrentPage, 7);
    EXPECT_EQ(host::AsInt(w->ReadProperty(pages, ControlProperty::CurrentPage)), 3);
    EXPECT_TRUE(StyleVisible(expected::k进度条));
    EXPECT_FALSE(StyleVisible(expected::k接受));
    w->WriteProperty(pages, ControlProperty::CurrentPage, -1);
    EXPECT_EQ(host::AsInt(w->ReadProperty(pages, ControlProperty::CurrentPage)), 0);
    EXPECT_TRUE(StyleVisible(expected::k接受));
    EXPECT_FALSE(StyleVisible(expected::k进度条));

    // Hidden by a handler on page 1: stays hidden across a switch to 2 and back.
    w->WriteProperty(pages, ControlProperty::CurrentPage, 1);
    EXPECT_TRUE(StyleVisible(expected::k创建快捷方式));
    w->WriteProperty(Ref(expected::k创建快捷方式), ControlProperty::Visible, false);
    w->WriteProperty(pages, ControlProperty::CurrentPage, 2);
    EXPECT_FALSE(StyleVisible(expected::k释放文本));
    EXPECT_TRUE(StyleVisible(0x16010045u));
    w->WriteProperty(pages, ControlProperty::CurrentPage, 1);
    EXPECT_FALSE(StyleVisible(expected::k创建快捷方式));
    EXPECT_TRUE(StyleVisible(expected::k释放文本));

    // Shown by a handler while its page is not current: appears with its page.
    w->WriteProperty(pages, ControlProperty::CurrentPage, 0);
    w->WriteProperty(Ref(expected::k创建快捷方式), ControlProperty::Visible, true);
    EXPECT_FALSE(StyleVisible(expected::k创建快捷方式));
    w->WriteProperty(pages, ControlProperty::CurrentPage, 1);
    EXPECT_TRUE(StyleVisible(expected::k创建快捷方式));

    // Writing the current page again changes nothing.
    w->WriteProperty(pages, ControlProperty::CurrentPage, 1);
    EXPECT_TRUE(StyleVisible(expected::k释放文本));
    EXPECT_EQ(host::AsInt(w->ReadProperty(pages, ControlProperty::CurrentPage)), 1);
}

TEST_F(ControlStateTest, VisibleReadsFollowTheContainers) {
    w->Show();
    Pump();
    // The banner's members carry the visible flag but their container is hidden.
    EXPECT_FALSE(host::AsBool(w->ReadProperty(Ref(expected::k主标题), ControlProperty::Visible)));
    w->WriteProperty(Ref(expected::kBanner), ControlProperty::Visible, true);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k主标题), ControlProperty::Visible)));
    // A finish check box shown on a hidden panel is not seen.
    w->WriteProperty(Ref(expected::k选择框_运行), ControlProperty::Visible, true);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k选择框_运行), ControlProperty::Visible)));
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Visible, false);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(Ref(expected::k选择框_运行), ControlProperty::Visible)));
    EXPECT_FALSE(host::AsBool(w->ReadProperty(Ref(expected::kPanel), ControlProperty::Visible)));
    // Members of a page that is not current read false.
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k接受), ControlProperty::Visible)));
    EXPECT_FALSE(host::AsBool(w->ReadProperty(Ref(expected::k进度条), ControlProperty::Visible)));
}

TEST_F(ControlStateTest, DisabledWriteAndRead) {
    const ControlRef next = Ref(expected::k下一步);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(next, ControlProperty::Disabled)));
    w->WriteProperty(next, ControlProperty::Disabled, true);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(next, ControlProperty::Disabled)));
    EXPECT_FALSE(IsWindowEnabled(H(expected::k下一步)));
    w->WriteProperty(next, ControlProperty::Disabled, false);
    EXPECT_TRUE(IsWindowEnabled(H(expected::k下一步)));
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k安装主程序), ControlProperty::Disabled)));
}

TEST_F(ControlStateTest, CaptionsReadTheLastTextWritten) {
    const ControlRef next = Ref(expected::k下一步);
    EXPECT_EQ(host::AsText(w->ReadProperty(next, ControlProperty::Caption)), "下一步(N) >");
    w->WriteProperty(next, ControlProperty::Caption, std::string("完成(I)"));
    EXPECT_EQ(host::AsText(w->ReadProperty(next, ControlProperty::Caption)), "完成(I)");
    EXPECT_EQ(TextOf(H(expected::k下一步)), "完成(I)");
    const ControlRef title = Ref(expected::k主标题);
    w->WriteProperty(title, ControlProperty::Caption, std::string("选择目标位置"));
    EXPECT_EQ(host::AsText(w->ReadProperty(title, ControlProperty::Caption)), "选择目标位置");
    EXPECT_EQ(TextOf(H(expected::k主标题)), "选择目标位置");
}

TEST_F(ControlStateTest, TextReadsWhatTheBoxHoldsNow) {
    const ControlRef path = Ref(expected::k路径);
    EXPECT_EQ(host::AsText(w->ReadProperty(path, ControlProperty::Text)), "");
    w->WriteProperty(path, ControlProperty::Text, std::string("C:\\Program Files\\Lumora"));
    EXPECT_EQ(host::AsText(w->ReadProperty(path, ControlProperty::Text)), "C:\\Program Files\\Lumora");
    // The user cannot type into it...
    HWND h = H(expected::k路径);
    SendMessageA(h, WM_CHAR, 'x', 0);
    EXPECT_EQ(host::AsText(w->ReadProperty(path, ControlProperty::Text)), "C:\\Program Files\\Lumora");
    // ...but whatever the box holds is what a read gives.
    SendMessageA(h, EM_SETREADONLY, FALSE, 0);
    SendMessageA(h, EM_SETSEL, 0, -1);
    for (char c : std::string("D:\\x")) SendMessageA(h, WM_CHAR, static_cast<WPARAM>(c), 0);
    EXPECT_EQ(host::AsText(w->ReadProperty(path, ControlProperty::Text)), "D:\\x");
    // A long text is read whole.
    const std::string longPath = "C:\\" + std::string(1000, 'a');
    w->WriteProperty(path, ControlProperty::Text, longPath);
    EXPECT_EQ(host::AsText(w->ReadProperty(path, ControlProperty::Text)), longPath);
}

TEST_F(ControlStateTest, RadioButtonsSelectOneAndRaiseEveryClick) {
    const ControlRef accept = Ref(expected::k接受), decline = Ref(expected::k不接受);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(accept, ControlProperty::Checked)));
    EXPECT_TRUE(host::AsBool(w->ReadProperty(decline, ControlProperty::Checked)));
    SendMessageA(H(expected::k接受), BM_CLICK, 0, 0);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(accept, ControlProperty::Checked)));
    EXPECT_FALSE(host::AsBool(w->ReadProperty(decline, ControlProperty::Checked)));
    SendMessageA(H(expected::k接受), BM_CLICK, 0, 0);  // already selected
    EXPECT_TRUE(host::AsBool(w->ReadProperty(accept, ControlProperty::Checked)));
    SendMessageA(H(expected::k不接受), BM_CLICK, 0, 0);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(accept, ControlProperty::Checked)));
    EXPECT_TRUE(host::AsBool(w->ReadProperty(decline, ControlProperty::Checked)));
    const std::vector<std::uint32_t> want{expected::k接受, expected::k接受, expected::k不接受};
    EXPECT_EQ(g_recorded.clicks, want);
}

TEST_F(ControlStateTest, CheckBoxesToggleAndOnlyBoundOnesRaise) {
    w->WriteProperty(Ref(expected::kPages), ControlProperty::CurrentPage, 1);
    const ControlRef texts = Ref(expected::k释放文本), shortcuts = Ref(expected::k创建快捷方式);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(texts, ControlProperty::Checked)));
    SendMessageA(H(expected::k释放文本), BM_CLICK, 0, 0);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(texts, ControlProperty::Checked))) << "toggled before the event";
    SendMessageA(H(expected::k创建快捷方式), BM_CLICK, 0, 0);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(shortcuts, ControlProperty::Checked)));
    SendMessageA(H(expected::k安装主程序), BM_CLICK, 0, 0);  // disabled: cannot be clicked
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k安装主程序), ControlProperty::Checked)));
    const std::vector<std::uint32_t> want{expected::k释放文本};
    EXPECT_EQ(g_recorded.clicks, want);
}

TEST_F(ControlStateTest, CreatedRaisedOnceWhileHidden) {
    w->RaiseCreated();
    w->RaiseCreated();
    EXPECT_EQ(g_recorded.created, 1);
    EXPECT_FALSE(g_recorded.visibleWhileCreated);
}

TEST_F(ControlStateTest, CloseQueryDecides) {
    HWND h = w->Handle();
    g_recorded.allowClose = false;
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_recorded.closeQueries, 1);
    EXPECT_TRUE(IsWindow(h));
    g_recorded.allowClose = true;
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
}

// A box with a text past an edit box's default limit (30,000 characters) and without line
// breaks, in a window of its own: the pieces take it whole all the same.
TEST(WindowOfOneBox, ALongTextWithoutLineBreaksGoesInWhole) {
    static const std::string text(40000, 'x');
    static const host::ControlDescription box[] = {
        {.name = "box", .id = 0x7001, .kind = host::ControlKind::EditBox, .parentId = 0x7000, .left = 0, .top = 0,
         .width = 200, .height = 100, .flags = host::kFlagVisible, .text = text.c_str(),
         .edit = host::EditStyle::MultiLineWrap},
    };
    const host::WindowDescription description{.windowId = 0x70, .controlId = 0x7000, .caption = "box", .width = 300,
                                              .height = 200, .background = host::kWhite, .controls = box};
    host::WizardWindow window(description);
    ASSERT_TRUE(window.Build(nullptr, false));
    window.Show();
    for (int i = 0; i < 200 && !IsWindowVisible(MadeControl(window.Handle(), 0x7001)); ++i) ASSERT_TRUE(DispatchOne());
    HWND made = MadeControl(window.Handle(), 0x7001);
    EXPECT_TRUE(IsWindowVisible(made));
    EXPECT_EQ(GetWindowTextLengthA(made), 40000);
}

TEST(WindowWithoutHandlers, CloseRequestClosesAndClicksDoNothing) {
    host::Win32Host hostServices;
    test::LiveWizard bare(hostServices, std::span<const EventBinding>{});
    ASSERT_TRUE(bare.Build());
    HWND h = bare.window.Handle();
    SendMessageA(bare.window.ControlHandle(expected::k接受), BM_CLICK, 0, 0);
    EXPECT_TRUE(host::AsBool(bare.window.ReadProperty(Ref(expected::k接受), ControlProperty::Checked)));
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
}

// Sends a key as the loop would receive it, through the program's message-loop step.

}  // namespace
