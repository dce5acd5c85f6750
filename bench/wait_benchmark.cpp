// How much processor time Wait costs: a one-second Wait with an idle queue, with a timer
// ticking every 10 ms, and with a WM_QUIT queued, beside a loop that polls the queue for a
// second, to show what spinning would cost here; and what the install's 90 waits of 15 ms
// take on their own, each returning only once the tick counter has moved on by more than 15.
// Prints the figures; asserts nothing.
#include <windows.h>

#include <cstdio>

#include "host/system/win32_host.h"

namespace {

double CpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

template <typename Body>
void Measure(const char* label, Body body) {
    const double cpuBefore = CpuMilliseconds();
    const DWORD wallBefore = GetTickCount();
    body();
    const DWORD wall = GetTickCount() - wallBefore;
    const double cpu = CpuMilliseconds() - cpuBefore;
    std::printf("%-28s wall %5lu ms  cpu %7.1f ms  (%.1f%% of wall)\n", label,
                static_cast<unsigned long>(wall), cpu, wall ? 100.0 * cpu / wall : 0.0);
}

}  // namespace

int main() {
    host::Win32Host win32;
    host::HostServices& host = win32;
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    const auto wait = [&host] { host.Wait(1000); };
    Measure("Wait(1000), idle queue", wait);
    SetTimer(window, 1, 10, nullptr);
    Measure("Wait(1000), 10 ms timer", wait);
    KillTimer(window, 1);
    PostQuitMessage(0);
    Measure("Wait(1000), WM_QUIT queued", wait);
    Measure("reference: polling loop", [] {
        const DWORD start = GetTickCount();
        MSG msg;
        while (GetTickCount() - start <= 1000) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    });
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    const double cpuBefore = CpuMilliseconds();
    for (int step = 0; step < 90; ++step) host.Wait(15);
    QueryPerformanceCounter(&after);
    std::printf("%-28s wall %7.1f ms  cpu %5.1f ms  (%.3fx the 1350 ms asked)\n", "Wait(15) 90 times, idle",
                1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart),
                CpuMilliseconds() - cpuBefore,
                static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart) / 1.35);
    DestroyWindow(window);
    std::fflush(stdout);
    return 0;
}
