#include "host/wizard_window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>

#include "host/image_decode.h"
#include "host/message_loop.h"
#include "host/window_geometry.h"

namespace host {
namespace {

constexpr char kWindowClass[] = "LumoraWizardWindow";
constexpr char kPaintedClass[] = "LumoraPaintedControl";
constexpr UINT kCompleteWindow = WM_APP + 1;  // posted by Build, handled once the loop runs

WizardWindow* g_preTranslateTarget = nullptr;  // the one window whose Tab we handle

bool PreTranslateThunk(MSG& msg) {
    return g_preTranslateTarget && g_preTranslateTarget->PreTranslate(msg);
}

COLORREF ToColorRef(std::uint32_t colour) {
    return colour == kSystemColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

bool IsContainer(ControlKind kind) {
    return kind == ControlKind::ShapeBox || kind == ControlKind::PicBox || kind == ControlKind::Tab;
}

bool IsSelfDrawn(ControlKind kind) { return IsContainer(kind) || kind == ControlKind::Label; }

bool Encloses(const ControlState& outer, const ControlState& inner) {
    return outer.left <= inner.left && outer.top <= inner.top &&
           outer.left + outer.width >= inner.left + inner.width &&
           outer.top + outer.height >= inner.top + inner.height;
}

bool CanTakeFocus(ControlKind kind) {
    return kind == ControlKind::EditBox || kind == ControlKind::Button ||
           kind == ControlKind::CheckBox || kind == ControlKind::RadioBox;
}

bool RegisterClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WizardWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    // The program's application icon, resource 1, when the executable carries one.
    wc.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterClassExA(&wc)) return false;

    WNDCLASSEXA pc{};
    pc.cbSize = sizeof(pc);
    pc.lpfnWndProc = PaintedControlProc;
    pc.hInstance = instance;
    pc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    pc.lpszClassName = kPaintedClass;
    if (!RegisterClassExA(&pc)) return false;
    registered = true;
    return true;
}

}  // namespace

// GDI objects the window owns: fonts, brushes and the decoded pictures.
struct WizardWindow::Resources {
    HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::vector<HFONT> ownFonts;
    std::map<std::uint32_t, HFONT> fontOf;  // control id -> font of its own
    HBRUSH buttonFace = GetSysColorBrush(COLOR_BTNFACE);
    std::map<std::uint32_t, HBRUSH> brushes;  // colour -> brush
    struct Picture {
        HBITMAP bitmap = nullptr;
        HICON icon = nullptr;
        int width = 0, height = 0;
    };
    std::map<std::uint32_t, Picture> pictures;  // control id -> decoded picture

    ~Resources() {
        for (HFONT f : ownFonts) DeleteObject(f);
        for (auto& [colour, brush] : brushes) DeleteObject(brush);
        for (auto& [id, p] : pictures) {
            if (p.bitmap) DeleteObject(p.bitmap);
            if (p.icon) DestroyIcon(p.icon);
        }
    }

    HFONT FontFor(std::uint32_t id) const {
        auto it = fontOf.find(id);
        return it == fontOf.end() ? guiFont : it->second;
    }
};

WizardWindow::WizardWindow(const WindowDescription& description)
    : description_(description), resources_(std::make_unique<Resources>()) {}

WizardWindow::~WizardWindow() {
    if (g_preTranslateTarget == this) {
        g_preTranslateTarget = nullptr;
        SetPreTranslateHook(nullptr);
    }
    if (hwnd_ && IsWindow(hwnd_)) {
        quitOnDestroy_ = false;
        DestroyWindow(hwnd_);
    }
}

