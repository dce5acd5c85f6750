// The live window: built from the description on real (hidden) windows, and the control-
// state model that the handlers use.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/message_loop.h"
#include "host/win32_host.h"
#include "tests/common/expected_controls.h"
#include "wizard/licence.h"
#include "wizard/lumora_window.h"
#include "tests/common/live_wizard.h"

namespace {

using host::ControlProperty;
using host::ControlRef;
using wizard::Event;
using wizard::EventBinding;
using wizard::WizardContext;

struct Recorded {
    std::vector<std::uint32_t> clicks;
    int created = 0;
    bool visibleWhileCreated = true;
    int closeQueries = 0;
    bool allowClose = false;
};
Recorded g_recorded;

template <std::uint32_t Id>
void RecordClick(WizardContext&) {
    g_recorded.clicks.push_back(Id);
}
void RecordCreated(WizardContext&) {
    ++g_recorded.created;
    g_recorded.visibleWhileCreated = IsWindowVisible(FindWindowA(nullptr, "安装向导-Lumora")) != FALSE;
}
bool RecordCloseQuery(WizardContext&) {
    ++g_recorded.closeQueries;
    return g_recorded.allowClose;
}

constexpr EventBinding kTestBindings[] = {
    {expected::kWindow, Event::Created, RecordCreated, nullptr},
    {expected::kWindow, Event::CloseQuery, nullptr, RecordCloseQuery},
    {expected::k接受, Event::Clicked, RecordClick<expected::k接受>, nullptr},
    {expected::k不接受, Event::Clicked, RecordClick<expected::k不接受>, nullptr},
    {expected::k释放文本, Event::Clicked, RecordClick<expected::k释放文本>, nullptr},
    {expected::k下一步, Event::Clicked, RecordClick<expected::k下一步>, nullptr},
};

ControlRef Ref(std::uint32_t id) { return {expected::kWindowId, id}; }

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) host::DispatchMessageStep(msg);
}

