#pragma once
// One system call answered as Windows answers it where Wine answers otherwise: the host code is
// linked into the test program, so its calls go through this program's import table, whose entry
// for `name` is swapped for one case and put back after it; `original` gets the system's function.
#include <windows.h>

#include <cstring>
#include <utility>

namespace test {

class StandIn {
public:
    template <typename Function>
    StandIn(const char* name, Function standIn, Function& original) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
            base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        for (; d->Name != 0 && !slot_; ++d) {
            const auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            for (DWORD i = 0; entry[i].u1.AddressOfData != 0 && !slot_; ++i) {
                if (!IMAGE_SNAP_BY_ORDINAL(entry[i].u1.Ordinal) &&
                    !std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + entry[i].u1.AddressOfData)->Name, name)) {
                    slot_ = &reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk)[i].u1.Function;
                }
            }
        }
        if (slot_) original = reinterpret_cast<Function>(Put(reinterpret_cast<DWORD>(standIn)));
    }
    ~StandIn() { if (slot_) Put(was_); }
    // False when the program does not import the call: the case cannot set up its condition.
    bool active() const { return slot_ != nullptr; }

private:
    DWORD Put(DWORD to) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof to, PAGE_READWRITE, &protection);
        was_ = std::exchange(*slot_, to);
        VirtualProtect(slot_, sizeof to, protection, &protection);
        return was_;
    }
    DWORD* slot_ = nullptr;
    DWORD was_ = 0;
};

}  // namespace test
