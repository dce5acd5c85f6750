// Lumora.exe: the product's main window. It shows what Function.dll, found beside the
// program, reports; without the library it says so instead of failing to start. Its texts,
// and the library's, are GBK: the window gets them in UTF-16, converted with code page 936
// named, so that they read the same on a Windows of any ANSI code page.
#include <windows.h>

#include <string>

#include "host/system/system_text.h"
#include "product/function/data_get.h"

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraMainWindow";
constexpr char kTitle[] = "Lumora v" LUMORA_VERSION;
constexpr int kInfoId = 100;

// The folder of this program, wide so that any folder name survives.
std::wstring OwnFolder() {
    std::wstring path(260, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The text that Function.dll's DataGet gives, or a note on why there is none. The library
// stays loaded for the life of the process, so the text stays valid.
std::string LibraryText() {
    std::wstring dll = OwnFolder() + L"\\Function.dll";
    HMODULE library = LoadLibraryW(dll.c_str());
    if (library == nullptr) return "找不到 Function.dll，请重新安装 Lumora。";
    auto dataGet = reinterpret_cast<DataGetFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "DataGet")));
    if (dataGet == nullptr) return "Function.dll 已损坏，请重新安装 Lumora。";
    const char* text = dataGet();
    return text != nullptr ? text : "";
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const std::wstring text = host::WideFromText(LibraryText());
        HWND info = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT,
                                    20, 20, 440, 60, window,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInfoId)),
                                    reinterpret_cast<LPCREATESTRUCTW>(lParam)->hInstance, nullptr);
        SendMessageW(info, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) return 1;

    HWND window = CreateWindowExW(0, kWindowClass, host::WideFromText(kTitle).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 500, 160, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