RECT RectInParent(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string TextOf(HWND h) {
    char buffer[512] = {};
    GetWindowTextA(h, buffer, sizeof buffer);
    return buffer;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_recorded = Recorded{};
        setup = std::make_unique<test::LiveWizard>(hostServices, kTestBindings);
        ASSERT_TRUE(setup->Build());
        w = &setup->window;
    }
    void TearDown() override { setup.reset(); }

    HWND H(std::uint32_t id) const { return w->ControlHandle(id); }
    bool StyleVisible(std::uint32_t id) const {
        return (GetWindowLongA(H(id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    // Puts the window on the licence step by control state alone.
    void ShowLicenceStep() {
        w->WriteProperty(Ref(expected::kPanel), ControlProperty::Visible, false);
        w->WriteProperty(Ref(expected::kBanner), ControlProperty::Visible, true);
        w->WriteProperty(Ref(expected::k上一步), ControlProperty::Visible, true);
        w->Show();
        Pump();
    }

    host::Win32Host hostServices;
    std::unique_ptr<test::LiveWizard> setup;
    host::WizardWindow* w = nullptr;
};

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
        // Page members of other pages than the first are hidden at start.
        const bool shown = (c.flags & expected::V) && (c.page < 0 || c.page == 0);
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

BOOL CALLBACK CollectId(HWND child, LPARAM ids) {
    reinterpret_cast<std::set<std::uint32_t>*>(ids)->insert(static_cast<std::uint32_t>(GetDlgCtrlID(child)));
    return TRUE;
}
std::set<std::uint32_t> ControlsMade(HWND window) {
    std::set<std::uint32_t> ids;
    EnumChildWindows(window, CollectId, reinterpret_cast<LPARAM>(&ids));
    return ids;
}

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
    // Made on page 1: its members shown, page 0's hidden.
    EXPECT_TRUE(StyleVisible(expected::k路径));
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

// Dispatches one message of this thread, waiting up to a second for it; false when none came.
bool DispatchOne() {
    MSG msg;
    for (const DWORD start = GetTickCount(); !PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (GetTickCount() - start > 1000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    host::DispatchMessageStep(msg);
    return true;
}

// A control's window if it is made, found without asking the window (which would make it).
struct ChildSearch {
    std::uint32_t id;
    HWND found;
};
BOOL CALLBACK MatchId(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    if (static_cast<std::uint32_t>(GetDlgCtrlID(child)) != s->id) return TRUE;
    s->found = child;
    return FALSE;
}
HWND MadeControl(HWND window, std::uint32_t id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(WindowTest, AfterShowingEachMessagePaintsOrMakesAFewControlsUntilAllAreMade) {
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);
    w->Show();
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

TEST_F(WindowTest, KindsAreRealControlsWithTheirStyles) {
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

TEST_F(WindowTest, WindowIsCentredAtItsOuterSize) {
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

TEST_F(WindowTest, CoordinatesAndSizesClampAt32627) {
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

TEST_F(WindowTest, ProgressPositionStoresUpTo32767AndShowsWithinItsRange) {
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

TEST_F(WindowTest, PageSwitchClampsAndKeepsAHandlersHiddenMemberHidden) {
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

TEST_F(WindowTest, VisibleReadsFollowTheContainers) {
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

TEST_F(WindowTest, DisabledWriteAndRead) {
    const ControlRef next = Ref(expected::k下一步);
    EXPECT_FALSE(host::AsBool(w->ReadProperty(next, ControlProperty::Disabled)));
    w->WriteProperty(next, ControlProperty::Disabled, true);
    EXPECT_TRUE(host::AsBool(w->ReadProperty(next, ControlProperty::Disabled)));
    EXPECT_FALSE(IsWindowEnabled(H(expected::k下一步)));
    w->WriteProperty(next, ControlProperty::Disabled, false);
    EXPECT_TRUE(IsWindowEnabled(H(expected::k下一步)));
    EXPECT_TRUE(host::AsBool(w->ReadProperty(Ref(expected::k安装主程序), ControlProperty::Disabled)));
}

TEST_F(WindowTest, CaptionsReadTheLastTextWritten) {
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

TEST_F(WindowTest, TextReadsWhatTheBoxHoldsNow) {
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

TEST_F(WindowTest, RadioButtonsSelectOneAndRaiseEveryClick) {
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

TEST_F(WindowTest, CheckBoxesToggleAndOnlyBoundOnesRaise) {
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

TEST_F(WindowTest, CreatedRaisedOnceWhileHidden) {
    w->RaiseCreated();
    w->RaiseCreated();
    EXPECT_EQ(g_recorded.created, 1);
    EXPECT_FALSE(g_recorded.visibleWhileCreated);
}

TEST_F(WindowTest, CloseQueryDecides) {
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
void PressKey(HWND target, WPARAM key) {
    MSG msg{target, WM_KEYDOWN, key, 0, 0, {0, 0}};
    host::DispatchMessageStep(msg);
    MSG up{target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000000u), 0, {0, 0}};
    host::DispatchMessageStep(up);
    Pump();
}

TEST_F(WindowTest, TabOrderOnTheLicenceStep) {
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

TEST_F(WindowTest, TabWhileTheRestIsMadeTakesInEveryControl) {
    w->WriteProperty(Ref(expected::kPanel), ControlProperty::Left, 0);  // the welcome step
    w->Show();
    HWND next = MadeControl(w->Handle(), expected::k下一步);
    ASSERT_NE(next, nullptr);
    SetFocus(next);
    ASSERT_LT(ControlsMade(w->Handle()).size(), std::size(expected::kControls));
    // Next is the last in tab order; Tab goes round to the first, the licence page's accept
    // button, which lies behind the panel and counts.
    PressKey(next, VK_TAB);
    EXPECT_EQ(GetFocus(), H(expected::k接受));
}

TEST_F(WindowTest, TabSkipsDisabledHiddenAndNonTabStops) {
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

TEST_F(WindowTest, EnterAndEscapeDoNothing) {
    ShowLicenceStep();
    SetFocus(H(expected::k下一步));
    PressKey(GetFocus(), VK_RETURN);
    PressKey(GetFocus(), VK_ESCAPE);
    EXPECT_TRUE(g_recorded.clicks.empty());
    EXPECT_EQ(g_recorded.closeQueries, 0);
    EXPECT_TRUE(IsWindowVisible(w->Handle()));
}

}  // namespace
