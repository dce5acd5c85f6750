// The built setup as a screen reader and a keyboard user find it, from another process, on each
// of the six steps: only what a person can see is told or reached by Tab.
#include <oleacc.h>
#include <psapi.h>

#include <set>

#include "tests/e2e/install_fixture.h"
#include "tests/e2e/screen_reading.h"

namespace {

using namespace e2e;

constexpr std::uint32_t k标签1 = 0x1601002bu, k标签3 = 0x16010029u, k标签4 = 0x16010028u, k标签5 = 0x16010040u,
                        k标签6 = 0x16010041u, k标签7 = 0x1601001eu, k标签10 = 0x16010046u,
                        k安装情况 = 0x16010048u;

// What a person sees at the middle of a control: the topmost shown window there, looked for
// from the wizard window down through its containers.
bool SeenAtItsMiddle(HWND window, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND at = window;
    for (;;) {
        POINT p = middle;
        ScreenToClient(at, &p);
        const HWND child = ChildWindowFromPointEx(at, p, CWP_SKIPINVISIBLE);
        if (!child || child == at) return at == control;
        at = child;
    }
}

// The window an object tells of (released), and the object an answer names.
HWND WindowTold(IAccessible* object) {
    HWND hwnd = nullptr;
    if (object) WindowFromAccessibleObject(object, &hwnd), object->Release();
    return hwnd;
}
IAccessible* ObjectIn(VARIANT v) {
    IAccessible* object = nullptr;
    if (v.vt == VT_DISPATCH && v.pdispVal) v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object));
    return VariantClear(&v), object;
}
// Walks the tree, the panes opened, collecting the windows told (no pictures); each object of ours
// names the one above as its parent and navigates on to the next child (Wine's stand-ins do not).
void Walk(IAccessible* object, std::multiset<HWND>& told) {
    auto related = [](IAccessible* from, long direction) {  // 0: the parent
        VARIANT to{}, self{};
        self.vt = VT_I4, to.vt = VT_DISPATCH;
        if (direction ? from->accNavigate(direction, self, &to) : from->get_accParent(&to.pdispVal)) VariantClear(&to);
        return WindowTold(ObjectIn(to));
    };
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    AccessibleChildren(object, 0, count, children.data(), &count);
    HWND next = related(object, NAVDIR_FIRSTCHILD), above = (object->AddRef(), WindowTold(object));
    bool asked = true;  // whether `next` is what navigation answered
    for (VARIANT& v : children) {
        IAccessible* child = ObjectIn(v);
        VARIANT role{}, self{};
        self.vt = VT_I4;
        child->get_accRole(self, &role);
        const bool ours = role.lVal == ROLE_SYSTEM_PANE || role.lVal == ROLE_SYSTEM_STATICTEXT || role.lVal == ROLE_SYSTEM_GRAPHIC;
        const HWND hwnd = (child->AddRef(), WindowTold(child));
        EXPECT_TRUE((!asked || hwnd == next) && (!ours || related(child, 0) == above)) << "navigation and parent";
        next = (asked = ours) ? related(child, NAVDIR_NEXT) : nullptr;
        if (role.lVal == ROLE_SYSTEM_PANE) Walk(child, told);
        else if (role.lVal != ROLE_SYSTEM_GRAPHIC) told.insert(hwnd);
        child->Release();
    }
    EXPECT_TRUE(!asked || !next) << "navigation past the last child";
}

bool IsContainerOrPicture(const Control& c) {
    const std::string name = c.name;
    return name.starts_with("外形框") || name.starts_with("图片框") || name.starts_with("选择夹");
}

bool HoldsLibrary(HANDLE process, const char* file) {
    HMODULE modules[256];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
        char path[MAX_PATH] = {};
        GetModuleFileNameExA(process, modules[i], path, sizeof path);
        if (std::string(CharLowerA(path)).ends_with(file)) return true;
    }
    return false;
}