bool WizardWindow::Build(WindowEvents* events, bool quitOnDestroy) {
    events_ = events;
    quitOnDestroy_ = quitOnDestroy;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterClasses(instance)) return false;

    // The system's DPI, which the program declares itself aware of.
    if (HDC screen = GetDC(nullptr)) {
        scale_.dpi = std::max(GetDeviceCaps(screen, LOGPIXELSY), 1);
        ReleaseDC(nullptr, screen);
    }

    // Window and control states from the description.
    window_ = ControlState{};
    window_.id = description_.controlId;
    window_.kind = ControlKind::Window;
    window_.width = description_.width;
    window_.height = description_.height;
    window_.left = scale_.FromScreen((GetSystemMetrics(SM_CXSCREEN) - scale_.ToScreen(description_.width)) / 2);
    window_.top = scale_.FromScreen((GetSystemMetrics(SM_CYSCREEN) - scale_.ToScreen(description_.height)) / 2);
    window_.flags = kFlagVisible;
    window_.caption = description_.caption;

    const auto& rows = description_.controls;
    controls_.assign(rows.size(), ControlState{});
    std::map<std::uint32_t, int> indexOf;
    for (std::size_t i = 0; i < rows.size(); ++i) indexOf[rows[i].id] = static_cast<int>(i);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlDescription& d = rows[i];
        ControlState& s = controls_[i];
        s.description = &d;
        s.descriptionIndex = static_cast<int>(i);
        s.id = d.id;
        s.kind = d.kind;
        s.left = d.left;
        s.top = d.top;
        s.width = d.width;
        s.height = d.height;
        s.flags = d.flags;
        s.caption = d.text ? d.text : "";
        s.checked = d.checked;
        s.minimum = d.rangeMin;
        s.maximum = d.rangeMax;
        auto parent = indexOf.find(d.parentId);
        s.parentIndex = parent == indexOf.end() ? -1 : parent->second;
        for (std::size_t p = 0; p < d.pages.size(); ++p) {
            for (std::uint32_t member : d.pages[p].members) {
                auto m = indexOf.find(member);
                if (m != indexOf.end()) controls_[static_cast<std::size_t>(m->second)].pageOf =
                    static_cast<int>(p);
            }
        }
    }

    hwnd_ = CreateWindowExA(0, kWindowClass, description_.caption,
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                            scale_.ToScreen(window_.left), scale_.ToScreen(window_.top),
                            scale_.ToScreen(window_.width), scale_.ToScreen(window_.height), nullptr,
                            nullptr, instance, this);
    if (!hwnd_) return false;
    window_.hwnd = hwnd_;

    g_preTranslateTarget = this;
    SetPreTranslateHook(PreTranslateThunk);
    PostMessageA(hwnd_, kCompleteWindow, 0, 0);
    return true;
}

HWND WizardWindow::ParentHandle(const ControlState& state) const {
    return state.parentIndex < 0 ? hwnd_ : controls_[static_cast<std::size_t>(state.parentIndex)].hwnd;
}

bool WizardWindow::CreateControl(std::size_t index) {
    ControlState& s = controls_[index];
    const ControlDescription& d = *s.description;
    const char* className = kPaintedClass;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (d.kind) {
    case ControlKind::EditBox:
        className = "EDIT";
        if (d.edit == EditStyle::SingleLine) style |= ES_AUTOHSCROLL;
        if (d.edit == EditStyle::MultiLineWrap) style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
        if (d.edit == EditStyle::MultiLineScroll) {
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL;
        }
        if (d.readOnly) style |= ES_READONLY;
        break;
    case ControlKind::Button:
        className = "BUTTON";
        style |= BS_PUSHBUTTON;
        break;
    case ControlKind::CheckBox:
        className = "BUTTON";
        style |= BS_AUTOCHECKBOX | BS_MULTILINE | BS_VCENTER | BS_LEFT;
        break;
    case ControlKind::RadioBox:
        // Selection within the group is done on the click (OnButtonClicked), so that it
        // does not depend on the dialog manager's idea of groups.
        className = "BUTTON";
        style |= BS_RADIOBUTTON | BS_MULTILINE | BS_VCENTER | BS_LEFT;
        break;
    case ControlKind::ProcessBar:
        className = PROGRESS_CLASSA;
        if (d.smooth) style |= PBS_SMOOTH;
        break;
    default:
        if (IsContainer(d.kind)) style |= WS_CLIPCHILDREN;
        break;
    }
    if (d.border == kBorderStaticEdge) exStyle |= WS_EX_STATICEDGE;
    if (d.flags & kFlagTabStop) style |= WS_TABSTOP;
    if (s.flags & kFlagDisabled) style |= WS_DISABLED;
    // Members of a page other than the current one stay hidden until their page is shown.
    if ((s.flags & kFlagVisible) && !IsPageMemberOnOtherPage(s)) style |= WS_VISIBLE;

    const char* text = IsSelfDrawn(d.kind) || d.kind == ControlKind::ProcessBar ? "" : s.caption.c_str();
    if (d.kind == ControlKind::Label) text = s.caption.c_str();
    s.hwnd = CreateWindowExA(exStyle, className, text, style, scale_.ToScreen(s.left), scale_.ToScreen(s.top),
                             scale_.ToScreen(s.width), scale_.ToScreen(s.height),
                             ParentHandle(s), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id)),
                             GetModuleHandleA(nullptr), nullptr);
    if (!s.hwnd) return false;
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
    if (IsSelfDrawn(d.kind)) SetWindowLongPtrA(s.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));

    if (d.font.height != 0) {
        LOGFONTA base{};
        GetObjectA(resources_->guiFont, sizeof(base), &base);
        LOGFONTA lf{};
        lf.lfHeight = scale_.ToScreen(d.font.height);
        lf.lfWeight = d.font.weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, base.lfFaceName, LF_FACESIZE);
        if (HFONT font = CreateFontIndirectA(&lf)) {
            resources_->ownFonts.push_back(font);
            resources_->fontOf[d.id] = font;
        }
    }
    SendMessageA(s.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->FontFor(d.id)), FALSE);

    switch (d.kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioBox:
        SendMessageA(s.hwnd, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::ProcessBar:
        SendMessageA(s.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(s.minimum), s.maximum);
        SendMessageA(s.hwnd, PBM_SETPOS,
                     static_cast<WPARAM>(Clamp(s.position, s.minimum, std::max(s.minimum, s.maximum))), 0);
        break;
    default:
        break;
    }
    return true;
}

