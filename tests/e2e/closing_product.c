/* A product with unsaved work: asked to close (the end of the session, or WM_CLOSE), it writes
   "saved" beside itself and closes; with LUMORA_IGNORE_CLOSE set it ignores every request. */
#include <windows.h>

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    if ((message == WM_ENDSESSION && wParam) || message == WM_CLOSE) {
        if (GetEnvironmentVariableW(L"LUMORA_IGNORE_CLOSE", NULL, 0)) return 0;
        while (n > 0 && path[n - 1] != L'\\') --n;
        lstrcpyW(path + n, L"saved");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    WNDCLASSW kind = {0, Procedure, 0, 0, instance, NULL, NULL, NULL, NULL, L"ClosingProduct"};
    MSG message;
    (void)previous, (void)line;
    RegisterClassW(&kind);
    ShowWindow(CreateWindowW(L"ClosingProduct", L"Lumora", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL, instance, NULL), show);
    while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
