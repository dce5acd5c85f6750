#include "host/system/program_image.h"

#include <windows.h>

#include <cstring>

namespace host {

std::span<const unsigned char> ProgramImage() {
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    if (base == nullptr) return {};
    // The headers are read only as far as the pages mapped at the base reach.
    MEMORY_BASIC_INFORMATION mapped{};
    if (VirtualQuery(base, &mapped, sizeof mapped) == 0 || mapped.BaseAddress != base) return {};
    const std::size_t reach = mapped.RegionSize;

    IMAGE_DOS_HEADER dos;
    if (reach < sizeof dos) return {};
    std::memcpy(&dos, base, sizeof dos);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) return {};
    const auto at = static_cast<std::size_t>(dos.e_lfanew);
    IMAGE_NT_HEADERS32 nt;
    if (at > reach || reach - at < sizeof nt) return {};
    std::memcpy(&nt, base + at, sizeof nt);
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return {};
    return {base, nt.OptionalHeader.SizeOfImage};
}

}  // namespace host
