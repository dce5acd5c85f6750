// What assistive technology is told about the window: the window tree as a person sees it, since
// a covered or hidden control's window is hidden (ShowWhatIsSeen). The window is a dialog named
// by its title; the containers are panes whose children read in reading order; the labels we
// paint are static text with their captions, the pictures graphics without text. Every object
// tells its own window (IOleWindow), its parent is the object of its parent window, and its
// children, navigation and hit testing go through the same list, so that every way through the
// tree meets the same objects. The standard controls keep the system's own objects; the boxes
// and the bar are named by the label that introduces them through the system's annotation, or,
// where the system cannot annotate, by an object of ours around the system's. The
// accessibility library is loaded at the first question, never before.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "host/system/barrier.h"
#include "host/system/late_library.h"
#include "host/system/system_text.h"
#include "host/window/window_internals.h"

namespace host {
namespace {

constexpr char kAccessibility[] = "oleacc.dll";
// The annotation service and the name property (oleacc.h declares them; no import of ours).
constexpr CLSID kAnnotationService = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kAnnotationInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

// The system's stand-in for a window's client area (a new reference), or null.
IAccessible* StandIn(HWND hwnd) {
    const auto create = LateFunction<decltype(&CreateStdAccessibleObject)>(kAccessibility, "CreateStdAccessibleObject");
    void* object = nullptr;
    if (!create || FAILED(create(hwnd, OBJID_CLIENT, __uuidof(IAccessible), &object))) return nullptr;
    return static_cast<IAccessible*>(object);
}

// The window of ours that holds `hwnd`, or null once it is gone.
WizardWindow* WindowOf(HWND hwnd) {
    const HWND root = IsWindow(hwnd) ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    auto* window = root ? reinterpret_cast<WizardWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA)) : nullptr;
    return window && window->Handle() == root ? window : nullptr;
}

