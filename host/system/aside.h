#pragma once
// The program's one thread beside its window: it loads the common controls once the window
// shows, and later writes the install's files ahead. Under Wine a thread holds about a
// megabyte of private memory from its start until another thread ends, so one thread serves
// every such job and waits between them rather than each job having a thread of its own.

namespace host {

// Hands `job` to that thread, which runs job(argument) after every job handed to it before;
// false when there is no such thread (then nothing runs, and the caller does the work itself).
bool RunAside(void (*job)(void*), void* argument);

}  // namespace host
