#pragma once
// One system call answered as Windows answers it where Wine answers otherwise: the host code is
// linked into the test program, so its calls go through this program's import table, whose
// entry is swapped for one case and put back after it.
#include <windows.h>

#include <cstring>

namespace test {

class StandIn {
public:
    StandIn(const char* library, const char* function, const void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); imports && d->Name && !slot_; ++d) {
            auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
                 !lstrcmpiA(reinterpret_cast<char*>(base + d->Name), library) && name->u1.AddressOfData; ++name, ++slot) {
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                    !std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name, function)) {
                    original_ = Put(&slot->u1.Function, reinterpret_cast<DWORD_PTR>(replacement));
                    slot_ = &slot->u1.Function;
                }
            }
        }
    }
    ~StandIn() { if (slot_) Put(slot_, original_); }
    // False when the program does not import the call: the case cannot set up its condition.
    bool active() const { return slot_ != nullptr; }
    template <typename Function>
    Function original() const { return reinterpret_cast<Function>(original_); }

private:
    static DWORD_PTR Put(DWORD* slot, DWORD_PTR to) {
        DWORD was = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
        const DWORD_PTR before = *slot;
        *slot = static_cast<DWORD>(to);
        VirtualProtect(slot, sizeof *slot, was, &was);
        return before;
    }
    DWORD* slot_ = nullptr;
    DWORD_PTR original_ = 0;
};

}  // namespace test
