// What assistive technology is told about the window: the window as a dialog named by its title,
// whose children are the controls a person can see, in reading order; the labels we paint as
// static text with their captions, the pictures and shapes as graphics without text, the boxes
// named by the label that introduces them. Buttons, check and radio boxes and the bar keep the
// system's own objects. The accessibility library is loaded at the first question, never before.
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "host/system/barrier.h"
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
        std::vector<HWND> told;
        if (!window || !window->ToldControls(told)) return E_FAIL;
        *count = static_cast<long>(told.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (as_ != As::Dialog || child.vt != VT_I4) return E_INVALIDARG;
        WizardWindow* window = WindowOf(hwnd_);
        std::vector<HWND> told;
        if (!window || !window->ToldControls(told)) return E_FAIL;
        if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > told.size()) return E_INVALIDARG;
        *out = window->ObjectFor(told[static_cast<std::size_t>(child.lVal - 1)]);
        return *out ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(hwnd_)) return E_FAIL;
        HWND named = hwnd_;  // the dialog by its title, a label by its caption
        if (as_ == As::Graphic) return S_FALSE;  // nothing to read
        if (as_ == As::NamedBox) {
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
        std::vector<HWND> told;
        if (!window->ToldControls(told)) return E_FAIL;
        bool isTold = false;
        for (HWND h : told) isTold = isTold || h == focus;
        IAccessible* object = isTold ? window->ObjectFor(focus) : nullptr;
        if (!object) return S_FALSE;
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
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

bool WizardWindow::ToldControls(std::vector<HWND>& order) {
    CompleteControls();
    struct Told {
        HWND hwnd;
        RECT r;
        LONG row;
    };
    std::vector<Told> told;
    const bool listed = Barrier(false, [&] {
        for (const ControlState& s : controls_) {
            if (!s.hwnd || IsContainer(s.kind) || !IsWindowVisible(s.hwnd) || IsCovered(s.hwnd)) continue;
            Told t{s.hwnd, {}, 0};
            GetWindowRect(s.hwnd, &t.r);
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

// The boxes are the system's edit controls: this answers the one question that is ours and
// hands everything else to the control's own procedure, kept in its user data.
LRESULT CALLBACK EditBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_GETOBJECT) {
        WizardWindow* window = WindowOf(hwnd);
        if (const LRESULT object = window ? Barrier<LRESULT>(0, [&] { return window->OnGetObject(hwnd, wParam, lParam); })
                                          : 0) {
            return object;
        }
    }
    return own ? CallWindowProcW(own, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace host