struct NameChange {
    HWND label = nullptr;
    bool raised = false;
};
NameChange g_nameChange;

void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (event == EVENT_OBJECT_NAMECHANGE && hwnd == g_nameChange.label && object == OBJID_CLIENT &&
        child == CHILDID_SELF) {
        g_nameChange.raised = true;
    }
}

class ScreenReaderSteps : public SetupInstall {
protected:
    std::vector<std::wstring> Captions(const std::vector<std::uint32_t>& labels) const {
        std::vector<std::wstring> captions;
        for (std::uint32_t id : labels) captions.push_back(remote::WideText(C(id)));
        return captions;
    }
    // The name a control's own object tells, asked of its window as a screen reader does.
    std::wstring ToldName(std::uint32_t id) const { return remote::ReadAloud(C(id)).window.name; }

    // Told as a person sees the step: the window a dialog with its title; each control seen (the
    // labels and `others`) once, no other, by the reading, the tree, the controls' own objects
    // and hit testing (not while installing: the finish step comes too soon); the labels as
    // static text with exactly their captions, in reading order.
    void ExpectToldAsSeen(const std::vector<std::uint32_t>& labels, std::vector<std::uint32_t> others, bool everyWay = true) {
        const std::vector<std::wstring> before = Captions(labels);
        const remote::ScreenReading reading = remote::ReadAloud(window);
        const std::vector<std::wstring> after = Captions(labels);  // the installing step's file line moves on
        ASSERT_TRUE(reading.read);
        EXPECT_EQ(reading.window.role, ROLE_SYSTEM_DIALOG);
        EXPECT_EQ(reading.window.name, L"安装向导-Lumora");
        std::vector<std::wstring> texts;
        for (const remote::ToldObject& child : reading.children) {
            if (child.role == ROLE_SYSTEM_STATICTEXT) texts.push_back(child.name);
            EXPECT_FALSE(child.state & STATE_SYSTEM_INVISIBLE) << "a child told as out of sight";
        }
        // While installing, the file line moves on from file to file in the destination.
        const std::wstring destination = remote::WideText(C(k路径));
        ASSERT_EQ(texts.size(), labels.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_TRUE(texts[i] == before[i] || texts[i] == after[i] ||
                        (labels[i] == k详情 && texts[i].starts_with(destination)))
                << "text " << i << " of the step";
        }
        others.insert(others.end(), labels.begin(), labels.end());
        std::multiset<HWND> seen, walked;
        for (std::uint32_t id : others) seen.insert(C(id));
        IAccessible *top = nullptr, *hit = nullptr;
        const auto client = static_cast<DWORD>(OBJID_CLIENT);
        if (!everyWay || AccessibleObjectFromWindow(window, client, __uuidof(IAccessible), reinterpret_cast<void**>(&top))) return;
        Walk(top, walked);
        top->Release();
        EXPECT_EQ(walked, seen) << "the tree, each once";
        for (const Control& c : kControls) {
            const HWND h = C(c.id);
            RECT r{};
            VARIANT at{};
            if (IsContainerOrPicture(c) || !GetWindowRect(h, &r)) continue;
            EXPECT_EQ((remote::ReadAloud(h).window.state & STATE_SYSTEM_INVISIBLE) == 0, seen.count(h) == 1) << c.name;
            AccessibleObjectFromPoint({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, &hit, &at);
            EXPECT_EQ(WindowTold(hit) == h, seen.count(h) == 1) << c.name << " hit at its middle";
        }
    }

    // Tab, pressed again and again, only ever reaches what a person can see.
    void ExpectTabReachesOnlyWhatIsSeen() {
        for (int i = 0; i < 8; ++i) {
            const HWND before = remote::FocusOf(window);
            remote::PressKey(window, VK_TAB);
            Eventually([&] { return remote::FocusOf(window) != before; }, 1000);
            const HWND focus = remote::FocusOf(window);
            ASSERT_NE(focus, nullptr);
            EXPECT_TRUE(SeenAtItsMiddle(window, focus)) << "Tab " << i + 1 << " reached " << std::hex
                                                        << GetDlgCtrlID(focus) << ", which nobody sees";
        }
    }
};

TEST_F(ScreenReaderSteps, EveryStepToldAndReachedAsSeen) {
    StartSetup();
    ASSERT_NE(C(k下一步), nullptr);
    EXPECT_FALSE(HoldsLibrary(setup.handle, "\\oleacc.dll")) << "the accessibility library waits for a question";

    {
        SCOPED_TRACE("welcome");
        ExpectToldAsSeen({k标签1, k标签_版本, k标签3, k标签4}, {k下一步, k取消});
        EXPECT_TRUE(HoldsLibrary(setup.handle, "\\oleacc.dll"));
        ExpectTabReachesOnlyWhatIsSeen();
    }
    {
        SCOPED_TRACE("licence");
        ClickTo(k下一步, "许可协议");
        ExpectToldAsSeen({k主标题, k提示, k标签7}, {k许可协议, k接受, k不接受, k上一步, k下一步, k取消});
        EXPECT_EQ(ToldName(k许可协议), remote::WideText(C(k标签7))) << "the licence box, named by its label";
        ExpectTabReachesOnlyWhatIsSeen();
    }
    {
        SCOPED_TRACE("destination");
        remote::Click(C(k接受));
        ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(C(k下一步)) != FALSE; }));
        ClickTo(k下一步, "选择目标位置");
        ExpectToldAsSeen({k主标题, k提示, k标签5, k标签6, k所需空间},
                         {k路径, k目录浏览, k安装主程序, k创建快捷方式, k释放文本, k上一步, k下一步, k取消});
        EXPECT_EQ(ToldName(k路径), remote::WideText(C(k标签5))) << "the destination box, named by its label";
        ExpectTabReachesOnlyWhatIsSeen();
        // A caption that changes says so, as the system's static control does.
        g_nameChange = {C(k所需空间), false};
        const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnNameChange,
                                                   setup.id, 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(hook, nullptr);
        remote::Click(C(k释放文本));
        for (const DWORD start = GetTickCount(); !g_nameChange.raised && GetTickCount() - start < 5000;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        UnhookWinEvent(hook);
        EXPECT_TRUE(g_nameChange.raised) << "the space line's new caption raised the name-change event";
        EXPECT_EQ(ToldName(k所需空间), remote::WideText(C(k所需空间)));
    }
    {
        SCOPED_TRACE("ready");
        ClickTo(k下一步, "准备安装");
        ExpectToldAsSeen({k主标题, k提示, k标签10}, {k安装详情, k上一步, k下一步, k取消});
        ExpectTabReachesOnlyWhatIsSeen();
    }
    {
        SCOPED_TRACE("installing");
        ClickTo(k下一步, "正在安装");
        ExpectToldAsSeen({k主标题, k提示, k安装情况, k详情}, {k进度条}, false);
        EXPECT_EQ(ToldName(k进度条), remote::WideText(C(k安装情况))) << "the bar, named by its label";
        const remote::ToldObject focus = remote::ReadAloud(window).focus;
        EXPECT_EQ(focus.hwnd, C(k进度条)) << "the focus, on the bar";
        EXPECT_EQ(focus.name, remote::WideText(C(k安装情况)));
    }
    {
        SCOPED_TRACE("finish");
        ASSERT_TRUE(Eventually([&] { return TextOf(k下一步) == "完成(I)" && IsWindowVisible(C(k下一步)); }, 30000));
        ExpectToldAsSeen({k标签1, k标签8}, {k下一步, k选择框_运行, k查看更新内容, k查看解决方案, k访问官网});
        ExpectTabReachesOnlyWhatIsSeen();
    }
}

}  // namespace
