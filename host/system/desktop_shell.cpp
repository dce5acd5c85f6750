// Opening things as the signed-in user: the desktop's own shell is asked to do it, so that
// what starts runs with the rights of that shell rather than the setup's.
#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include "host/system/late_library.h"
#include "host/system/owned.h"
#include "host/system/system_text.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

// Defined here rather than taken from the system's GUID library, which would bring thousands
// of others along; the interfaces' own ids come with their declarations.
constexpr GUID kShellWindowsClass = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
constexpr GUID kTopLevelBrowserService = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

// A VARIANT holding a string of its own, for the call across to the shell's process.
class StringArgument {
public:
    explicit StringArgument(const std::wstring& text) {
        const auto allocate = LateFunction<decltype(&SysAllocString)>("oleaut32.dll", "SysAllocString");
        free_ = LateFunction<decltype(&SysFreeString)>("oleaut32.dll", "SysFreeString");
        value_.vt = VT_BSTR;
        value_.bstrVal = allocate && free_ ? allocate(text.c_str()) : nullptr;
    }
    ~StringArgument() {
        if (value_.bstrVal) free_(value_.bstrVal);
    }
    StringArgument(const StringArgument&) = delete;
    StringArgument& operator=(const StringArgument&) = delete;
    bool valid() const { return value_.bstrVal != nullptr; }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_ = {};
    decltype(&SysFreeString) free_ = nullptr;
};

// The shell's automation object of the desktop's view, or null.
bool DesktopShell(ComRef<IShellDispatch2>& shell) {
    const auto create = LateFunction<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    ComRef<IShellWindows> windows;
    if (!EnsureComponentServices() || !create ||
        FAILED(create(kShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows), windows.out()))) {
        return false;
    }
    VARIANT desktop = {};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT none = {};
    long window = 0;
    ComRef<IDispatch> found;
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) != S_OK ||
        !found) {
        return false;
    }
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    return SUCCEEDED(found->QueryInterface(__uuidof(IServiceProvider), services.out())) &&
           SUCCEEDED(services->QueryService(kTopLevelBrowserService, __uuidof(IShellBrowser), browser.out())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.put())) && view &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.out())) &&
           SUCCEEDED(background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.out())) &&
           SUCCEEDED(folderView->get_Application(application.put())) && application &&
           SUCCEEDED(application->QueryInterface(__uuidof(IShellDispatch2), shell.out())) && shell;
}

}  // namespace

bool Win32Host::OpenAsDesktopUser(const Text& file, const Text& folder) {
    // Without a shell window the session has no desktop shell of its own to ask.
    if (GetShellWindow() == nullptr) return false;
    ComRef<IShellDispatch2> shell;
    if (!DesktopShell(shell)) return false;
    const std::wstring wideFile = WideFromText(file);
    const StringArgument target(wideFile), none(L""), where(WideFromText(folder));
    if (wideFile.empty() || !target.valid() || !none.valid() || !where.valid()) return false;
    VARIANT defaultAction = {};  // empty: the file's default verb
    VARIANT show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    const HRESULT result = shell->ShellExecute(target.get().bstrVal, none.get(), where.get(), defaultAction, show);
    return SUCCEEDED(result);
}

}  // namespace host
