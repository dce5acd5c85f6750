#pragma once
// The live window's tests share this: the window built from the description on real (hidden)
// windows with bindings that record what it raises, and small readers. Each test file
// derives a fixture of its own from WindowTest.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/system/late_library.h"
#include "host/window/message_loop.h"
#include "host/system/win32_host.h"
#include "tests/common/expected_controls.h"
#include "wizard/licence.h"
#include "wizard/lumora_window.h"
#include "tests/common/live_wizard.h"

namespace window_test {

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
inline Recorded g_recorded;

template <std::uint32_t Id>
inline void RecordClick(WizardContext&) {
    g_recorded.clicks.push_back(Id);
}
inline void RecordCreated(WizardContext&) {
    ++g_recorded.created;
    g_recorded.visibleWhileCreated = IsWindowVisible(FindWindowA(nullptr, "安装向导-Lumora")) != FALSE;
}
inline bool RecordCloseQuery(WizardContext&) {
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

inline ControlRef Ref(std::uint32_t id) { return {expected::kWindowId, id}; }

inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) host::DispatchMessageStep(msg);
}

inline RECT RectInParent(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline std::string TextOf(HWND h) {
    char buffer[512] = {};
    GetWindowTextA(h, buffer, sizeof buffer);
    return buffer;
}

class WindowTest : public ::testing::Test {
protected:
    // Its windows are made as in a process that has the common controls already; the case
    // that shows the first window of a process builds its own (WindowStartTest).
    void SetUp() override {
        host::LoadCommonControls();
        BuildWindow();
    }
    void BuildWindow() {
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

// Dispatches one message of this thread, waiting up to a second for it; false when none came.
inline bool DispatchOne() {
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
inline BOOL CALLBACK MatchId(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    if (static_cast<std::uint32_t>(GetDlgCtrlID(child)) != s->id) return TRUE;
    s->found = child;
    return FALSE;
}
inline HWND MadeControl(HWND window, std::uint32_t id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}


inline BOOL CALLBACK CollectId(HWND child, LPARAM ids) {
    reinterpret_cast<std::set<std::uint32_t>*>(ids)->insert(static_cast<std::uint32_t>(GetDlgCtrlID(child)));
    return TRUE;
}
inline std::set<std::uint32_t> ControlsMade(HWND window) {
    std::set<std::uint32_t> ids;
    EnumChildWindows(window, CollectId, reinterpret_cast<LPARAM>(&ids));
    return ids;
}

}  // namespace window_test
