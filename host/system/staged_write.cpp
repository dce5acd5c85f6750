// A whole-file write whose new file is written and flushed on a thread of its own while the
// caller goes on (the install writes the next file while its progress bar moves), and which
// takes the target's place only when told. Until then the new file is marked for deletion: if
// the program ends first, even killed, the system removes it with the last handle, and a
// write dropped unplaced goes the same way.
#include <windows.h>

#include <optional>
#include <utility>

#include "host/system/file_writes.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

bool MarkForDeletion(HANDLE file, bool marked) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(marked)};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

class Win32StagedWrite final : public StagedWrite {
public:
    Win32StagedWrite(std::wstring target, ByteRange bytes, unsigned counter)
        : target_(std::move(target)), bytes_(bytes), counter_(counter) {
        // A small stack: the thread only calls the system.
        thread_ = CreateThread(nullptr, 64 * 1024, &Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!thread_) Write();  // no thread to be had: written here and now
    }
    Win32StagedWrite(const Win32StagedWrite&) = delete;
    Win32StagedWrite& operator=(const Win32StagedWrite&) = delete;
    ~Win32StagedWrite() override { Drop(); }

    WriteOutcome Place() override {
        Join();
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
    static DWORD WINAPI Run(void* self) {
        static_cast<Win32StagedWrite*>(self)->Write();
        return 0;
    }
    void Write() {
        if (target_.empty()) return;
        OwnedHandle file = MakeNewFileBeside(target_, counter_, made_);
        if (!file.valid()) {
            error_ = GetLastError();
            return;
        }
        file_.emplace(std::move(file));
        marked_ = MarkForDeletion(file_->get(), true);
        written_ = WriteAll(file_->get(), {bytes_});
    }
    void Join() {
        if (!thread_) return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    // The new file goes: with its handle when marked, else by its name.
    void Drop() {
        Join();
        if (!file_) return;
        file_.reset();
        if (!marked_) DeleteFileW(made_.c_str());
    }

    const std::wstring target_;
    const ByteRange bytes_;
    unsigned counter_;
    HANDLE thread_ = nullptr;
    // Written by the thread, read only after it has ended.
    std::optional<OwnedHandle> file_;
    std::wstring made_;
    DWORD error_ = ERROR_SUCCESS;
    bool marked_ = false;
    bool written_ = false;
};

}  // namespace

std::unique_ptr<StagedWrite> Win32Host::StageBytes(const Text& path, ByteRange bytes) {
    // Each write numbers its attempts at a name from a start of its own.
    newFiles_ += 0x10000;
    return std::make_unique<Win32StagedWrite>(FilePath(path), bytes, newFiles_);
}

}  // namespace host
