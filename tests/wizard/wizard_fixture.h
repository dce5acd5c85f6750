#pragma once
// The real wizard window with the program's own handlers, worked in-process by clicks, with a
// scripted host answering its questions.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/window/message_loop.h"
#include "tests/common/expected_controls.h"
#include "tests/common/live_wizard.h"
#include "tests/wizard/scripted_host.h"

namespace test {

inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) host::DispatchMessageStep(msg);
}

class WizardFixture : public ::testing::Test {
protected:
    // Builds the window with the program's bindings; `created` raises the created event and
    // shows the window, as start-up does.
    void Start(std::span<const payload::CatalogEntry> catalog = payload::kCatalog, bool created = true) {
        live.reset();
        live = std::make_unique<LiveWizard>(scripted, wizard::EventBindings(), catalog);
        ASSERT_TRUE(live->Build());
        if (created) {
            live->window.RaiseCreated();
            live->window.Show();
            Pump();
        }
    }
    void TearDown() override { live.reset(); }

    HWND H(std::uint32_t id) const { return live->window.ControlHandle(id); }
    wizard::Controls& Controls() { return live->context.controls; }
    wizard::WizardContext& Context() { return live->context; }

    // A click as the user makes it: the control's own click, then the events it raises.
    void Click(std::uint32_t id) {
        SendMessageA(H(id), BM_CLICK, 0, 0);
        Pump();
    }
    bool Seen(std::uint32_t id) const { return IsWindowVisible(H(id)) != FALSE; }
    bool Enabled(std::uint32_t id) const { return IsWindowEnabled(H(id)) != FALSE; }
    bool Ticked(std::uint32_t id) const { return SendMessageA(H(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string TextOf(std::uint32_t id) const {
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(H(id))) + 1, '\0');
        text.resize(static_cast<std::size_t>(GetWindowTextA(H(id), text.data(), static_cast<int>(text.size()))));
        return text;
    }
    int Page() { return Controls().ReadInt(expected::kPages, host::ControlProperty::CurrentPage); }

    ScriptedHost scripted;
    std::unique_ptr<LiveWizard> live;
};

}  // namespace test
