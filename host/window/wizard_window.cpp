// The window and the state of its controls, built from a description; looking controls up.
#include "host/window/wizard_window.h"

#include <windows.h>

#include <algorithm>

#include "host/system/aside.h"
#include "host/system/late_library.h"
#include "host/system/system_text.h"
#include "host/window/window_geometry.h"
#include "host/window/window_internals.h"

namespace host {
namespace {

// Loads the common controls for a window that shows without them (on the thread aside), then
// tells it; a window closed meanwhile is not told.
void LoadCommonControlsFor(void* window) {
    LoadCommonControls();
    PostMessageW(static_cast<HWND>(window), kCommonControlsIn, 0, 0);
}

bool RegisterClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WizardWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    // The program's application icon, resource 1, when the executable carries one.
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!RegisterClassExW(&wc)) return false;

    WNDCLASSEXW pc{};
    pc.cbSize = sizeof(pc);
    pc.lpfnWndProc = PaintedControlProc;
    pc.hInstance = instance;
    pc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    pc.lpszClassName = kPaintedClass;
    if (!RegisterClassExW(&pc)) return false;
    registered = true;
    return true;
}

HighContrastQuery g_highContrastQuery = nullptr;

}  // namespace

void SetHighContrastQuery(HighContrastQuery query) { g_highContrastQuery = query; }

bool HighContrastOn() {
    if (g_highContrastQuery) return g_highContrastQuery();
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

WizardWindow::WizardWindow(const WindowDescription& description)
    : description_(description), resources_(std::make_unique<Resources>()) {}

WizardWindow::~WizardWindow() {
    DetachKeyboard(this);
    if (hwnd_ && IsWindow(hwnd_)) {
        quitOnDestroy_ = false;
        DestroyWindow(hwnd_);
    }
}

bool WizardWindow::Build(WindowEvents* events, bool quitOnDestroy) {
    events_ = events;
    quitOnDestroy_ = quitOnDestroy;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterClasses(instance)) return false;

    // The system's DPI, which the program declares itself aware of.
    if (HDC screen = GetDC(nullptr)) {
        scale_.dpi = std::max(GetDeviceCaps(screen, LOGPIXELSY), 1);
        ReleaseDC(nullptr, screen);
    }

    highContrast_ = HighContrastOn();
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
    // The row of a control id, or -1; a few dozen rows, looked through.
    auto indexOf = [&rows](std::uint32_t id) {
        const auto row = std::find_if(rows.begin(), rows.end(), [id](const ControlDescription& r) { return r.id == id; });
        return row == rows.end() ? -1 : static_cast<int>(row - rows.begin());
    };
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
        s.parentIndex = indexOf(d.parentId);
        for (std::size_t p = 0; p < d.pages.size(); ++p) {
            for (std::uint32_t member : d.pages[p].members) {
                if (const int m = indexOf(member); m >= 0) controls_[static_cast<std::size_t>(m)].pageOf = static_cast<int>(p);
            }
        }
    }

    hwnd_ = CreateWindowExW(0, kWindowClass, WideFromText(window_.caption).c_str(),
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                            scale_.ToScreen(window_.left), scale_.ToScreen(window_.top),
                            scale_.ToScreen(window_.width), scale_.ToScreen(window_.height), nullptr,
                            nullptr, instance, this);
    if (!hwnd_) return false;
    window_.hwnd = hwnd_;

    AttachKeyboard(this);
    return true;
}

HWND WizardWindow::ParentHandle(const ControlState& state) const {
    return state.parentIndex < 0 ? hwnd_ : controls_[static_cast<std::size_t>(state.parentIndex)].hwnd;
}

void WizardWindow::RaiseCreated() {
    if (createdRaised_) return;
    createdRaised_ = true;
    if (events_) events_->Created();
}

void WizardWindow::Show() {
    if (!hwnd_) return;
    const bool first = !shown_;
    // Without the common controls in the process yet, the window shows empty and they are
    // loaded aside, once it is shown: the system's own loading of what showing needs would
    // wait for theirs. The first screen follows when they are in (CommonControlsIn). The window
    // asks for the keyboard as it first shows, while the system still lets the program that the
    // user just started come to the front; should it refuse, the first control is given the
    // focus the moment the user comes to the window (EnsureFocus).
    const bool aside = first && !complete_ && !CommonControlsLoaded();
    if (!aside) CreateControls(Making::FirstScreen);
    firstScreenDue_ = aside;
    ShowWindow(hwnd_, SW_SHOW);
    shown_ = true;
    if (aside) {
        // Without the thread aside, here and now.
        if (!RunAside(&LoadCommonControlsFor, hwnd_)) LoadCommonControlsFor(hwnd_);
        // The loop makes and paints these while the library loads: the panel, the pictures,
        // the texts.
        if (!PostMessageW(hwnd_, kOwnFirstScreen, 0, 0)) CreateControls(Making::OwnFirstScreen);
        return;
    }
    EnsureFocus();
    // The loop first answers what is sent to the window; the first portions then paint it,
    // before anything more is made.
    if (first && !complete_) AskForNextPortion();
}

void WizardWindow::CommonControlsIn() {
    // Asked for meanwhile, the controls were all made at once (the system loads the library
    // for the first control that needs it, waiting for this loading if it must).
    if (!hwnd_ || complete_) return;
    CreateControls(Making::FirstScreen);
    EnsureFocus();
    PaintWaiting();  // the first screen whole, in this message rather than the next
    AskForNextPortion();
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

}  // namespace host
