/* A product with unsaved work: asked to close (the end of the session, or WM_CLOSE), it writes
   "saved" beside itself and closes; with LUMORA_IGNORE_CLOSE set it ignores every request.
   LUMORA_CLOSE_ANSWER makes it another kind of program: "refuse" (its user cancels its own
   question), "ask" (it asks its user for seven seconds, answering messages all the while, and
   writes "cut" if told to end meanwhile), "hang" (it stops answering when asked) or "hidden"
   (its only window is never shown). */
#include <windows.h>

static wchar_t answer[16];
static int asking;

static void Mark(const wchar_t* name) {
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\') --n;
    lstrcpyW(path + n, name);
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
}

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m;
    DWORD start = GetTickCount();
    if (message == WM_QUERYENDSESSION && !lstrcmpW(answer, L"hang")) Sleep(INFINITE);
    if (message == WM_QUERYENDSESSION && !lstrcmpW(answer, L"ask")) {
        for (asking = 1; GetTickCount() - start < 7000; MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT)) {
            while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
        asking = 0;
    }
    if (message == WM_QUERYENDSESSION) return lstrcmpW(answer, L"refuse") != 0;
    if (message == WM_ENDSESSION && asking) Mark(L"cut");
    if (message == WM_CLOSE && !lstrcmpW(answer, L"refuse")) return 0;
    if ((message == WM_ENDSESSION && wParam) || message == WM_CLOSE) {
        if (GetEnvironmentVariableW(L"LUMORA_IGNORE_CLOSE", NULL, 0)) return 0;
        Mark(L"saved");
        if (message == WM_ENDSESSION && !lstrcmpW(answer, L"hidden")) DestroyWindow(window);
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    WNDCLASSW kind = {0, Procedure, 0, 0, instance, NULL, NULL, NULL, NULL, L"ClosingProduct"};
    MSG message;
    HWND window;
    (void)previous, (void)line;
    GetEnvironmentVariableW(L"LUMORA_CLOSE_ANSWER", answer, 16);
    RegisterClassW(&kind);
    window = CreateWindowW(L"ClosingProduct", L"Lumora", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL, instance, NULL);
    if (lstrcmpW(answer, L"hidden")) ShowWindow(window, show);
    while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
