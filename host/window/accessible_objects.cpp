// What assistive technology is told about the window: the window as a dialog named by its title,
// whose children are the controls a person can see, in reading order; the labels we paint as
// static text with their captions, the pictures and shapes as graphics without text, the boxes
// named by the label that introduces them. Buttons, check and radio boxes and the bar keep the
// system's own objects. The accessibility library is loaded at the first question, never before.
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "host/system/late_library.h"
#include "host/window/window_internals.h"

namespace host {
namespace {

constexpr char kAccessibility[] = "oleacc.dll";

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

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(hwnd), 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

HRESULT GiveText(const std::wstring& text, BSTR* out) {
    // The automation library comes with the accessibility library: no import of ours.
    const auto allocate = LateFunction<decltype(&SysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
    *out = allocate ? allocate(text.data(), static_cast<UINT>(text.size())) : nullptr;
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace

// One object per question; it keeps only the window it tells of and the system's stand-in for
// it, to which whatever it does not answer itself goes, and asks the live window each time.
class WizardWindow::AccessibleObject final : public IAccessible {
public:
    enum class As { Dialog, StaticText, Graphic, NamedBox };
    AccessibleObject(HWND hwnd, As as, IAccessible* standIn) : hwnd_(hwnd), as_(as), standIn_(standIn) {}
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

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
        *count = 0;
        if (as_ != As::Dialog) return S_OK;
        WizardWindow* window = WindowOf(hwnd_);
        if (!window) return E_FAIL;
        try {
            *count = static_cast<long>(window->ToldControls().size());
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (as_ != As::Dialog || child.vt != VT_I4) return E_INVALIDARG;
        WizardWindow* window = WindowOf(hwnd_);
        if (!window) return E_FAIL;
        try {
            const std::vector<HWND> told = window->ToldControls();
            if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > told.size()) return E_INVALIDARG;
            *out = window->ObjectFor(told[static_cast<std::size_t>(child.lVal - 1)]);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return *out ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(hwnd_)) return E_FAIL;
        try {
            switch (as_) {
            case As::Dialog:  // named by its title
            case As::StaticText:  // its caption, as the system's static control is
                return GiveText(WindowText(hwnd_), out);
            case As::Graphic:
                return S_FALSE;  // nothing to read
            case As::NamedBox: {
                WizardWindow* window = WindowOf(hwnd_);
                const HWND label = window ? window->IntroducingLabel(hwnd_) : nullptr;
                if (label) return GiveText(WindowText(label), out);
                return standIn_ ? standIn_->get_accName(child, out) : S_FALSE;
            }
            }
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (as_ == As::NamedBox && standIn_) return standIn_->get_accRole(child, out);
        out->vt = VT_I4;
        out->lVal = as_ == As::Dialog       ? ROLE_SYSTEM_DIALOG
                    : as_ == As::StaticText ? ROLE_SYSTEM_STATICTEXT
                    : as_ == As::Graphic    ? ROLE_SYSTEM_GRAPHIC
                                            : ROLE_SYSTEM_TEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!IsSelf(child)) return E_INVALIDARG;
        if ((as_ == As::Dialog || as_ == As::NamedBox) && standIn_) return standIn_->get_accState(child, out);
        if (!IsWindow(hwnd_)) return E_FAIL;
        // Painted texts and pictures are read, never edited; out of sight they say so.
        long state = STATE_SYSTEM_READONLY;
        if (!IsWindowVisible(hwnd_) || IsCovered(hwnd_)) state |= STATE_SYSTEM_INVISIBLE;
        out->vt = VT_I4;
        out->lVal = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        if (as_ != As::Dialog) return standIn_ ? standIn_->get_accFocus(out) : S_FALSE;
        WizardWindow* window = WindowOf(hwnd_);
        if (!window) return E_FAIL;
        const HWND focus = GetFocus();
        if (focus == hwnd_) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        try {
            const std::vector<HWND> told = window->ToldControls();
            if (std::find(told.begin(), told.end(), focus) == told.end()) return S_FALSE;
            if (IAccessible* object = window->ObjectFor(focus)) {
                out->vt = VT_DISPATCH;
                out->pdispVal = object;
                return S_OK;
            }
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_FALSE;
    }

    // The rest as the system's stand-in answers it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return standIn_ ? standIn_->get_accParent(out) : E_NOTIMPL;
    }
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
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return standIn_ ? standIn_->accNavigate(direction, start, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return standIn_ ? standIn_->accHitTest(x, y, out) : E_NOTIMPL;
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
            as = As::Graphic;
            break;
        case ControlKind::EditBox:
            as = As::NamedBox;
            break;
        case ControlKind::Tab:
            return nullptr;  // the system's pane
        default:
            return StandIn(hwnd);  // the standard controls: the system's own objects
        }
    }
    IAccessible* standIn = StandIn(hwnd);
    auto* object = new (std::nothrow) AccessibleObject(hwnd, as, standIn);
    if (!object && standIn) standIn->Release();
    return object;
}

LRESULT WizardWindow::OnGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    // The object goes to the asking process through the component services.
    if (!EnsureComponentServices()) return 0;
    const auto give = LateFunction<decltype(&LresultFromObject)>(kAccessibility, "LresultFromObject");
    if (!give) return 0;
    IAccessible* object = ObjectFor(hwnd);
    if (!object) return 0;
    const LRESULT result = give(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result > 0 ? result : 0;
}

std::vector<HWND> WizardWindow::ToldControls() {
    CompleteControls();
    struct Told {
        HWND hwnd;
        RECT r;
    };
    std::vector<Told> told;
    for (const ControlState& s : controls_) {
        if (!s.hwnd || IsContainer(s.kind) || !IsWindowVisible(s.hwnd) || IsCovered(s.hwnd)) continue;
        RECT r{};
        GetWindowRect(s.hwnd, &r);
        told.push_back({s.hwnd, r});
    }
    // Reading order: rows from the top, each from the left. A control whose top lies in the
    // upper half of a row's first control reads in that row (a box beside its button).
    auto byLeft = [](const Told& a, const Told& b) { return a.r.left < b.r.left; };
    std::sort(told.begin(), told.end(), [](const Told& a, const Told& b) {
        return a.r.top != b.r.top ? a.r.top < b.r.top : a.r.left < b.r.left;
    });
    for (std::size_t start = 0; start < told.size();) {
        const RECT first = told[start].r;
        std::size_t end = start + 1;
        while (end < told.size() && told[end].r.top < first.top + (first.bottom - first.top) / 2) ++end;
        std::sort(told.begin() + static_cast<std::ptrdiff_t>(start), told.begin() + static_cast<std::ptrdiff_t>(end), byLeft);
        start = end;
    }
    std::vector<HWND> order;
    order.reserve(told.size());
    for (const Told& t : told) order.push_back(t.hwnd);
    return order;
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

// The boxes are the system's edit controls: this answers the one question that is ours and
// hands everything else to the control's own procedure, kept in its user data.
LRESULT CALLBACK EditBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_GETOBJECT) {
        try {
            if (WizardWindow* window = WindowOf(hwnd)) {
                if (const LRESULT object = window->OnGetObject(hwnd, wParam, lParam)) return object;
            }
        } catch (...) {
            return 0;
        }
    }
    return own ? CallWindowProcW(own, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace host