void WizardWindow::CreateControls(bool firstScreenOnly) {
    if (!hwnd_ || complete_) return;
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
    for (std::size_t i : order) {
        ControlState& s = controls_[i];
        if (s.hwnd) continue;
        if (s.parentIndex >= 0 && !controls_[static_cast<std::size_t>(s.parentIndex)].hwnd) continue;
        if (firstScreenOnly && !SeenOnFirstScreen(i)) continue;
        if (!CreateControl(i)) return;
    }
    complete_ = !firstScreenOnly;
}

bool WizardWindow::SeenOnFirstScreen(std::size_t index) const {
    const ControlState& s = controls_[index];
    if (!(s.flags & kFlagVisible) || IsPageMemberOnOtherPage(s)) return false;
    // Under a shown container sibling that encloses it (earlier rows lie above), it cannot be seen.
    for (std::size_t j = 0; j < index; ++j) {
        const ControlState& above = controls_[j];
        if (above.parentIndex == s.parentIndex && IsContainer(above.kind) && (above.flags & kFlagVisible) &&
            !IsPageMemberOnOtherPage(above) && Encloses(above, s)) {
            return false;
        }
    }
    return s.parentIndex < 0 || SeenOnFirstScreen(static_cast<std::size_t>(s.parentIndex));
}

void WizardWindow::ShowPage(ControlState& pageControl, int page) {
    const int pages = static_cast<int>(pageControl.description->pages.size());
    pageControl.currentPage = Clamp(page, 0, std::max(pages - 1, 0));
    // Before its window is made, its members (made after it) are made on that page.
    if (!pageControl.hwnd) return;
    const int self = pageControl.descriptionIndex;
    for (ControlState& member : controls_) {
        if (member.parentIndex != self || member.pageOf < 0) continue;
        if (member.pageOf != pageControl.currentPage) {
            if (GetWindowLongA(member.hwnd, GWL_STYLE) & WS_VISIBLE) {
                RECT area = RectInParent(member.hwnd);
                ShowWindow(member.hwnd, SW_HIDE);
                InvalidateRect(pageControl.hwnd, &area, TRUE);
            }
        }
    }
    for (ControlState& member : controls_) {
        if (member.parentIndex != self || member.pageOf != pageControl.currentPage) continue;
        if (member.flags & kFlagVisible) ShowWindow(member.hwnd, SW_SHOWNA);
    }
}

void WizardWindow::RaiseCreated() {
    if (createdRaised_) return;
    createdRaised_ = true;
    if (events_) events_->Created();
}

void WizardWindow::Show() {
    if (!hwnd_) return;
    CreateControls(true);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    shown_ = true;
}

HWND WizardWindow::ControlHandle(std::uint32_t controlId) {
    if (controlId == window_.id) return hwnd_;
    CompleteControls();
    for (const ControlState& s : controls_) {
        if (s.id == controlId) return s.hwnd;
    }
    return nullptr;
}

ControlState* WizardWindow::Find(ControlRef ref) {
    if (ref.windowId != description_.windowId) return nullptr;
    if (ref.controlId == window_.id) return &window_;
    for (ControlState& s : controls_) {
        if (s.id == ref.controlId) return &s;
    }
    return nullptr;
}

ControlState* WizardWindow::FindByHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (ControlState& s : controls_) {
        if (s.hwnd == hwnd) return &s;
    }
    return nullptr;
}

