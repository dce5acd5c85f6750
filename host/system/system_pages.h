#pragma once
// Memory that a passing piece of work takes from the system and gives back whole when done
// (a decoded picture's work areas, the system's process list): taken from the heap, its pages
// would stay with the process for as long as it runs.
#include <windows.h>

#include <cstddef>

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

}  // namespace host
