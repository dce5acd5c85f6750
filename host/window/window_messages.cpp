// The window procedures: clicks, colours, closing, the session's end, and the messages of
// the controls the window draws itself.
#include <windows.h>

#include <algorithm>
#include <string>

#include "host/system/barrier.h"
#include "host/system/system_text.h"
#include "host/window/window_internals.h"

namespace host {

void WizardWindow::OnButtonClicked(HWND child) {
    CompleteControls();  // the handlers and the radio group find every control made
    ControlState* s = FindByHandle(child);
    if (!s) return;
    if (!IsWindowEnabled(child)) {
        // Only a message sent by another program can click a disabled box: undo the
        // toggle, so that it keeps its state whatever is clicked.
        if (s->kind == ControlKind::CheckBox) {
            const bool on = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            SendMessageW(child, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
        }
        return;
    }
    if (s->kind == ControlKind::RadioBox) {
        // Select it and clear its sibling radio buttons; the event follows either way.
        for (ControlState& other : controls_) {
            if (other.kind == ControlKind::RadioBox && other.parentIndex == s->parentIndex) {
                SendMessageW(other.hwnd, BM_SETCHECK, &other == s ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }
    if (events_) events_->Clicked(s->id);
    // The handler may have hidden or disabled the focused control, or shown another step.
    EnsureFocus();
}

void WizardWindow::RestoreFocus() {
    if (FindByHandle(lastFocus_)) SetFocus(lastFocus_);
    lastFocus_ = nullptr;
    EnsureFocus();  // when that one cannot take it now
}

bool WizardWindow::OnCommonMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        // LOWORD(wParam) holds only 16 bits of the id; the control itself is in lParam.
        if (lParam && HIWORD(wParam) == BN_CLICKED) {
            OnButtonClicked(reinterpret_cast<HWND>(lParam));
            result = 0;
            return true;
        }
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
        ControlState* child = FindByHandle(reinterpret_cast<HWND>(lParam));
        if (!child) return false;
        const std::uint32_t colour = child->description->background;
        HDC dc = reinterpret_cast<HDC>(wParam);
        // As a label's (Paint): readable on whatever the system makes the surface.
        SetTextColor(dc, TextColour(colour));
        SetBkColor(dc, BackgroundColour(colour));
        result = reinterpret_cast<LRESULT>(BackgroundBrush(colour));
        return true;
    }
    default:
        return false;
    }
}

LRESULT WizardWindow::OnWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnCommonMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_CLOSE:
        if (!events_ || events_->CloseQuery()) DestroyWindow(hwnd);
        return 0;
    case WM_QUERYENDSESSION: {
        // Log-off and shut-down are not a close request: no question holds them up, only
        // work that must not be cut off, with its reason shown by the system.
        const Text reason = events_ ? events_->SessionEndQuery() : Text();
        if (reason.empty()) {
            ShutdownBlockReasonDestroy(hwnd);
            return TRUE;
        }
        ShutdownBlockReasonCreate(hwnd, WideFromText(reason).c_str());
        return FALSE;
    }
    case WM_ACTIVATE:
        // Remember the control that had the focus when the window was left (minimised, or
        // another program came to the front), and give it back when the window comes back.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
            break;
        }
        if (HIWORD(wParam)) break;  // still minimised: the system keeps the focus on the frame
        RestoreFocus();
        return 0;
    case WM_SETFOCUS:
        // The system gives the focus to the window itself, as after a restore: its control.
        RestoreFocus();
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // a high-contrast theme turned on or off
        FollowSystemColours(msg == WM_SYSCOLORCHANGE);
        return 0;
    case WM_GETOBJECT:
        if (const LRESULT object = OnGetObject(hwnd, wParam, lParam)) return object;
        break;
    case WM_DESTROY:
        if (quitOnDestroy_) PostQuitMessage(0);
        break;
    case kNextPortion:
        CreateNextPortion();
        return 0;
    case kCommonControlsIn:
        CommonControlsIn();
        return 0;
    case kOwnFirstScreen:
        // Made in one message and painted in one go by the next, while the common controls load.
        if (wParam == 0) {
            CreateControls(Making::OwnFirstScreen);
            if (PostMessageW(hwnd, kOwnFirstScreen, 1, 0)) return 0;
        }
        PaintWaiting();
        return 0;
    case WM_TIMER:
        if (wParam != kPortionTimer) break;
        KillTimer(hwnd, kPortionTimer);
        CreateNextPortion();
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        window_.hwnd = nullptr;
        for (ControlState& s : controls_) s.hwnd = nullptr;
        textsInPieces_.clear();
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// No exception may leave a window procedure.
LRESULT CALLBACK WizardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Barrier<LRESULT>(0, [&] {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<WizardWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) return self->OnWindowMessage(hwnd, msg, wParam, lParam);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    });
}

LRESULT CALLBACK PaintedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Barrier<LRESULT>(0, [&] {
        HWND top = GetAncestor(hwnd, GA_ROOT);
        auto* self = top ? reinterpret_cast<WizardWindow*>(GetWindowLongPtrW(top, GWLP_USERDATA)) : nullptr;
        // Looked up among the rows: kept with the window, it cost a call to Wine's server for each.
        ControlState* state = self ? self->FindByHandle(hwnd) : nullptr;
        if (state && self && msg == WM_GETOBJECT) {
            if (const LRESULT object = self->OnGetObject(hwnd, wParam, lParam)) return object;
        }
        if (state && self) return self->OnControlMessage(*state, msg, wParam, lParam);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    });
}

}  // namespace host
