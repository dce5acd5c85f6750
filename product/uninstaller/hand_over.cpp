#include "product/uninstaller/hand_over.h"

#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <memory>

#include "host/system/system_text.h"
#include "host/system/text.h"
#include "product/uninstaller/removal.h"

namespace uninstall {
namespace {

using host::WideFromText;

constexpr char kNamePrefix[] = "lumora-uninstall-";
constexpr std::size_t kRandomBytes = 16;

// Full rights for SYSTEM and the Administrators group, passed on to the copy; nothing
// inherited from Temp (protected). The group is the owner too: as the user's own unelevated
// programs run as the same user, an owner's right to rewrite the list must not fall to them.
constexpr wchar_t kAdministratorsOnly[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

std::string RandomName() {
    unsigned char bytes[kRandomBytes] = {};
    if (!RtlGenRandom(bytes, sizeof bytes)) return {};
    constexpr char kHex[] = "0123456789abcdef";
    std::string name = kNamePrefix;
    for (const unsigned char byte : bytes) {
        name += kHex[byte >> 4];
        name += kHex[byte & 0x0F];
    }
    return name;
}

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string HandOverRoot() {
    const UINT needed = GetSystemWindowsDirectoryW(nullptr, 0);
    if (needed == 0) return {};
    std::wstring windows(needed, L'\0');
    const UINT got = GetSystemWindowsDirectoryW(windows.data(), needed);
    if (got == 0 || got >= needed) return {};
    return host::TextFromWide(windows.data(), got) + "\\Temp";
}

bool IsHandOverName(std::string_view name) {
    const std::string_view prefix = kNamePrefix;
    if (name.size() != prefix.size() + 2 * kRandomBytes || name.substr(0, prefix.size()) != prefix) return false;
    for (const char c : name.substr(prefix.size())) {
        if (!IsLowerHex(c)) return false;
    }
    return true;
}

std::string MakeHandOverFolder(const std::string& root) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (root.empty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return {};
    }
    const std::unique_ptr<void, LocalFreer> heldDescriptor(descriptor);
    const std::string name = RandomName();
    if (name.empty()) return {};
    // The list is given at creation: there is no moment when the folder exists without it.
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const std::string folder = root + "\\" + name;
    return CreateDirectoryW(WideFromText(folder).c_str(), &attributes) ? folder : std::string();
}

bool IsHandOverCopy(const std::string& program, const std::string& root) {
    const std::string folder = FolderOf(program);
    return !root.empty() && !folder.empty() &&
           lstrcmpiW(WideFromText(LeafOf(program)).c_str(), WideFromText(kCopyName).c_str()) == 0 &&
           IsHandOverName(LeafOf(folder)) && SamePath(FolderOf(folder), root);
}

void RemoveAtRestart(const std::string& folder) {
    MoveFileExW(WideFromText(folder + "\\" + kCopyName).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(WideFromText(folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveEarlierHandOvers(const std::string& root, const std::string& current) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(WideFromText(root + "\\" + kNamePrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::unique_ptr<void, FindCloser> heldSearch(search);
    do {
        const std::string name = host::TextFromWideField(found.cFileName, MAX_PATH);
        const std::string folder = root + "\\" + name;
        // A link planted under our name is not followed.
        const bool plainFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                 !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (!plainFolder || !IsHandOverName(name) || SamePath(folder, current)) continue;
        DeleteFileW(WideFromText(folder + "\\" + kCopyName).c_str());
        RemoveDirectoryW(WideFromText(folder).c_str());
    } while (FindNextFileW(search, &found));
}

}  // namespace uninstall
