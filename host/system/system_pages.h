#pragma once
// Memory that a passing piece of work takes from the system and gives back whole when done
// (a decoded picture's work areas, the system's process list): taken from the heap, its pages
// would stay with the process for as long as it runs.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace host {

// At least `size` bytes, zeroed, or null.
inline void* TakePages(std::size_t size) {
    return VirtualAlloc(nullptr, size ? size : 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

// Gives back what TakePages handed out; null does nothing.
inline void GivePagesBack(void* pages) {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

// Pages held for a scope.
class HeldPages {
public:
    explicit HeldPages(std::size_t size) : at_(TakePages(size)) {}
    ~HeldPages() { GivePagesBack(at_); }
    HeldPages(const HeldPages&) = delete;
    HeldPages& operator=(const HeldPages&) = delete;
    void* get() const { return at_; }

private:
    void* at_;
};

// Lets the system take back the pages of the calling thread's stack that lie below `inUse`, an
// address in the caller's frame, with 16 KB to spare for the calls still to come: a thread that
// waits between jobs holds no data there. Its contents become undefined, which a stack below its
// top never relies on. Under Wine every thread starts by zeroing 960 KB of its stack, which then
// stays with the process; on Windows a stack is committed as it grows, and these are the pages
// that a deeper call once used.
inline void GiveBackStackBelow(const void* inUse) {
    constexpr std::uintptr_t kPage = 0x1000, kSpare = 0x4000;
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(inUse) & ~(kPage - 1);
    MEMORY_BASIC_INFORMATION stack{};
    if (at < kSpare || !VirtualQuery(inUse, &stack, sizeof stack)) return;
    char* const end = reinterpret_cast<char*>(at - kSpare);
    // The stack's allocation from its lowest page up: its guard and reserved pages stay as they are.
    for (char* p = static_cast<char*>(stack.AllocationBase); p < end;) {
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(p, &region, sizeof region) || region.AllocationBase != stack.AllocationBase) return;
        char* const regionEnd = std::min(p + region.RegionSize, end);
        if (region.State == MEM_COMMIT && !(region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) {
            VirtualAlloc(p, static_cast<std::size_t>(regionEnd - p), MEM_RESET, PAGE_READWRITE);
        }
        p = regionEnd;
    }
}

}  // namespace host
