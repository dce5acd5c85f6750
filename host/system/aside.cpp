// The thread beside the window, and its queue of jobs.
#include "host/system/aside.h"

#include <windows.h>

#include <new>

#include "host/system/system_pages.h"

namespace host {
namespace {

struct Job {
    void (*run)(void*);
    void* argument;
    Job* next;
};

SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE handed = CONDITION_VARIABLE_INIT;
Job* first = nullptr;
Job* last = nullptr;
bool serving = false;

DWORD WINAPI Serve(void*) {
    for (;;) {
        AcquireSRWLockExclusive(&lock);
        while (!first) SleepConditionVariableSRW(&handed, &lock, INFINITE, 0);
        Job* const job = first;
        first = job->next;
        if (!first) last = nullptr;
        ReleaseSRWLockExclusive(&lock);
        job->run(job->argument);
        delete job;
        // Until the next job the thread needs none of its stack below this frame: the pages that
        // its start and this job wrote go back to the system.
        const char here = 0;
        GiveBackStackBelow(&here);
    }
}

}  // namespace

bool RunAside(void (*job)(void*), void* argument) {
    Job* const handedJob = new (std::nothrow) Job{job, argument, nullptr};
    if (!handedJob) return false;
    AcquireSRWLockExclusive(&lock);
    if (!serving) {
        // Started by the first job; a thread that could not be started is tried again by the next.
        if (const HANDLE thread = CreateThread(nullptr, 0, &Serve, nullptr, 0, nullptr)) {
            serving = true;
            CloseHandle(thread);
        }
    }
    if (serving) {
        (last ? last->next : first) = handedJob;
        last = handedJob;
        WakeConditionVariable(&handed);
    }
    const bool taken = serving;
    ReleaseSRWLockExclusive(&lock);
    if (!taken) delete handedJob;
    return taken;
}

}  // namespace host
