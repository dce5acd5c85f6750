// Wait: time on the performance counter, messages handled through the program's loop step, and a
// WM_QUIT left for the main loop.
#include <windows.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "host/window/message_loop.h"
#include "host/system/win32_host.h"

namespace {

constexpr UINT kCount = WM_APP + 1;       // counted by the window
constexpr UINT kSignal = WM_APP + 2;      // sets the event the other thread waits for
constexpr UINT kLate = WM_APP + 3;        // arrives from another thread while waiting
constexpr UINT kSent = WM_APP + 4;        // sent (not posted) from another thread
constexpr UINT kConsumed = WM_APP + 5;    // taken by the pre-translation hook

// Milliseconds on the performance counter, the clock the wait keeps.
double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Seen {
    int counted = 0;
    int late = 0;
    int sent = 0;
    int consumedByWindow = 0;
    int timers = 0;
    double lateAt = 0;
    HANDLE signal = nullptr;
} g_seen;
int g_hookSaw = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kCount: ++g_seen.counted; return 0;
        case kSignal: SetEvent(g_seen.signal); return 0;
        case kLate: ++g_seen.late; g_seen.lateAt = Now(); return 0;
        case kSent: ++g_seen.sent; return 0;
        case kConsumed: ++g_seen.consumedByWindow; return 0;
        case WM_TIMER: ++g_seen.timers; return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool ConsumeHook(MSG& msg) {
    if (msg.message != kConsumed) return false;
    ++g_hookSaw;
    return true;
}

class Waiting : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen = Seen{};
        g_hookSaw = 0;
        WNDCLASSA type = {};
        type.lpfnWndProc = CountingProc;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "LumoraWaitTest";
        RegisterClassA(&type);
        window_ = CreateWindowExA(0, "LumoraWaitTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_seen.signal = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window_);
        CloseHandle(g_seen.signal);
        host::SetPreTranslateHook(nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window_ = nullptr;
    host::Win32Host win32_;
    host::HostServices& host_ = win32_;
};

TEST_F(Waiting, LastsLongerThanTheCountAndLeavesWmQuitQueued) {
    for (int i = 0; i < 3; ++i) PostMessageA(window_, kCount, 0, 0);
    PostQuitMessage(3);
    const double before = Now();
    host_.Wait(15);
    EXPECT_GT(Now() - before, 15.0);
    EXPECT_EQ(g_seen.counted, 3);
    // The multimedia library would take the shell helpers' place in memory (a copy of them).
    EXPECT_EQ(GetModuleHandleA("winmm.dll"), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Waiting, AQueuedQuitEndsTheHandlingOfWhatFollowsIt) {
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 4, 0);
    PostMessageA(window_, kCount, 0, 0);
    const double before = Now();
    host_.Wait(100);  // must still take its time although the queue is never empty
    EXPECT_GT(Now() - before, 100.0);
    EXPECT_EQ(g_seen.counted, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 4u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, kCount);
}

TEST_F(Waiting, ZeroOrLessReturnsWithoutHandlingAnything) {
    PostMessageA(window_, kCount, 0, 0);
    host_.Wait(0);
    host_.Wait(-20);
    EXPECT_EQ(g_seen.counted, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, kCount, kCount, PM_NOREMOVE));
}

TEST_F(Waiting, MessagesArrivingMeanwhileAreHandledWhenTheyArrive) {
    // The other thread starts once the wait is under way (the first posted message signals it),
    // then sends one message and posts another. A wait that only looked at the queue at its end
    // would handle the posted one a whole second late.
    PostMessageA(window_, kSignal, 0, 0);
    SetTimer(window_, 1, 10, nullptr);
    std::atomic<bool> sendReturned{false};
    std::thread other([this, &sendReturned] {
        WaitForSingleObject(g_seen.signal, 10000);
        Sleep(50);
        SendMessageA(window_, kSent, 0, 0);
        sendReturned = true;
        PostMessageA(window_, kLate, 0, 0);
    });
    const double start = Now();
    host_.Wait(1000);
    const double end = Now();
    other.join();
    KillTimer(window_, 1);
    EXPECT_GT(end - start, 1000.0);
    EXPECT_EQ(g_seen.sent, 1);
    EXPECT_TRUE(sendReturned);
    ASSERT_EQ(g_seen.late, 1);
    EXPECT_LT(g_seen.lateAt - start, 700.0) << "a message that arrived during the wait was left lying";
    EXPECT_GE(g_seen.timers, 3);
}

TEST_F(Waiting, GoesThroughTheProgramsLoopStep) {
    host::SetPreTranslateHook(ConsumeHook);
    PostMessageA(window_, kConsumed, 0, 0);
    PostMessageA(window_, kCount, 0, 0);
    host_.Wait(5);
    EXPECT_EQ(g_hookSaw, 1);
    EXPECT_EQ(g_seen.consumedByWindow, 0);
    EXPECT_EQ(g_seen.counted, 1);
}

}  // namespace
