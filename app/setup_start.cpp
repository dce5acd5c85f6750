// The setup's entry point, in place of the C runtime's start-up code (the link takes this
// object where it would take that code's, see CMakeLists.txt). The setup reads no command
// line, has no thread-local data and imports no data from a library, so of that start-up only
// the static constructors remain to be run: from the last to the first, as the runtime does.
// Then the program, and its exit code, which is always 0. Nothing runs after it: what the
// setup holds, the system releases with the process.
#include <windows.h>

#include <cstddef>

// The linker's list of static constructors: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])();

// What asks to run at the end (the compiler's own start-up object does) is not run.
extern "C" int atexit(void (*)()) { return 0; }

extern "C" [[noreturn]] void WinMainCRTStartup() {
    std::size_t count = 1;
    while (__CTOR_LIST__[count]) ++count;
    while (--count > 0) __CTOR_LIST__[count]();
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}
