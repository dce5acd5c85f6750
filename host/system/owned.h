#pragma once
// Owners of what the system hands out: each releases what it holds when it goes, so that
// every early return releases it too.
#include <windows.h>

namespace host {

// A kernel handle.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~OwnedHandle() {
        if (valid()) CloseHandle(handle_);
    }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            if (valid()) CloseHandle(handle_);
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// One reference to a COM interface.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }
    Interface** put() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// Memory the system allocated with LocalAlloc.
template <typename Pointer>
class LocalMemory {
public:
    LocalMemory() = default;
    ~LocalMemory() {
        if (pointer_) LocalFree(reinterpret_cast<HLOCAL>(pointer_));
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    Pointer get() const { return pointer_; }
    Pointer* put() { return &pointer_; }

private:
    Pointer pointer_ = nullptr;
};

}  // namespace host
