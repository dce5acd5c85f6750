// What a screen reader reads on the wizard's current step, written to standard output in
// UTF-8: screen_reader. Exit code 0 when read, 1 when there is no wizard window.
#include <windows.h>

#include <algorithm>
#include <string>

#include "tests/e2e/screen_reading.h"

int main() {
    // As the window holds it, whatever the system's ANSI code page.
    HWND wizard = nullptr;
    for (const DWORD start = GetTickCount(); !wizard && GetTickCount() - start < 5000; Sleep(100)) {
        wizard = FindWindowW(nullptr, L"安装向导-Lumora");
        if (wizard && !IsWindowVisible(wizard)) wizard = nullptr;
    }
    if (!wizard) return 1;
    const std::wstring text = remote::ReadingText(remote::ReadAloud(wizard));
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return 0;
}
