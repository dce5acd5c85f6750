// Measures the built setup from another process and prints "name value" lines for the
// benchmark command to lay out:
//   bench_driver startup SETUP.exe BARE.exe BUTTON.exe RUNS [NSIS.exe]
//                                                  from start to each program's window shown,
//                                                  to its first screen on the display, to its
//                                                  answering every message sent to it at
//                                                  once, and to both (its whole first screen),
//                                                  runs alternating; for the setup also
//                                                  to every control made, and the longest a
//                                                  message waited for its answer
//   bench_driver install SETUP.exe                 a whole install: wall, CPU, bytes, memory
//   bench_driver memory BARE.exe                   the bare window's peak private memory
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/remote.h"

namespace {

constexpr std::uint32_t kLastOfFinishPage = 0x16010076u;  // 选择框_查看解决方案
constexpr std::uint32_t kNext = 0x1601000au, kAccept = 0x1601001fu, kTitle = 0x1601002fu, kBar = 0x16010049u;

struct WindowSearch {
    DWORD processId;
    bool dialog;  // the window sought is of the dialog class, as an NSIS wizard's
    HWND found;
};

BOOL CALLBACK MatchShown(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (pid != s->processId || !IsWindowVisible(hwnd) || (lstrcmpA(name, "#32770") == 0) != s->dialog) return TRUE;
    s->found = hwnd;
    return FALSE;
}

// A visible top-level window of the process (of the dialog class or of any other), or null.
HWND ShownWindow(DWORD processId, bool dialog = false) {
    WindowSearch search{processId, dialog, nullptr};
    EnumWindows(MatchShown, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Start {
    double shown = -1;          // the window visible
    double painted = -1;        // its first screen on the display
    double ready = -1;          // a message sent to it once it was visible answered
    double complete = -1;       // every control made
    double longestAnswer = -1;  // the longest a message sent to it once visible waited for its answer
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ChildCount(HWND window) {
    int count = 0;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

// What the first screen of a program looks like once drawn, and how many controls it makes.
struct Expected {
    bool dialog;
    bool (*painted)(HWND window);
    int controls;
};

// The setup's welcome step: the white panel, the side picture (decoded when first drawn), the
// button band, and the Next button on it (its frame, its left edge). Where nothing is drawn
// yet the display shows black, and where only the window is, its white: neither counts.
bool SetupPainted(HWND window) {
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), face = GetSysColor(COLOR_BTNFACE);
    auto drawn = [&](COLORREF c) { return c != white && c != black && c != face && c != CLR_INVALID; };
    if (remote::ScreenPixel(window, 180, 20) != white || remote::ScreenPixel(window, 20, 300) != face ||
        !drawn(remote::ScreenPixel(window, 85, 60))) {
        return false;
    }
    HWND next = remote::FindControl(window, kNext);
    RECT r{};
    return next && GetClientRect(next, &r) && drawn(remote::ScreenPixel(next, 0, r.bottom / 2));
}

// The bare windows: their client area in the window colour.
bool BarePainted(HWND window) { return remote::ScreenPixel(window, 250, 150) == GetSysColor(COLOR_WINDOW); }

// The NSIS wizard's welcome page: its white text pane and its dark side picture.
bool NsisPainted(HWND window) {
    const COLORREF art = remote::ScreenPixel(window, 30, 200);
    return remote::ScreenPixel(window, 400, 250) == RGB(255, 255, 255) && art != CLR_INVALID &&
           GetRValue(art) + GetGValue(art) + GetBValue(art) < 3 * 128;
}

// Milliseconds from starting the program to each moment; -1 for a moment never reached. Until
// the window shows, the poll does not sleep; after that it looks once a millisecond, while a
// thread of its own sends the window a message (WM_NULL) each time the last is answered, until
// kWatchAfterMs after the last moment. Ready is the answer from which on every message was
// answered within kPromptMs: a window that answers once and then goes busy is not ready yet.
constexpr double kPromptMs = 20, kWatchAfterMs = 100;

Start StartToWindow(const std::string& exe, const Expected& expected) {
    Start result;
    const double start = Now();
    remote::Process p = remote::Start(exe);
    if (!p.handle) return result;
    HWND window = nullptr;
    while (!window && Now() - start < 30000) {
        window = ShownWindow(p.id, expected.dialog);
        if (window) result.shown = Now() - start;
        else Sleep(0);
    }
    struct Answer {
        double sent, answered;
    };
    std::vector<Answer> answers;
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (window && !stop) {
            const double sent = Now() - start;
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer)) break;
            answers.push_back({sent, Now() - start});
            Sleep(1);
        }
    });
    double lastMoment = -1;
    while (window && Now() - start < 30000) {
        if (result.painted < 0 && expected.painted(window)) result.painted = Now() - start;
        if (result.complete < 0 && ChildCount(window) >= expected.controls) result.complete = Now() - start;
        if (lastMoment < 0 && result.painted >= 0 && result.complete >= 0) lastMoment = Now() - start;
        if (lastMoment >= 0 && Now() - start > lastMoment + kWatchAfterMs) break;
        Sleep(1);
    }
    stop = true;
    sender.join();
    for (const Answer& a : answers) {
        const double wait = a.answered - a.sent;
        if (result.ready < 0 || wait > kPromptMs) result.ready = a.answered;
        result.longestAnswer = std::max(result.longestAnswer, wait);
    }
    remote::Kill(p);
    return result;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// The peak as the system keeps it, or what it is now when that is more: Wine answers the peak
// with the present figure, so the install samples it as it goes.
double PeakPrivateKb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) return -1;
    return static_cast<double>(std::max(counters.PeakPagefileUsage, counters.PagefileUsage)) / 1024.0;
}