// A window's text as a new string for the client; null when there is no memory for it.
BSTR TextOf(HWND hwnd) {
    // The automation library comes with the accessibility library: no import of ours.
    const auto allocate = LateFunction<decltype(&SysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
    const int length = GetWindowTextLengthW(hwnd);
    BSTR text = allocate ? allocate(nullptr, static_cast<UINT>(std::max(length, 0))) : nullptr;
    if (text) GetWindowTextW(hwnd, text, length + 1);
    return text;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// An object (a new reference, or null) as a child variant.
HRESULT AsChild(IAccessible* object, VARIANT* out) {
    if (!object) return S_FALSE;
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
}

}  // namespace

// One object per question; it keeps only the window it tells of and the system's stand-in for
// it, to which whatever it does not answer itself goes, and asks the live window each time.
class WizardWindow::AccessibleObject final : public IAccessible, public IOleWindow {
public:
    enum class As { Dialog, Pane, StaticText, Graphic, NamedControl };
    AccessibleObject(HWND hwnd, As as, IAccessible* standIn) : hwnd_(hwnd), as_(as), standIn_(standIn) {}
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);  // who we are: UI Automation tells objects apart by it
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // Clients call the interface's own methods; no type information is offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        std::vector<HWND> told;
        if (!Children(told)) return E_FAIL;
        *count = static_cast<long>(told.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::vector<HWND> told;
        if (child.vt != VT_I4 || !Children(told)) return E_INVALIDARG;
        if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > told.size()) return E_INVALIDARG;
        WizardWindow* window = WindowOf(hwnd_);
        *out = window ? window->ObjectFor(told[static_cast<std::size_t>(child.lVal - 1)]) : nullptr;
        return *out ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (as_ == As::Dialog) return standIn_ ? standIn_->get_accParent(out) : S_FALSE;
        WizardWindow* window = WindowOf(hwnd_);
        *out = window ? window->ObjectFor(::GetParent(hwnd_)) : nullptr;
        return *out ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(hwnd_)) return E_FAIL;
        HWND named = hwnd_;  // the dialog by its title, a label by its caption
        if (as_ == As::Graphic || as_ == As::Pane) return S_FALSE;  // nothing to read
        if (as_ == As::NamedControl) {
            WizardWindow* window = WindowOf(hwnd_);
            named = window ? window->IntroducingLabel(hwnd_) : nullptr;
            if (!named) return standIn_ ? standIn_->get_accName(child, out) : S_FALSE;
        }
        *out = TextOf(named);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (as_ == As::NamedControl && standIn_) return standIn_->get_accRole(child, out);
        out->vt = VT_I4;
        out->lVal = as_ == As::Dialog       ? ROLE_SYSTEM_DIALOG
                    : as_ == As::Pane       ? ROLE_SYSTEM_PANE
                    : as_ == As::StaticText ? ROLE_SYSTEM_STATICTEXT
                                            : ROLE_SYSTEM_GRAPHIC;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        if ((as_ == As::Dialog || as_ == As::NamedControl) && standIn_) return standIn_->get_accState(child, out);
        if (!IsWindow(hwnd_)) return E_FAIL;
        // Painted texts and pictures are read, never edited; out of sight they say so.
        long state = as_ == As::Pane ? 0 : STATE_SYSTEM_READONLY;
        if (!IsWindowVisible(hwnd_)) state |= STATE_SYSTEM_INVISIBLE;
        out->vt = VT_I4;
        out->lVal = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        if (as_ != As::Dialog && as_ != As::Pane) return standIn_ ? standIn_->get_accFocus(out) : S_FALSE;
        const HWND focus = ::GetFocus();
        if (focus == hwnd_) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        WizardWindow* window = WindowOf(hwnd_);
        if (!window || !IsChild(hwnd_, focus) || !IsWindowVisible(focus)) return S_FALSE;
        return AsChild(window->ObjectFor(focus), out);
    }
    // Through the same lists as the children: the first and last child, the next and previous
    // sibling in reading order. The other directions as the system's stand-in answers them.
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        if (!IsSelf(start)) return E_INVALIDARG;
        WizardWindow* window = WindowOf(hwnd_);
        if (!window) return E_FAIL;
        std::vector<HWND> told;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            if (!Children(told)) return E_FAIL;
            if (told.empty()) return S_FALSE;
            return AsChild(window->ObjectFor(direction == NAVDIR_FIRSTCHILD ? told.front() : told.back()), out);
        }
        if (direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS) {
            return standIn_ ? standIn_->accNavigate(direction, start, out) : S_FALSE;
        }
        if (as_ == As::Dialog) return S_FALSE;  // no siblings among our objects
        if (!window->ToldChildren(::GetParent(hwnd_), told)) return E_FAIL;
        const auto at = std::find(told.begin(), told.end(), hwnd_);
        if (at == told.end()) return S_FALSE;
        if (direction == NAVDIR_NEXT) return at + 1 == told.end() ? S_FALSE : AsChild(window->ObjectFor(at[1]), out);
        return at == told.begin() ? S_FALSE : AsChild(window->ObjectFor(at[-1]), out);
    }
    // The told child under the point, or this object itself.
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        RECT r{};
        const POINT screen{x, y};
        if (!IsWindowVisible(hwnd_) || !::GetWindowRect(hwnd_, &r) || !PtInRect(&r, screen)) return S_FALSE;
        POINT inside = screen;
        ScreenToClient(hwnd_, &inside);
        // A shown child window is a told child (ToldChildren).
        const HWND child = as_ == As::Dialog || as_ == As::Pane ? ChildWindowFromPointEx(hwnd_, inside, CWP_SKIPINVISIBLE) : hwnd_;
        WizardWindow* window = WindowOf(hwnd_);
        if (window && child && child != hwnd_) return AsChild(window->ObjectFor(child), out);
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
    }

    // The rest as the system's stand-in answers it.
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return standIn_ ? standIn_->get_accValue(child, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return standIn_ ? standIn_->get_accDescription(child, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return standIn_ ? standIn_->get_accHelp(child, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standIn_ ? standIn_->get_accHelpTopic(file, child, topic) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return standIn_ ? standIn_->get_accKeyboardShortcut(child, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return standIn_ ? standIn_->get_accSelection(out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return standIn_ ? standIn_->get_accDefaultAction(child, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standIn_ ? standIn_->accSelect(flags, child) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standIn_ ? standIn_->accLocation(left, top, width, height, child) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standIn_ ? standIn_->accDoDefaultAction(child) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() {
        if (standIn_) standIn_->Release();
    }

    // The windows told as this object's children: none but for the dialog and the panes.
    bool Children(std::vector<HWND>& told) const {
        if (as_ != As::Dialog && as_ != As::Pane) return true;
        WizardWindow* window = WindowOf(hwnd_);
        return window && window->ToldChildren(hwnd_, told);
    }

    LONG references_ = 1;
    HWND hwnd_;
    As as_;
    IAccessible* standIn_;
};

IAccessible* WizardWindow::ObjectFor(HWND hwnd) {
    using As = AccessibleObject::As;
    As as = As::Dialog;
    if (hwnd != hwnd_) {
        const ControlState* s = FindByHandle(hwnd);
        if (!s) return nullptr;
        switch (s->kind) {
        case ControlKind::Label:
            as = As::StaticText;
            break;
        case ControlKind::PicBox:
        case ControlKind::ShapeBox:
        case ControlKind::Tab:
            as = As::Graphic;
            for (const ControlState& member : controls_) {
                if (member.parentIndex == s->descriptionIndex) as = As::Pane;
            }
            break;
        case ControlKind::EditBox:
        case ControlKind::ProcessBar:
            if (AnnotateNames()) return StandIn(hwnd);
            as = As::NamedControl;
            break;
        default:
            return StandIn(hwnd);  // the standard controls: the system's own objects
        }
    }
    IAccessible* standIn = StandIn(hwnd);
    auto* object = new (std::nothrow) AccessibleObject(hwnd, as, standIn);
    if (!object && standIn) standIn->Release();
    return object ? static_cast<IAccessible*>(object) : nullptr;
}

LRESULT WizardWindow::OnGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    // The object goes to the asking process through the component services.
    if (!EnsureComponentServices()) return 0;
    CompleteControls();  // the tree takes in every control
    // An annotated box or bar is the system's own object.
    const ControlState* s = FindByHandle(hwnd);
    if (s && (s->kind == ControlKind::EditBox || s->kind == ControlKind::ProcessBar) && AnnotateNames()) return 0;
    const auto give = LateFunction<decltype(&LresultFromObject)>(kAccessibility, "LresultFromObject");
    if (!give) return 0;
    IAccessible* object = ObjectFor(hwnd);
    if (!object) return 0;
    const LRESULT result = give(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result > 0 ? result : 0;
}

bool WizardWindow::AnnotateNames() {
    if (namesTried_) return named_;
    namesTried_ = true;
    const auto create = LateFunction<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    IAccPropServices* services = nullptr;
    if (!create || FAILED(create(kAnnotationService, nullptr, CLSCTX_INPROC_SERVER, kAnnotationInterface,
                                 reinterpret_cast<void**>(&services)))) {
        return named_ = false;
    }
    bool all = true;
    for (const ControlState& s : controls_) {
        if (s.kind != ControlKind::EditBox && s.kind != ControlKind::ProcessBar) continue;
        const HWND label = s.hwnd ? IntroducingLabel(s.hwnd) : nullptr;
        const ControlState* named = FindByHandle(label);
        if (!named) continue;
        std::wstring name = WideFromText(named->caption);
        all = all && SUCCEEDED(services->SetHwndPropStr(s.hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                        kNameProperty, name.data()));
    }
    services->Release();
    return named_ = all;
}

void WizardWindow::LabelCaptionChanged() {
    if (!named_) return;
    namesTried_ = false;  // the annotated names follow their labels
    AnnotateNames();
}

bool WizardWindow::ToldChildren(HWND parent, std::vector<HWND>& order) {
    struct Told {
        HWND hwnd;
        RECT r;
        LONG row;
    };
    std::vector<Told> told;
    const bool listed = Barrier(false, [&] {
        for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child) || !FindByHandle(child)) continue;
            Told t{child, {}, 0};
            ::GetWindowRect(child, &t.r);
            t.row = t.r.top;
            told.push_back(t);
        }
        order.reserve(told.size());
        return true;
    });
    if (!listed) return false;  // no memory
    // Reading order: rows from the top, each from the left. A control whose top lies in the
    // upper half of a row's first control reads in that row (a box beside its button). A few
    // dozen controls: sorted by insertion, by row and then from the left.
    auto sort = [&told] {
        for (std::size_t i = 1; i < told.size(); ++i) {
            for (std::size_t j = i; j > 0; --j) {
                const Told &a = told[j - 1], &b = told[j];
                if (a.row < b.row || (a.row == b.row && a.r.left <= b.r.left)) break;
                std::swap(told[j - 1], told[j]);
            }
        }
    };
    sort();
    for (std::size_t i = 0, first = 0; i < told.size(); ++i) {
        const RECT& head = told[first].r;
        if (told[i].r.top < head.top + (head.bottom - head.top) / 2) told[i].row = head.top;
        else first = i;
    }
    sort();
    for (const Told& t : told) order.push_back(t.hwnd);
    return true;
}

HWND WizardWindow::IntroducingLabel(HWND box) {
    const ControlState* b = FindByHandle(box);
    if (!b) return nullptr;
    const ControlState* best = nullptr;
    for (const ControlState& s : controls_) {
        if (s.kind != ControlKind::Label || s.parentIndex != b->parentIndex || s.pageOf != b->pageOf) continue;
        const bool above = s.top + s.height <= b->top;
        const bool overlapping = s.left < b->left + b->width && b->left < s.left + s.width;
        if (above && overlapping && (!best || s.top < best->top)) best = &s;
    }
    return best ? best->hwnd : nullptr;
}

// The boxes and the bar are the system's controls: this answers the one question that may be
// ours and hands everything else to the control's own procedure, kept in its user data.
LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // The bar's position, written meanwhile, before anything that reads or draws it.
    if (msg == kTellPosition || msg == PBM_GETPOS || msg == WM_PAINT || msg == WM_PRINTCLIENT || msg == WM_GETOBJECT) {
        WizardWindow* window = WindowOf(hwnd);
        ControlState* bar = window ? window->FindByHandle(hwnd) : nullptr;
        if (bar && bar->positionDue) Barrier(0, [&] { window->TellPosition(*bar); return 0; });
        if (msg == kTellPosition) return 0;
        if (msg == WM_GETOBJECT && window) {
            if (const LRESULT object = Barrier<LRESULT>(0, [&] { return window->OnGetObject(hwnd, wParam, lParam); })) {
                return object;
            }
        }
    }
    return own ? CallWindowProcW(own, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace host
