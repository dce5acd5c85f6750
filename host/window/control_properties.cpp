// ReadProperty and WriteProperty: every write updates the stored state first, then brings
// the live window in line; reads follow the rules of each property.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "host/system/system_text.h"
#include "host/window/wizard_window.h"
#include "host/window/window_geometry.h"
#include "host/window/window_internals.h"

namespace host {

PropertyValue WizardWindow::ReadProperty(ControlRef ref, ControlProperty property) {
    // Once the window is shown, what a handler sees is the whole window.
    if (shown_) CompleteControls();
    ControlState* s = Find(ref);
    if (!s) return std::int32_t{0};
    HWND h = s->hwnd;
    switch (property) {
    case ControlProperty::Left:
    case ControlProperty::Top: {
        if (!h) return std::int32_t{property == ControlProperty::Left ? s->left : s->top};
        const RECT r = RectInParent(h);
        return std::int32_t{scale_.FromScreen(property == ControlProperty::Left ? r.left : r.top)};
    }
    case ControlProperty::Width:
    case ControlProperty::Height: {
        if (!h) return std::int32_t{property == ControlProperty::Width ? s->width : s->height};
        RECT r{};
        GetWindowRect(h, &r);
        return std::int32_t{scale_.FromScreen(property == ControlProperty::Width ? r.right - r.left : r.bottom - r.top)};
    }
    case ControlProperty::Visible:
        // As the model has it: a control covered by another one reads as the windows it is
        // in would say, although its own window is hidden meanwhile (ShowWhatIsSeen).
        return h ? IsShown(*s, false) : false;
    case ControlProperty::Disabled:
        return h ? IsWindowEnabled(h) == FALSE : (s->flags & kFlagDisabled) != 0;
    case ControlProperty::Caption:
        return s->caption;
    case ControlProperty::Text: {
        // What the box holds now, typed text included.
        if (h) {
            const int length = GetWindowTextLengthW(h);
            std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
            const int got = GetWindowTextW(h, text.data(), length + 1);
            text.resize(static_cast<std::size_t>(std::max(got, 0)));
            s->caption = TextFromWide(text);
        }
        return s->caption;
    }
    case ControlProperty::Checked:
        if (h) s->checked = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return s->checked;
    case ControlProperty::CurrentPage:
        return std::int32_t{s->currentPage};
    case ControlProperty::Position:
        return std::int32_t{s->position};
    case ControlProperty::Minimum:
        return std::int32_t{s->minimum};
    case ControlProperty::Maximum:
        return std::int32_t{s->maximum};
    }
    return std::int32_t{0};
}

void WizardWindow::WriteProperty(ControlRef ref, ControlProperty property, const PropertyValue& value) {
    if (shown_) CompleteControls();
    ControlState* s = Find(ref);
    if (!s) return;
    HWND h = s->hwnd;
    switch (property) {
    case ControlProperty::Left:
    case ControlProperty::Top: {
        const int v = Clamp(AsInt(value), -kMaxCoordinate, kMaxCoordinate);
        (property == ControlProperty::Left ? s->left : s->top) = v;
        if (!h) break;
        RECT r = RectInParent(h);
        const int left = property == ControlProperty::Left ? scale_.ToScreen(v) : static_cast<int>(r.left);
        const int top = property == ControlProperty::Top ? scale_.ToScreen(v) : static_cast<int>(r.top);
        MoveWindow(h, left, top, r.right - r.left, r.bottom - r.top, TRUE);
        ShowWhatIsSeen();
        break;
    }
    case ControlProperty::Width:
    case ControlProperty::Height: {
        const int v = Clamp(AsInt(value), 0, kMaxCoordinate);
        (property == ControlProperty::Width ? s->width : s->height) = v;
        if (!h) break;
        RECT r{};
        GetWindowRect(h, &r);
        const int now = property == ControlProperty::Width ? r.right - r.left : r.bottom - r.top;
        if (now == scale_.ToScreen(v)) break;  // the size it has: nothing to ask of the system
        const int width = property == ControlProperty::Width ? scale_.ToScreen(v) : static_cast<int>(r.right - r.left);
        const int height = property == ControlProperty::Height ? scale_.ToScreen(v) : static_cast<int>(r.bottom - r.top);
        SetWindowPos(h, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWhatIsSeen();
        break;
    }
    case ControlProperty::Visible:
        // A member of a page that is not current appears with its page; a control that
        // another one covers, once it is uncovered.
        if (AsBool(value)) {
            s->flags |= kFlagVisible;
        } else {
            s->flags &= ~kFlagVisible;
            // The system hands a hidden control's focus to its parent, a pane without a name.
            const bool hadFocus = h && (GetFocus() == h || IsChild(h, GetFocus()));
            if (h) ShowWindow(h, SW_HIDE);
            if (hadFocus) EnsureFocus();
        }
        if (h) ShowWhatIsSeen();
        break;
    case ControlProperty::Disabled: {
        const bool disabled = AsBool(value);
        if (disabled) s->flags |= kFlagDisabled;
        else s->flags &= ~kFlagDisabled;
        if (h) EnableWindow(h, disabled ? FALSE : TRUE);
        break;
    }
    case ControlProperty::Caption:
    case ControlProperty::Text:
        s->caption = AsText(value);
        if (h) {
            SetWindowTextW(h, WideFromText(s->caption).c_str());
            if (s->kind == ControlKind::Label) {
                InvalidateRect(h, nullptr, TRUE);
                // A label's caption is its accessible name: say that it changed, as the
                // system's static control does.
                NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, h, OBJID_CLIENT, CHILDID_SELF);
                LabelCaptionChanged();
            }
        }
        break;
    case ControlProperty::Checked:
        s->checked = AsBool(value);
        if (h) SendMessageW(h, BM_SETCHECK, s->checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlProperty::CurrentPage:
        if (s->kind == ControlKind::Tab) ShowPage(*s, AsInt(value));
        break;
    case ControlProperty::Position:
        s->position = Clamp(AsInt(value), 0, kMaxPosition);
        // Told with the bar's next message rather than here (the bar draws itself as it is
        // told): the install moves the bar between waits, where telling and drawing would add
        // to every step instead of filling the wait. Whatever asks the bar anything gets the
        // position written (NamedControlProc).
        if (h) {
            s->positionDue = true;
            if (!PostMessageW(h, kTellPosition, 0, 0)) TellPosition(*s);
        }
        break;
    case ControlProperty::Minimum:
    case ControlProperty::Maximum:
        (property == ControlProperty::Minimum ? s->minimum : s->maximum) = AsInt(value);
        if (h && s->kind == ControlKind::ProcessBar) {
            SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(s->minimum), s->maximum);
            TellPosition(*s);
        }
        break;
    }
}

void WizardWindow::TellPosition(ControlState& s) {
    s.positionDue = false;
    if (s.hwnd) {
        SendMessageW(s.hwnd, PBM_SETPOS,
                     static_cast<WPARAM>(Clamp(s.position, s.minimum, std::max(s.minimum, s.maximum))), 0);
    }
}

}  // namespace host