// The control is looked up once: looking it up on every poll would load the Wine server that
// the setup's tick counter and messages go through, and slow what is measured.
bool Until(HWND window, std::uint32_t id, const char* text) {
    const HWND control = remote::FindControl(window, id);
    for (int i = 0; i < 20000; ++i) {
        if (remote::Text(control) == text) return true;
        Sleep(1);
    }
    return false;
}

int Startup(const std::string& setup, const std::string& bare, const std::string& button, int runs,
            const std::string& nsis) {
    struct Program {
        const char* key;
        std::string exe;
        Expected looks;
        std::vector<Start> runs;
    };
    std::vector<Program> programs{{"setup", setup, {false, SetupPainted, 38}, {}},
                                  {"bare", bare, {false, BarePainted, 0}, {}},
                                  {"button", button, {false, BarePainted, 1}, {}}};
    if (!nsis.empty()) programs.push_back({"nsis", nsis, {true, NsisPainted, 0}, {}});
    // The first start of anything pays for loading Wine's own parts.
    for (const Program& program : programs) StartToWindow(program.exe, program.looks);
    // Each round starts with the next program, so that none always follows the same one.
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[(static_cast<std::size_t>(i) + k) % programs.size()];
            program.runs.push_back(StartToWindow(program.exe, program.looks));
        }
    }
    auto median = [](const std::vector<Start>& runs, double Start::*moment) {
        std::vector<double> values;
        for (const Start& r : runs) values.push_back(r.*moment);
        return Median(values);
    };
    for (const Program& program : programs) {
        // The whole first screen: drawn and answering, whichever came last in that run.
        std::vector<double> whole;
        for (const Start& r : program.runs) whole.push_back(r.painted < 0 || r.ready < 0 ? -1 : std::max(r.painted, r.ready));
        std::printf("startup_%s_ms %.1f\npainted_%s_ms %.1f\nready_%s_ms %.1f\nfirst_screen_%s_ms %.1f\n", program.key,
                    median(program.runs, &Start::shown), program.key, median(program.runs, &Start::painted),
                    program.key, median(program.runs, &Start::ready), program.key, Median(whole));
    }
    const std::vector<Start>& setupRuns = programs.front().runs;
    double longest = 0;
    for (const Start& r : setupRuns) longest = std::max(longest, r.longestAnswer);
    std::printf("complete_setup_ms %.1f\nlongest_answer_setup_ms %.1f\nmedian_longest_answer_setup_ms %.1f\n",
                median(setupRuns, &Start::complete), longest, median(setupRuns, &Start::longestAnswer));
    return 0;
}

int Install(const std::string& setup) {
    remote::Process p = remote::Start(setup);
    HWND window = remote::FindTopWindow(p.id, "安装向导-Lumora", 30000);
    if (!window) return 1;
    auto control = [&](std::uint32_t id) { return remote::FindControl(window, id); };
    remote::Click(control(kNext));
    Until(window, kTitle, "许可协议");
    remote::Click(control(kAccept));
    for (int i = 0; i < 5000 && !IsWindowEnabled(control(kNext)); ++i) Sleep(1);
    remote::Click(control(kNext));
    Until(window, kTitle, "选择目标位置");
    const std::string folder = remote::Text(control(0x16010042u));
    remote::Click(control(kNext));
    Until(window, kTitle, "准备安装");
    Sleep(200);

    const double cpuBefore = CpuMs(p.handle);
    const double start = Now();
    remote::Click(control(kNext));
    // The finish page's last control shown, then its button read once: reading a text every
    // millisecond sends the setup a message each time and slows what is measured.
    const HWND lastShown = control(kLastOfFinishPage);
    double peak = PeakPrivateKb(p.handle);
    for (int i = 0; i < 10000 && !IsWindowVisible(lastShown); ++i) {
        Sleep(2);
        if (i % 5 == 0) peak = std::max(peak, PeakPrivateKb(p.handle));
    }
    const double wall = Now() - start;
    const bool finished = remote::Text(control(kNext)) == "完成(I)";
    const double cpu = CpuMs(p.handle) - cpuBefore;
    const int bar = static_cast<int>(SendMessageA(control(kBar), PBM_GETPOS, 0, 0));

    // What was written into the destination.
    double bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) bytes += found.nFileSizeLow;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::printf("install_finished %d\ninstall_steps %d\ninstall_wall_ms %.0f\ninstall_cpu_ms %.0f\n"
                "install_bytes %.0f\ninstall_peak_private_kb %.0f\n",
                finished ? 1 : 0, bar, wall, cpu, bytes, std::max(peak, PeakPrivateKb(p.handle)));
    remote::Kill(p);
    return finished ? 0 : 1;
}

int Memory(const std::string& bare) {
    remote::Process p = remote::Start(bare);
    for (int i = 0; i < 30000 && !ShownWindow(p.id); ++i) Sleep(1);
    Sleep(300);
    std::printf("bare_peak_private_kb %.0f\n", PeakPrivateKb(p.handle));
    remote::Kill(p);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "startup" && (argc == 6 || argc == 7)) {
        return Startup(argv[2], argv[3], argv[4], std::atoi(argv[5]), argc == 7 ? argv[6] : "");
    }
    if (command == "install" && argc == 3) return Install(argv[2]);
    if (command == "memory" && argc == 3) return Memory(argv[2]);
    std::fprintf(stderr, "usage: bench_driver startup SETUP BARE BUTTON RUNS [NSIS] | install SETUP | memory BARE\n");
    return 2;
}
