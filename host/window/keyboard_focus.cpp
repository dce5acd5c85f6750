// The keyboard: Tab moves the focus in the window's own order, among the controls a person can see.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "host/window/message_loop.h"
#include "host/window/window_internals.h"

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

std::vector<const ControlState*> WizardWindow::FocusCandidates() const {
    std::vector<const ControlState*> candidates;
    for (const ControlState& s : controls_) {
        if ((s.description->flags & kFlagTabStop) && CanTakeFocus(s.kind) && IsWindowVisible(s.hwnd) &&
            IsWindowEnabled(s.hwnd)) {
            candidates.push_back(&s);
        }
    }
    // Ascending tab-order number; among equal numbers the later row comes first.
    std::sort(candidates.begin(), candidates.end(), [](const ControlState* a, const ControlState* b) {
        if (a->description->tabOrder != b->description->tabOrder) {
            return a->description->tabOrder < b->description->tabOrder;
        }
        return a->descriptionIndex > b->descriptionIndex;
    });
    return candidates;
}

HWND WizardWindow::NextTabStop(HWND focused, bool backwards) const {
    const std::vector<const ControlState*> candidates = FocusCandidates();
    if (candidates.empty()) return nullptr;
    const auto n = static_cast<std::ptrdiff_t>(candidates.size());
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (candidates[static_cast<std::size_t>(i)]->hwnd == focused) {
            const std::ptrdiff_t next = backwards ? (i + n - 1) % n : (i + 1) % n;
            return candidates[static_cast<std::size_t>(next)]->hwnd;
        }
    }
    return candidates.front()->hwnd;
}

void WizardWindow::FocusControl(HWND control) {
    SetFocus(control);
    // An edit box selects its whole text when reached by the keyboard, as in dialogs.
    if (const ControlState* s = FindByHandle(control); s && s->kind == ControlKind::EditBox) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

HWND WizardWindow::FirstFocusTarget(const std::vector<const ControlState*>& candidates) const {
    if (candidates.empty()) return nullptr;
    HWND target = candidates.front()->hwnd;
    for (const ControlState* s : candidates) {
        if (s->id == description_.firstFocus) target = s->hwnd;
    }
    return target;
}

void WizardWindow::EnsureFocus() {
    if (!hwnd_) return;
    if (GetActiveWindow() != hwnd_) {
        // Not in front (the system may refuse a program the foreground): the control that is to
        // have the focus takes it the moment the user comes to the window (RestoreFocus).
        if (!FindByHandle(lastFocus_)) lastFocus_ = FirstFocusTarget(FocusCandidates());
        return;
    }
    // A hidden control gives its focus to its parent, which may be a container of ours.
    const HWND focus = GetFocus();
    const ControlState* focused = FindByHandle(focus);
    if (focused && CanTakeFocus(focused->kind) && IsWindowVisible(focus) && IsWindowEnabled(focus)) {
        return;
    }
    const std::vector<const ControlState*> candidates = FocusCandidates();
    if (!candidates.empty()) {
        FocusControl(FirstFocusTarget(candidates));
        return;
    }
    // Nothing to tab to. Left on a container by a hidden control (or nowhere of ours), the focus
    // goes where a screen reader has something to tell: a progress bar in sight (named by its
    // label), else the window itself.
    if (focused && !IsContainer(focused->kind)) return;
    const auto bar = std::find_if(controls_.begin(), controls_.end(), [](const ControlState& s) {
        return s.kind == ControlKind::ProcessBar && IsWindowVisible(s.hwnd);
    });
    if (bar != controls_.end()) SetFocus(bar->hwnd);
    else if (focused) SetFocus(hwnd_);
}

// As in dialogs: an arrow key on a radio button selects the next one of its group (its
// siblings, in description order) and clicks it.
bool WizardWindow::MoveAmongRadioButtons(HWND focused, bool backwards) {
    const ControlState* current = FindByHandle(focused);
    if (!current || current->kind != ControlKind::RadioBox) return false;
    std::vector<const ControlState*> group;
    for (const ControlState& s : controls_) {
        if (s.kind == ControlKind::RadioBox && s.parentIndex == current->parentIndex && IsWindowVisible(s.hwnd) &&
            IsWindowEnabled(s.hwnd)) {
            group.push_back(&s);
        }
    }
    const auto at = std::find(group.begin(), group.end(), current);
    if (at == group.end() || group.size() < 2) return true;
    const std::size_t n = group.size(), i = static_cast<std::size_t>(at - group.begin());
    const HWND next = group[backwards ? (i + n - 1) % n : (i + 1) % n]->hwnd;
    SetFocus(next);
    SendMessageW(next, BM_CLICK, 0, 0);
    return true;
}

bool WizardWindow::PreTranslate(MSG& msg) {
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN) {
        switch (msg.wParam) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            return MoveAmongRadioButtons(GetFocus(), msg.wParam == VK_LEFT || msg.wParam == VK_UP);
        default:
            break;
        }
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    if (msg.wParam != VK_TAB) return false;
    if (msg.message == WM_KEYDOWN) {
        HWND focus = GetFocus();
        // Without a focused control of the window, Tab does nothing.
        if (focus && IsChild(hwnd_, focus)) {
            CompleteControls();  // the order takes in every control, made yet or not
            if (HWND next = NextTabStop(focus, GetKeyState(VK_SHIFT) < 0)) FocusControl(next);
        }
    }
    return true;  // the Tab key never reaches a control
}

}  // namespace host
