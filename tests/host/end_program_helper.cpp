// Started by the process tests: opens a window whose close handlers leave a mark, then ends
// through EndProgram. Usage: end_program_helper MARK_FILE EXIT_CODE
#include <windows.h>

#include <cstdlib>

#include "host/system/win32_host.h"

namespace {

const char* g_mark = nullptr;

void Mark(const char* text) {
    const HANDLE file = CreateFileA(g_mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &done, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE || message == WM_QUERYENDSESSION || message == WM_DESTROY) Mark("close query");
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    g_mark = argv[1];
    WNDCLASSA type = {};
    type.lpfnWndProc = WindowProc;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "LumoraEndProgramHelper";
    RegisterClassA(&type);
    CreateWindowExA(0, type.lpszClassName, "end", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                    type.hInstance, nullptr);
    host::Win32Host win32;
    host::HostServices& host = win32;
    host.EndProgram(std::atoi(argv[2]));
    Mark("returned");
    return 3;
}
