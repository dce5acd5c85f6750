#pragma once
// Closing a running program as Windows closes it at sign-out: asked first, so that it can keep
// the user's work, and ended only when it has not gone by itself. The setup and 卸载.exe share it.

namespace host {

// Asks each visible top-level window of `process` (a handle with the rights to wait for and to
// end it) to end its session and to close, waits up to `waitMs` with the wait cursor, and ends
// the process when it still runs then. True when the process has ended; false when it had
// ended already or could not be ended.
bool CloseThenEnd(void* process, unsigned long waitMs);

}  // namespace host
