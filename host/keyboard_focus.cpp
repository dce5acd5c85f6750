// The keyboard: Tab moves the focus in the window's own order.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "host/message_loop.h"
#include "host/window_internals.h"

namespace host {
namespace {

WizardWindow* g_keyboardTarget = nullptr;  // the one window whose Tab we handle

bool PreTranslateThunk(MSG& msg) { return g_keyboardTarget && g_keyboardTarget->PreTranslate(msg); }

}  // namespace

void AttachKeyboard(WizardWindow* window) {
    g_keyboardTarget = window;
    SetPreTranslateHook(PreTranslateThunk);
}

void DetachKeyboard(WizardWindow* window) {
    if (g_keyboardTarget != window) return;
    g_keyboardTarget = nullptr;
    SetPreTranslateHook(nullptr);
}

HWND WizardWindow::NextTabStop(HWND focused, bool backwards) const {
    std::vector<const ControlState*> candidates;
    for (const ControlState& s : controls_) {
        if ((s.description->flags & kFlagTabStop) && CanTakeFocus(s.kind) && IsWindowVisible(s.hwnd) &&
            IsWindowEnabled(s.hwnd)) {
            candidates.push_back(&s);
        }
    }
    if (candidates.empty()) return nullptr;
    // Ascending tab-order number; among equal numbers the later row comes first.
    std::sort(candidates.begin(), candidates.end(), [](const ControlState* a, const ControlState* b) {
        if (a->description->tabOrder != b->description->tabOrder) {
            return a->description->tabOrder < b->description->tabOrder;
        }
        return a->descriptionIndex > b->descriptionIndex;
    });
    const auto n = static_cast<std::ptrdiff_t>(candidates.size());
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (candidates[static_cast<std::size_t>(i)]->hwnd == focused) {
            const std::ptrdiff_t next = backwards ? (i + n - 1) % n : (i + 1) % n;
            return candidates[static_cast<std::size_t>(next)]->hwnd;
        }
    }
    return candidates.front()->hwnd;
}

bool WizardWindow::PreTranslate(MSG& msg) {
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    if (msg.wParam != VK_TAB) return false;
    if (msg.message == WM_KEYDOWN) {
        HWND focus = GetFocus();
        // Without a focused control of the window, Tab does nothing.
        if (focus && IsChild(hwnd_, focus)) {
            const bool backwards = GetKeyState(VK_SHIFT) < 0;
            if (HWND next = NextTabStop(focus, backwards)) {
                SetFocus(next);
                // An edit box selects its whole text when reached by Tab, as in dialogs.
                if (const ControlState* s = FindByHandle(next); s && s->kind == ControlKind::EditBox) {
                    SendMessageA(next, EM_SETSEL, 0, -1);
                }
            }
        }
    }
    return true;  // the Tab key never reaches a control
}

}  // namespace host
