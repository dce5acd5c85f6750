#include "tests/e2e/screen_reading.h"

#include <oleacc.h>

#include <algorithm>
#include <iterator>

namespace remote {
namespace {

ToldObject Tell(IAccessible* object, long childId = CHILDID_SELF) {
    ToldObject told;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = childId;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) told.role = value.lVal;
    VariantClear(&value);
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) told.state = value.lVal;
    VariantClear(&value);
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) told.name.assign(name, SysStringLen(name));
    SysFreeString(name);
    BSTR content = nullptr;
    if (told.role == ROLE_SYSTEM_TEXT && object->get_accValue(self, &content) == S_OK && content) {
        told.value.assign(content, SysStringLen(content));
    }
    SysFreeString(content);
    if (childId == CHILDID_SELF) WindowFromAccessibleObject(object, &told.hwnd);
    return told;
}

void ReadChildren(IAccessible* container, std::vector<ToldObject>& into);

// The object a child variant stands for, told; an element without an object of its own is
// told by its container. A pane's children go `into` the reading in its place.
ToldObject TellVariant(IAccessible* container, const VARIANT& child, std::vector<ToldObject>* into = nullptr) {
    if (child.vt == VT_I4) return Tell(container, child.lVal);
    ToldObject told;
    IAccessible* object = nullptr;
    if (child.vt == VT_DISPATCH && child.pdispVal &&
        SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
        told = Tell(object);
        if (into && told.role == ROLE_SYSTEM_PANE) ReadChildren(object, *into);
        object->Release();
    }
    return told;
}

// As screen readers read: the panes by their children, a picture without a name not at all.
void ReadChildren(IAccessible* container, std::vector<ToldObject>& into) {
    long count = 0;
    std::vector<VARIANT> children(SUCCEEDED(container->get_accChildCount(&count)) ? std::max(count, 0L) : 0);
    if (children.empty() || FAILED(AccessibleChildren(container, 0, count, children.data(), &count))) return;
    for (long i = 0; i < count; ++i) {
        const ToldObject told = TellVariant(container, children[static_cast<std::size_t>(i)], &into);
        if (told.role != ROLE_SYSTEM_PANE && (told.role != ROLE_SYSTEM_GRAPHIC || !told.name.empty())) into.push_back(told);
        VariantClear(&children[static_cast<std::size_t>(i)]);
    }
}

// A caption's line breaks start indented lines of the reading.
std::wstring AsLines(std::wstring text) {
    for (std::size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos;) {
        text.replace(at, 2, L"\n        ");
        at += 9;
    }
    return text;
}

std::wstring RoleText(long role) {
    wchar_t text[128] = {};
    GetRoleTextW(static_cast<DWORD>(role), text, static_cast<UINT>(std::size(text)));
    return text;
}

std::wstring StateText(long flag) {
    wchar_t text[128] = {};
    GetStateTextW(static_cast<DWORD>(flag), text, static_cast<UINT>(std::size(text)));
    return text;
}

}  // namespace

ScreenReading ReadAloud(HWND window) {
    ScreenReading reading;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* top = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&top))) &&
        top) {
        reading.read = true;
        reading.window = Tell(top);
        ReadChildren(top, reading.children);
        VARIANT focus;
        VariantInit(&focus);
        if (top->get_accFocus(&focus) == S_OK) reading.focus = TellVariant(top, focus);
        VariantClear(&focus);
        top->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return reading;
}

std::wstring ReadingText(const ScreenReading& reading) {
    if (!reading.read) return L"(the window tells nothing)\n";
    std::wstring text = reading.window.name + L" (" + RoleText(reading.window.role) + L")\n";
    for (const ToldObject& child : reading.children) {
        text += L"    " + RoleText(child.role) + L": " + AsLines(child.name);
        // A box's content: its first line, cut after its first words.
        if (const std::size_t start = child.value.find_first_not_of(L"\r\n "); start != std::wstring::npos) {
            std::wstring shown = child.value.substr(start, child.value.find_first_of(L"\r\n", start) - start);
            if (shown.size() > 40) shown.resize(40);
            text += L" = " + shown + (shown.size() < child.value.size() - start ? L"…" : L"");
        }
        for (const long flag : {STATE_SYSTEM_CHECKED, STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_FOCUSED}) {
            if (child.state & flag) text += L" (" + StateText(flag) + L")";
        }
        text += L"\n";
    }
    text += L"focus: ";
    text += reading.focus.role ? reading.focus.name + L" (" + RoleText(reading.focus.role) + L")" : L"none";
    return text + L"\n";
}

}  // namespace remote
