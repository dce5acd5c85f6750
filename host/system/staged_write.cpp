// A whole-file write whose new file is written and flushed on another thread while the caller
// goes on (the install writes the next file while its progress bar moves), and which takes the
// target's place, through the handle it was written with, only when told. Until then the new
// file is marked for deletion: if the program ends first, even killed, the system removes it
// with the last handle, and a write dropped unplaced goes the same way. A shell link is made
// into memory there too, in the thread's own multithreaded apartment, which has no messages to
// handle (the link object lives in any apartment), and written like any file.
#include <windows.h>
#include <objbase.h>

#include <optional>
#include <utility>
#include <vector>

#include "host/system/aside.h"
#include "host/system/file_writes.h"
#include "host/system/late_library.h"
#include "host/system/text.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

class Win32StagedWrite final : public StagedWrite {
public:
    // With `link`, the bytes are the link's, made when the file is written; empty bytes are
    // nothing to write, and the write fails.
    Win32StagedWrite(std::wstring target, ByteRange bytes, std::unique_ptr<const ShortcutLink> link, unsigned counter)
        : target_(std::move(target)), link_(std::move(link)), bytes_(bytes), counter_(counter) {
        done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!done_ || !Enqueue()) {
            // Nothing to write it meanwhile: written here and now.
            state_ = State::Done;
            Write();
        }
    }
    Win32StagedWrite(const Win32StagedWrite&) = delete;
    Win32StagedWrite& operator=(const Win32StagedWrite&) = delete;
    ~Win32StagedWrite() override {
        Drop();
        if (done_) CloseHandle(done_);
    }

    WriteOutcome Place() override {
        if (!Settle()) Write();  // not started yet: written now
        if (!file_) return made_.empty() ? WriteOutcome::Failed : Refused(error_);
        if (!written_) {
            Drop();
            return WriteOutcome::Failed;
        }
        if (marked_ && !MarkForDeletion(file_->get(), false)) {
            // A mark that will not be cleared: this file goes with its handle, and the bytes are
            // written again, unmarked.
            Drop();
            return WriteWhole(target_, counter_, {bytes_});
        }
        OwnedHandle file = std::move(*file_);
        file_.reset();
        return TakePlace(std::move(file), made_, target_);
    }

private:
    // The thread aside writes the staged files in the order they were staged, as one job that
    // ends when none is left.
    enum class State { Queued, Running, Done, Taken };
    static SRWLOCK lock_;
    static Win32StagedWrite* first_;  // the queue, not started yet
    static Win32StagedWrite* last_;
    static bool working_;

    bool Enqueue() {
        AcquireSRWLockExclusive(&lock_);
        (last_ ? last_->next_ : first_) = this;
        last_ = this;
        bool queued = true;
        if (!working_) {
            working_ = RunAside(&Work, nullptr);
            queued = working_;
            if (!queued) Unlink();
        }
        ReleaseSRWLockExclusive(&lock_);
        return queued;
    }
    // Under the lock.
    void Unlink() {
        Win32StagedWrite* before = nullptr;
        for (Win32StagedWrite* at = first_; at; before = at, at = at->next_) {
            if (at != this) continue;
            (before ? before->next_ : first_) = next_;
            if (last_ == this) last_ = before;
            break;
        }
        next_ = nullptr;
    }
    static void Work(void*) {
        for (;;) {
            AcquireSRWLockExclusive(&lock_);
            Win32StagedWrite* write = first_;
            if (!write) {
                working_ = false;
                ReleaseSRWLockExclusive(&lock_);
                return;
            }
            write->Unlink();
            write->state_ = State::Running;
            ReleaseSRWLockExclusive(&lock_);
            write->Write();
            // Told under the lock: once it is released, the write may be gone.
            AcquireSRWLockExclusive(&lock_);
            write->state_ = State::Done;
            SetEvent(write->done_);
            ReleaseSRWLockExclusive(&lock_);
        }
    }
    // Waits for a write under way and answers true; takes one not started off the queue and
    // answers false (also later).
    bool Settle() {
        AcquireSRWLockExclusive(&lock_);
        const State state = state_;
        if (state == State::Queued) {
            Unlink();
            state_ = State::Taken;
        }
        ReleaseSRWLockExclusive(&lock_);
        if (state == State::Running) WaitForSingleObject(done_, INFINITE);
        return state == State::Running || state == State::Done;
    }
    void Write() {
        if (link_) {
            // On the window's thread its apartment is there already, and this one fails.
            const auto start = LateFunction<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
            const auto stop = LateFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
            const bool started = start && stop && SUCCEEDED(start(nullptr, COINIT_MULTITHREADED));
            owned_ = LinkBytes(*link_);
            if (started) stop();
            bytes_ = ByteRange(owned_);
        }
        if (target_.empty() || bytes_.empty()) return;
        OwnedHandle file = MakeNewFileBeside(target_, counter_, made_);
        if (!file.valid()) {
            error_ = GetLastError();
            return;
        }
        file_.emplace(std::move(file));
        marked_ = MarkForDeletion(file_->get(), true);
        written_ = WriteAll(file_->get(), {bytes_});
    }
    // The new file goes: with its handle when marked, else by its name.
    void Drop() {
        Settle();
        if (!file_) return;
        file_.reset();
        if (!marked_) DeleteFileW(made_.c_str());
    }

    const std::wstring target_;
    const std::unique_ptr<const ShortcutLink> link_;
    std::vector<unsigned char> owned_;  // a link's bytes
    ByteRange bytes_;
    unsigned counter_;
    HANDLE done_ = nullptr;  // set when the thread has written it
    State state_ = State::Queued;
    Win32StagedWrite* next_ = nullptr;
    // Written by the thread, read only once it is done.
    std::optional<OwnedHandle> file_;
    std::wstring made_;
    DWORD error_ = ERROR_SUCCESS;
    bool marked_ = false;
    bool written_ = false;
};

SRWLOCK Win32StagedWrite::lock_ = SRWLOCK_INIT;
Win32StagedWrite* Win32StagedWrite::first_ = nullptr;
Win32StagedWrite* Win32StagedWrite::last_ = nullptr;
bool Win32StagedWrite::working_ = false;

}  // namespace

std::unique_ptr<StagedWrite> Win32Host::StageBytes(const Text& path, ByteRange bytes) {
    // Each write numbers its attempts at a name from a start of its own.
    newFiles_ += 0x10000;
    return std::make_unique<Win32StagedWrite>(FilePath(path), bytes, nullptr, newFiles_);
}

std::unique_ptr<StagedWrite> Win32Host::StageShortcut(const ShortcutLink& link) {
    newFiles_ += 0x10000;
    // Should it be written here after all, the window's thread has its apartment.
    EnsureComponentServices();
    return std::make_unique<Win32StagedWrite>(FilePath(ShortcutFileName(link.linkPath)), ByteRange(),
                                              std::make_unique<const ShortcutLink>(link), newFiles_);
}

}  // namespace host
