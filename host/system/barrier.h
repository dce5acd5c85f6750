#pragma once
// Where the system calls us (the entry point, window procedures, the message loop), no
// exception may pass. The barrier runs the body and answers `fallback` for whatever it throws.
// The shipped setup is compiled without exceptions: nothing can throw there (a failed
// allocation ends the program with 0), and the barrier is the call alone.
#include <utility>

namespace host {

template <typename Result, typename Body>
Result Barrier(Result fallback, Body&& body) {
#if defined(__cpp_exceptions)
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
#else
    static_cast<void>(fallback);
    return std::forward<Body>(body)();
#endif
}

}  // namespace host
