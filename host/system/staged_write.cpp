// A whole-file write whose new file is written (bytes, or a shell link) and flushed on another
// thread while the caller goes on (the install writes the next file while its progress bar
// moves), and which takes the target's place only when told. Until then the new file is marked for deletion: if
// the program ends first, even killed, the system removes it with the last handle, and a
// write dropped unplaced goes the same way.
#include <windows.h>
#include <objbase.h>

#include <optional>
#include <utility>

#include "host/system/aside.h"
#include "host/system/file_writes.h"
#include "host/system/late_library.h"
#include "host/system/text.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

bool MarkForDeletion(HANDLE file, bool marked) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(marked)};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

class Win32StagedWrite final : public StagedWrite {
public:
    Win32StagedWrite(std::wstring target, ByteRange bytes, std::optional<ShortcutLink> link, unsigned counter)
        : target_(std::move(target)), bytes_(bytes), link_(std::move(link)), counter_(counter) {
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
        const bool whole = written_ && (!marked_ || MarkForDeletion(file_->get(), false));
        if (!whole) {
            Drop();
            return WriteOutcome::Failed;
        }
        file_.reset();
        return TakePlace(made_, target_);
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
        if (target_.empty()) return;
        OwnedHandle file = MakeNewFileBeside(target_, counter_, made_);
        if (!file.valid()) {
            error_ = GetLastError();
            return;
        }
        if (link_) {
            // The link saves itself by name: the new file is let go for it, then held again.
            { const OwnedHandle reserved(std::move(file)); }
            OwnedHandle saved(SaveLink() ? CreateFileW(made_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                                                       0, nullptr)
                                         : nullptr);
            if (!saved.valid()) {
                DeleteFileW(made_.c_str());
                made_.clear();
                return;
            }
            file_.emplace(std::move(saved));
        } else {
            file_.emplace(std::move(file));
        }
        marked_ = MarkForDeletion(file_->get(), true);
        written_ = link_ ? FlushFileBuffers(file_->get()) != FALSE : WriteAll(file_->get(), {bytes_});
    }
    // On this thread, with component services of its own.
    bool SaveLink() {
        const auto start = LateFunction<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
        const auto stop = LateFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
        if (!start || !stop || FAILED(start(nullptr, COINIT_APARTMENTTHREADED))) return false;
        const bool saved = SaveLinkFile(*link_, made_);
        stop();
        return saved;
    }
    // The new file goes: with its handle when marked, else by its name.
    void Drop() {
        Settle();
        if (!file_) return;
        file_.reset();
        if (!marked_) DeleteFileW(made_.c_str());
    }

    const std::wstring target_;
    const ByteRange bytes_;
    const std::optional<ShortcutLink> link_;
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
    return std::make_unique<Win32StagedWrite>(FilePath(path), bytes, std::nullopt, newFiles_);
}

std::unique_ptr<StagedWrite> Win32Host::StageShortcut(const ShortcutLink& link) {
    newFiles_ += 0x10000;
    return std::make_unique<Win32StagedWrite>(FilePath(ShortcutFileName(link.linkPath)), ByteRange{}, link, newFiles_);
}

}  // namespace host
