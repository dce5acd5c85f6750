#pragma once
// A kernel handle owned by one variable: closed when it goes, so every early return releases
// what it holds. Both of the system's "no handle" values (null and INVALID_HANDLE_VALUE) count
// as none.
#include <windows.h>

#include <utility>

namespace uninstall {

class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle_) CloseHandle(handle_);
    }

    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace uninstall
