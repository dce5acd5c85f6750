#pragma once
// Closing a running program as Windows closes programs for an installer: every top-level
// window of it asked first, a refusal taken as final, and the program ended only when it hangs,
// when it agreed and is still there some seconds after being told to end, or when it has no
// window to ask. The setup and 卸载.exe share it.

namespace host {

enum class CloseOutcome {
    Gone,      // it closed, or it was ended
    Refused,   // it (its user) said no: it keeps running, and has been told that it may
    NotEnded,  // it had ended already, or it could not be ended
};

// Asks each top-level window of `process` (a handle with the rights to wait for it, to end it
// and to query it), hidden ones too, whether it may end (WM_QUERYENDSESSION with
// ENDSESSION_CLOSEAPP). A program busy with a question of its own is waited for as long as its
// user takes; only one that stops answering messages (hung, as the system judges it) is ended
// meanwhile. All agreed: each window is told to end (WM_ENDSESSION) and asked to close, and
// whatever still runs `waitMs` later is ended. One refused: each window asked is told that the
// session goes on (WM_ENDSESSION FALSE), and nothing more is sent.
CloseOutcome CloseAsked(void* process, unsigned long waitMs);

}  // namespace host
