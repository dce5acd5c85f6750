// The C++ runtime's hooks in the setup, which is compiled without exceptions: nothing in it
// tells one failure from another by throwing, and without them no unwinder, personality
// routine or emergency pool is linked. What would have thrown ends the setup with 0 instead,
// as every way out of it does: an allocation that fails (the files already in place stay
// whole, and a new file still being written goes with the process), or a container asked for
// an impossible size.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void EndWithZero() { ExitProcess(0); }

void* Allocate(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    EndWithZero();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace std {
// Defined here, the library's object that holds it (and its unwind tables) stays out.
const nothrow_t nothrow{};
void __throw_bad_alloc() { EndWithZero(); }
void __throw_bad_array_new_length() { EndWithZero(); }
void __throw_length_error(const char*) { EndWithZero(); }
void __throw_logic_error(const char*) { EndWithZero(); }
void __throw_out_of_range_fmt(const char*, ...) { EndWithZero(); }
}  // namespace std
