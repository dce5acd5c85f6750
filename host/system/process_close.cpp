#include "host/system/process_close.h"

#include <windows.h>

#include <vector>

#include "host/system/owned.h"

namespace host {
namespace {

// What the asking thread does and finds. It outlives the caller when the program it asks can be
// neither answered nor ended (its send then never returns): the caller leaves it to the thread.
struct Asking {
    DWORD processId = 0;
    std::vector<HWND> windows;
    HWND current = nullptr;  // the window being asked now, for the hang check (read across threads)
    bool refused = false;
    LONG owners = 2;  // the caller and the thread; the last one to let go frees it
};

void LetGo(Asking* asking) {
    if (InterlockedDecrement(&asking->owners) == 0) delete asking;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* asking = reinterpret_cast<Asking*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == asking->processId) asking->windows.push_back(window);
    return TRUE;
}

// Sent without a time limit that a question could outrun: a program whose user takes a minute
// over its own "save changes?" is answering messages all along. A hung one is the caller's to end,
// which ends this send too.
constexpr UINT kNoLimitMs = 24u * 60 * 60 * 1000;

// Whether the window answered the message; its answer in `answer`.
bool Ask(HWND window, UINT message, WPARAM wParam, DWORD_PTR& answer) {
    return SendMessageTimeoutW(window, message, wParam, ENDSESSION_CLOSEAPP, SMTO_NORMAL, kNoLimitMs, &answer) != 0;
}

// On the asking thread: the question to every window, then what the answers call for.
DWORD WINAPI AskEveryWindow(void* param) {
    auto* asking = static_cast<Asking*>(param);
    std::size_t asked = 0;
    for (; asked < asking->windows.size() && !asking->refused; ++asked) {
        const HWND window = asking->windows[asked];
        InterlockedExchangePointer(reinterpret_cast<void**>(&asking->current), window);
        DWORD_PTR answer = TRUE;
        // A window gone meanwhile has no say.
        asking->refused = Ask(window, WM_QUERYENDSESSION, 0, answer) && answer == FALSE;
    }
    for (std::size_t i = 0; i < asked; ++i) {
        const HWND window = asking->windows[i];
        InterlockedExchangePointer(reinterpret_cast<void**>(&asking->current), window);
        DWORD_PTR ignored = 0;
        Ask(window, WM_ENDSESSION, asking->refused ? FALSE : TRUE, ignored);
        // Its work kept, a program that does not end with the session closes on this.
        if (!asking->refused && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    LetGo(asking);
    return 0;
}

// How often the caller looks whether the window being asked still answers.
constexpr DWORD kHangCheckMs = 250;

}  // namespace

CloseOutcome CloseAsked(void* process, unsigned long waitMs) {
    if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return CloseOutcome::NotEnded;  // gone already
    const DWORD processId = GetProcessId(process);
    auto* asking = new Asking;
    asking->processId = processId;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(asking));
    // Its own question must come to the front: the user's last click was on ours.
    AllowSetForegroundWindow(processId);
    OwnedHandle thread(asking->windows.empty() ? nullptr : CreateThread(nullptr, 64u << 10, AskEveryWindow, asking,
                                                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread.valid()) LetGo(asking);  // the thread's share, never taken up
    bool hung = !thread.valid();  // a program without a window cannot be asked: it is ended as before
    bool gone = false;
    for (const HANDLE both[] = {thread.get(), process}; !hung;) {
        const DWORD woke = MsgWaitForMultipleObjects(2, both, FALSE, kHangCheckMs, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_OBJECT_0 + 1) {
            gone = true;
            break;
        }
        if (woke == WAIT_OBJECT_0 + 2) {
            // Whatever the program sends our windows meanwhile is answered; nothing else of ours runs.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (woke != WAIT_TIMEOUT) {
            hung = true;
            break;
        }
        const auto current = static_cast<HWND>(InterlockedCompareExchangePointer(
            reinterpret_cast<void**>(&asking->current), nullptr, nullptr));
        hung = current != nullptr && IsHungAppWindow(current);
    }
    const bool refused = !hung && !gone && asking->refused;
    LetGo(asking);
    if (refused) return CloseOutcome::Refused;
    if (gone || (!hung && WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0)) return CloseOutcome::Gone;
    if (!TerminateProcess(process, 0)) return CloseOutcome::NotEnded;
    // Waited for until its files are free, for what follows.
    WaitForSingleObject(process, 5000);
    return CloseOutcome::Gone;
}

}  // namespace host
