/* A product with unsaved work, for the running-product question: asked to close (the end of
   the session, or WM_CLOSE), it writes "saved" beside itself and closes. Started with
   LUMORA_IGNORE_CLOSE set, it ignores every request and runs on. */
#include <windows.h>

static int ignoring;

static void Save(void) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\') --n;
    if (n == 0 || n + 6 > MAX_PATH) return;
    lstrcpyW(path + n, L"saved");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
}

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ignoring && (message == WM_CLOSE || message == WM_ENDSESSION)) return 0;
    if ((message == WM_ENDSESSION && wParam) || message == WM_CLOSE) Save();
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    WNDCLASSW kind = {0, Procedure, 0, 0, instance, NULL, NULL, NULL, NULL, L"ClosingProduct"};
    MSG message;
    (void)previous;
    (void)line;
    ignoring = GetEnvironmentVariableW(L"LUMORA_IGNORE_CLOSE", NULL, 0) > 0;
    RegisterClassW(&kind);
    ShowWindow(CreateWindowW(L"ClosingProduct", L"Lumora", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL, instance, NULL),
               show);
    while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