bool WizardWindow::IsPageMemberOnOtherPage(const ControlState& state) const {
    if (state.pageOf < 0 || state.parentIndex < 0) return false;
    const ControlState& pageControl = controls_[static_cast<std::size_t>(state.parentIndex)];
    return pageControl.currentPage != state.pageOf;
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

HBRUSH WizardWindow::BackgroundBrush(std::uint32_t colour) {
    if (colour == kSystemColour) return resources_->buttonFace;
    auto it = resources_->brushes.find(colour);
    if (it != resources_->brushes.end()) return it->second;
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    resources_->brushes[colour] = brush;
    return brush;
}

void WizardWindow::OnButtonClicked(HWND child) {
    CompleteControls();  // the handlers and the radio group find every control made
    ControlState* s = FindByHandle(child);
    if (!s) return;
    if (!IsWindowEnabled(child)) {
        // Only a message sent by another program can click a disabled box: undo the
        // toggle, so that it keeps its state whatever is clicked.
        if (s->kind == ControlKind::CheckBox) {
            const bool on = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            SendMessageA(child, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
        }
        return;
    }
    if (s->kind == ControlKind::RadioBox) {
        // Select it and clear its sibling radio buttons; the event follows either way.
        for (ControlState& other : controls_) {
            if (other.kind == ControlKind::RadioBox && other.parentIndex == s->parentIndex) {
                SendMessageA(other.hwnd, BM_SETCHECK, &other == s ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }
    if (events_) events_->Clicked(s->id);
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
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, ToColorRef(colour));
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
        const int length = MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
        MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, wide.data(), length);
        ShutdownBlockReasonCreate(hwnd, wide.c_str());
        return FALSE;
    }
    case WM_ACTIVATE:
        // Give the focus back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) &&
                   IsWindowEnabled(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_DESTROY:
        if (quitOnDestroy_) PostQuitMessage(0);
        break;
    case kCompleteWindow:
        CompleteControls();
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        window_.hwnd = nullptr;
        for (ControlState& s : controls_) s.hwnd = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void WizardWindow::Paint(ControlState& s, HDC dc) {
    RECT rc{0, 0, 0, 0};
    GetClientRect(s.hwnd, &rc);
    const ControlDescription& d = *s.description;
    FillRect(dc, &rc, BackgroundBrush(d.background));
    switch (s.kind) {
    case ControlKind::Label: {
        HGDIOBJ oldFont = SelectObject(dc, resources_->FontFor(d.id));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        UINT format = DT_LEFT | DT_NOPREFIX;
        format |= d.wordWrap ? (DT_WORDBREAK | DT_TOP) : (DT_SINGLELINE | DT_VCENTER);
        DrawTextA(dc, s.caption.c_str(), static_cast<int>(s.caption.size()), &rc, format);
        SelectObject(dc, oldFont);
        break;
    }
    case ControlKind::ShapeBox: {
        HPEN pen = CreatePen(PS_SOLID, scale_.ToScreen(std::max(d.lineWidth, 1)),
                             static_cast<COLORREF>(d.lineColour));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HBRUSH fill = d.fillColour == kSystemColour ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                    : BackgroundBrush(d.fillColour);
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        break;
    }
    case ControlKind::PicBox: {
        if (!d.image) break;
        // Decoded when first drawn, not before the window can be shown.
        auto it = resources_->pictures.find(d.id);
        if (it == resources_->pictures.end()) {
            Resources::Picture decoded;
            if (IsJpeg(*d.image)) decoded.bitmap = DecodeJpeg(*d.image, decoded.width, decoded.height);
            else decoded.icon = DecodeIcon(*d.image, decoded.width, decoded.height);
            it = resources_->pictures.emplace(d.id, decoded).first;
        }
        const Resources::Picture& p = it->second;
        const bool stretch = d.fit == ImageFit::Stretch;
        // "Own size" is the picture's size on a 96-DPI screen.
        const int w = stretch ? rc.right : scale_.ToScreen(p.width);
        const int h = stretch ? rc.bottom : scale_.ToScreen(p.height);
        const bool scaled = w != p.width || h != p.height;
        if (p.icon) {
            DrawIconEx(dc, 0, 0, p.icon, w, h, 0, nullptr, DI_NORMAL);
        } else if (p.bitmap) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, p.bitmap);
            if (scaled) {
                SetStretchBltMode(dc, HALFTONE);
                SetBrushOrgEx(dc, 0, 0, nullptr);
                StretchBlt(dc, 0, 0, w, h, mem, 0, 0, p.width, p.height, SRCCOPY);
            } else {
                BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
            }
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        break;
    }
    default:  // the page control: its background only, no tab strip, no border
        break;
    }
}

LRESULT WizardWindow::OnControlMessage(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnCommonMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_GETFONT:  // the font it draws with, as standard controls answer
        return reinterpret_cast<LRESULT>(resources_->FontFor(s.id));
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(s.hwnd, &ps);
        Paint(s, dc);
        EndPaint(s.hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(s.hwnd, msg, wParam, lParam);
    }
}

// No exception may leave a window procedure.
LRESULT CALLBACK WizardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<WizardWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) return self->OnWindowMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PaintedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        auto* state = reinterpret_cast<ControlState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        HWND top = GetAncestor(hwnd, GA_ROOT);
        auto* self = top ? reinterpret_cast<WizardWindow*>(GetWindowLongPtrA(top, GWLP_USERDATA)) : nullptr;
        if (state && self) return self->OnControlMessage(*state, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host
