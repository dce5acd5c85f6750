// Making the controls' windows: which come before the window is shown, in what order, with
// what style; and showing a page of the page control.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "host/system/system_text.h"
#include "host/window/window_geometry.h"
#include "host/window/window_internals.h"

namespace host {
namespace {

bool Contains(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

bool WizardWindow::CreateControl(std::size_t index) {
    ControlState& s = controls_[index];
    const ControlDescription& d = *s.description;
    const wchar_t* className = kPaintedClass;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (d.kind) {
    case ControlKind::EditBox:
        className = L"EDIT";
        if (d.edit == EditStyle::SingleLine) style |= ES_AUTOHSCROLL;
        if (d.edit == EditStyle::MultiLineWrap) style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
        if (d.edit == EditStyle::MultiLineScroll) {
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL;
        }
        if (d.readOnly) style |= ES_READONLY;
        break;
    case ControlKind::Button:
        className = L"BUTTON";
        style |= BS_PUSHBUTTON;
        break;
    case ControlKind::CheckBox:
        className = L"BUTTON";
        style |= BS_AUTOCHECKBOX | BS_MULTILINE | BS_VCENTER | BS_LEFT;
        break;
    case ControlKind::RadioBox:
        // Selection within the group is done on the click (OnButtonClicked), so that it
        // does not depend on the dialog manager's idea of groups.
        className = L"BUTTON";
        style |= BS_RADIOBUTTON | BS_MULTILINE | BS_VCENTER | BS_LEFT;
        break;
    case ControlKind::ProcessBar:
        className = PROGRESS_CLASSW;
        if (d.smooth) style |= PBS_SMOOTH;
        break;
    default:
        if (IsContainer(d.kind)) style |= WS_CLIPCHILDREN;
        break;
    }
    if (d.border == kBorderStaticEdge) exStyle |= WS_EX_STATICEDGE;
    if (d.flags & kFlagTabStop) style |= WS_TABSTOP;
    if (s.flags & kFlagDisabled) style |= WS_DISABLED;
    if (IsShown(s, true)) style |= WS_VISIBLE;

    const bool textless = IsSelfDrawn(d.kind) || d.kind == ControlKind::ProcessBar;
    std::wstring text = textless && d.kind != ControlKind::Label ? std::wstring() : WideFromText(s.caption);
    // A long text goes into its box in pieces while the box is hidden (see TextInPieces).
    const bool inPieces = d.kind == ControlKind::EditBox && text.size() > kTextPiece;
    if (inPieces) style &= ~WS_VISIBLE;
    // Made shown into a parent already on the screen, a window has itself and what it covers
    // drawn there and then, at several times the cost of making it (under Wine): it is made
    // hidden, shown without drawing, and drawn once its pass has made the others (CreateControls).
    const bool quiet = (style & WS_VISIBLE) && IsWindowVisible(ParentHandle(s));
    if (quiet) style &= ~WS_VISIBLE;
    s.hwnd = CreateWindowExW(exStyle, className, inPieces ? L"" : text.c_str(), style, scale_.ToScreen(s.left),
                             scale_.ToScreen(s.top), scale_.ToScreen(s.width), scale_.ToScreen(s.height),
                             ParentHandle(s), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id)),
                             GetModuleHandleA(nullptr), nullptr);
    if (!s.hwnd) return false;
    if (quiet) {
        SetWindowPos(s.hwnd, nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Among siblings description order is top-to-bottom order. A new child window lies below
    // its siblings, which is its place unless a later sibling has its window already: then
    // it goes below the nearest earlier one that has, or on top.
    bool laterMade = false;
    for (std::size_t j = index + 1; j < controls_.size() && !laterMade; ++j) {
        laterMade = controls_[j].parentIndex == s.parentIndex && controls_[j].hwnd;
    }
    if (laterMade) {
        HWND above = HWND_TOP;
        for (std::size_t j = index; j-- > 0;) {
            if (controls_[j].parentIndex == s.parentIndex && controls_[j].hwnd) {
                above = controls_[j].hwnd;
                break;
            }
        }
        SetWindowPos(s.hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (d.kind == ControlKind::EditBox || d.kind == ControlKind::ProcessBar) {
        // The system's control, named by its label (accessible_objects.cpp).
        SetWindowLongPtrW(s.hwnd, GWLP_USERDATA, GetWindowLongPtrW(s.hwnd, GWLP_WNDPROC));
        SetWindowLongPtrW(s.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProc));
    }

    if (d.font.height != 0) {
        LOGFONTW base{};
        GetObjectW(resources_->guiFont, sizeof(base), &base);
        LOGFONTW lf{};
        lf.lfHeight = scale_.ToScreen(d.font.height);
        lf.lfWeight = d.font.weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, base.lfFaceName, LF_FACESIZE);
        if (HFONT font = CreateFontIndirectW(&lf)) {
            resources_->ownFonts.push_back(font);
            resources_->fontOf.Put(d.id, font);
        }
    }
    SendMessageW(s.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->FontFor(d.id)), FALSE);

    switch (d.kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioBox:
        SendMessageW(s.hwnd, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::ProcessBar:
        SendMessageW(s.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(s.minimum), s.maximum);
        SendMessageW(s.hwnd, PBM_SETPOS,
                     static_cast<WPARAM>(Clamp(s.position, s.minimum, std::max(s.minimum, s.maximum))), 0);
        break;
    default:
        break;
    }
    if (inPieces) textsInPieces_.push_back({index, std::move(text)});
    return true;
}

bool WizardWindow::CreateControls(Making making) {
    if (!hwnd_ || complete_) return true;
    if (making == Making::Portion && GiveTextPiece()) return true;
    // Containers before their members, and siblings in description order: each new window then
    // lands below the siblings made before it, in its place, with nothing to move.
    std::vector<std::size_t> order;
    order.reserve(controls_.size());
    auto addMembersOf = [&](int parent) {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            if (controls_[i].parentIndex == parent) order.push_back(i);
        }
    };
    addMembersOf(-1);
    for (std::size_t k = 0; k < order.size(); ++k) addMembersOf(static_cast<int>(order[k]));
    std::vector<HWND> made;
    bool failed = false;
    for (std::size_t i : order) {
        ControlState& s = controls_[i];
        if (s.hwnd) continue;
        if (s.parentIndex >= 0 && !controls_[static_cast<std::size_t>(s.parentIndex)].hwnd) continue;
        const bool firstScreen = making == Making::FirstScreen || making == Making::OwnFirstScreen;
        if (firstScreen && !IsShown(s, true)) continue;
        if (making == Making::OwnFirstScreen && !IsSelfDrawn(s.kind)) continue;
        if (making == Making::Portion && made.size() == kControlsPerPortion) break;
        if (!CreateControl(i)) {
            failed = true;
            break;
        }
        made.push_back(s.hwnd);
        s.madeUndrawn = firstScreenDue_;  // drawn by the next pass of the first screen
    }
    // Those on the screen were shown without drawing: drawn now, a container after its new
    // members, so that it draws around them and not under them too.
    for (HWND h : made) {
        if (IsWindowVisible(h)) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    if (failed) return false;
    // Only a portion leaves a text unfinished.
    if (making != Making::Portion) {
        while (GiveTextPiece()) {
        }
    }
    complete_ = textsInPieces_.empty() && std::all_of(controls_.begin(), controls_.end(),
                                                      [](const ControlState& s) { return s.hwnd != nullptr; });
    return true;
}

bool WizardWindow::GiveTextPiece() {
    if (textsInPieces_.empty()) return false;
    TextInPieces& pending = textsInPieces_.front();
    const ControlState& s = controls_[pending.index];
    HWND box = s.hwnd;
    if (pending.given == pending.text.size()) {
        // All in. As a text given whole leaves the box: the caret at the start, the first line
        // on top. Showing it costs as much as a piece, so it is a call of its own.
        SendMessageW(box, EM_SETSEL, 0, 0);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
        const bool seen = IsShown(s, true);
        textsInPieces_.erase(textsInPieces_.begin());
        if (seen) ShowWindow(box, SW_SHOWNA);
        return true;
    }
    // The box's limit holds typing back, not what the program gives it.
    if (pending.given == 0 &&
        static_cast<std::size_t>(SendMessageW(box, EM_GETLIMITTEXT, 0, 0)) < pending.text.size()) {
        SendMessageW(box, EM_SETLIMITTEXT, pending.text.size(), 0);
    }
    // A piece ends after a line break where there is one, so that no line is laid out twice.
    std::size_t end = std::min(pending.given + kTextPiece, pending.text.size());
    if (end < pending.text.size()) {
        const std::size_t lineEnd = pending.text.rfind(L'\n', end - 1);
        if (lineEnd != std::wstring::npos && lineEnd >= pending.given) end = lineEnd + 1;
    }
    const std::wstring piece = pending.text.substr(pending.given, end - pending.given);
    SendMessageW(box, EM_SETSEL, pending.given, static_cast<LPARAM>(pending.given));  // the caret at the end
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    pending.given = end;
    return true;
}

void WizardWindow::CreateNextPortion() {
    // Painting goes first, although its messages would come after ours: the first screen when
    // the loop has just started, or what was uncovered since.
    const bool painted = PaintWaiting();
    if (!painted) firstScreenDue_ = false;  // the first screen is on the display
    if (complete_) return;  // made at once meanwhile, for a handler
    // A control that cannot be made ends the portions; asking for any control tries again.
    if (!painted && (!CreateControls(Making::Portion) || complete_)) return;
    AskForNextPortion();
}

bool WizardWindow::PaintWaiting() {
    if (IsIconic(hwnd_)) return false;  // the system paints nothing while it is minimised
    // Nothing of the thread's waits to be painted: one question rather than one for each control.
    if (!(HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT)) return false;
    // A window counts as painted when it waits no more; one that keeps waiting does not hold
    // the portions up.
    auto paint = [](HWND h) {
        RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
        return GetUpdateRect(h, nullptr, FALSE) == FALSE;
    };
    // Until the first screen is whole it is painted in one go, not a portion a message: the
    // messages between portions (ours and the system's) held its last controls back.
    const bool whole = firstScreenDue_;
    std::size_t painted = 0;
    if (GetUpdateRect(hwnd_, nullptr, FALSE) && paint(hwnd_)) {
        if (!whole) return true;
        ++painted;
    }
    if (whole) {
        // The controls are drawn straight into one DC of the window and then marked painted:
        // under Wine the painting message's round (the caret hidden and shown, the update region
        // fetched, the erasing asked) cost about as much as drawing a control, and a DC of a
        // control asks the server for the display's layout three times over.
        if (HDC dc = GetDCEx(hwnd_, nullptr, DCX_CACHE)) {
            painted += DrawInStackingOrder(dc, -1, false);
            ReleaseDC(hwnd_, dc);
        }
        // A look at the queue that waits for nothing: under Wine a window's drawing reaches the
        // display when its thread waits, and the next message (activation, some 15 ms, among
        // them) would come first.
        if (painted > 0) MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
        return painted > 0;
    }
    for (ControlState& s : controls_) {
        if (painted == kControlsPerPortion) break;
        if (s.hwnd && IsWindowVisible(s.hwnd) && GetUpdateRect(s.hwnd, nullptr, FALSE) && paint(s.hwnd)) ++painted;
    }
    return painted > 0;
}

std::size_t WizardWindow::DrawInStackingOrder(HDC dc, int parent, bool all) {
    std::size_t drawn = 0;
    // Of two siblings the later in the description lies below, and is drawn first; once one is
    // drawn, those above it are drawn again over it, and a drawn control's members over it.
    for (std::size_t i = controls_.size(); i-- > 0;) {
        ControlState& s = controls_[i];
        if (s.parentIndex != parent || !s.hwnd || !IsWindowVisible(s.hwnd)) continue;
        const int saved = SaveDC(dc);
        POINT at{0, 0};
        MapWindowPoints(s.hwnd, hwnd_, &at, 1);
        RECT rc{0, 0, 0, 0};
        GetClientRect(s.hwnd, &rc);
        SetViewportOrgEx(dc, at.x, at.y, nullptr);
        IntersectClipRect(dc, 0, 0, rc.right, rc.bottom);
        // Until the first screen is whole, what waits is what was made since: another question
        // to the server for each control would cost as much as drawing one. Anything else that
        // waits is painted after, by the portions.
        const bool draw = all || s.madeUndrawn;
        if (draw) {
            s.madeUndrawn = false;
            if (IsSelfDrawn(s.kind)) {
                Paint(s, dc);
            } else if (HDC own = GetDC(s.hwnd)) {
                // The system's control is asked to print itself into a DC of its own: it takes the
                // DC's origin for its own.
                SendMessageW(s.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own), PRF_CLIENT | PRF_ERASEBKGND);
                ReleaseDC(s.hwnd, own);
            }
            ValidateRect(s.hwnd, nullptr);
            ++drawn;
            all = true;
        }
        drawn += DrawInStackingOrder(dc, static_cast<int>(i), draw);
        RestoreDC(dc, saved);
    }
    return drawn;
}

void WizardWindow::AskForNextPortion() {
    // A posted message is taken before the user's keys and clicks, a timer's after them: while
    // any wait, the next portion comes by the timer.
    if (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) == 0 && PostMessageW(hwnd_, kNextPortion, 0, 0)) return;
    SetTimer(hwnd_, kPortionTimer, USER_TIMER_MINIMUM, nullptr);
}

bool WizardWindow::IsWished(const ControlState& s) const {
    // A member of a page other than the current one waits for its page.
    return (s.flags & kFlagVisible) && !IsPageMemberOnOtherPage(s);
}

RECT WizardWindow::ScreenRect(const ControlState& s) const {
    const int left = scale_.ToScreen(s.left), top = scale_.ToScreen(s.top);
    return RECT{left, top, left + scale_.ToScreen(s.width), top + scale_.ToScreen(s.height)};
}

bool WizardWindow::IsCovered(const ControlState& s) const {
    // Worked out from the control model, which every write keeps in line with the windows, so
    // that the answer holds for a control whose window is not made yet.
    RECT seen = ScreenRect(s);
    for (const ControlState* at = &s;;) {
        // What its container lets show of it...
        const ControlState* parent = at->parentIndex < 0 ? nullptr : &controls_[static_cast<std::size_t>(at->parentIndex)];
        RECT area{};
        if (parent) area = RECT{0, 0, scale_.ToScreen(parent->width), scale_.ToScreen(parent->height)};
        else if (hwnd_) GetClientRect(hwnd_, &area);
        if (!IntersectRect(&seen, &seen, &area)) return true;
        // ...unless a sibling above it (earlier in the description) hides all of that.
        for (int j = 0; j < at->descriptionIndex; ++j) {
            const ControlState& above = controls_[static_cast<std::size_t>(j)];
            if (above.parentIndex == at->parentIndex && IsWished(above) && Contains(ScreenRect(above), seen)) return true;
        }
        if (!parent) return false;
        OffsetRect(&seen, scale_.ToScreen(parent->left), scale_.ToScreen(parent->top));
        at = parent;
    }
}

bool WizardWindow::IsShown(const ControlState& s, bool seen) const {
    if (&s != &window_ && (!IsWished(s) || (seen && IsCovered(s)))) return false;
    if (&s == &window_ || s.parentIndex < 0) return seen || (hwnd_ && IsWindowVisible(hwnd_));
    return IsShown(controls_[static_cast<std::size_t>(s.parentIndex)], seen);
}

void WizardWindow::ShowWhatIsSeen() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        ControlState& s = controls_[i];
        // A box still taking its text in pieces shows once it has it all (GiveTextPiece).
        const bool pending = std::any_of(textsInPieces_.begin(), textsInPieces_.end(),
                                         [i](const TextInPieces& t) { return t.index == i; });
        if (!s.hwnd || pending) continue;
        const bool seen = IsShown(s, true);
        if (seen != ((GetWindowLongW(s.hwnd, GWL_STYLE) & WS_VISIBLE) != 0)) ShowWindow(s.hwnd, seen ? SW_SHOWNA : SW_HIDE);
    }
}

void WizardWindow::ShowPage(ControlState& pageControl, int page) {
    const int pages = static_cast<int>(pageControl.description->pages.size());
    pageControl.currentPage = Clamp(page, 0, std::max(pages - 1, 0));
    // The other pages' members go (the system repaints what they covered), the new page's
    // come as far as they can be seen. Before its window is made, its members (made after it)
    // are made on that page.
    ShowWhatIsSeen();
}

}  // namespace host
