// Special folders, shortcuts, files and folders, the environment and the registry.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <sddl.h>

#include <cstring>

#include "host/late_library.h"
#include "host/owned.h"
#include "host/win32_host.h"

namespace host {
namespace {

class OwnedKey {
public:
    OwnedKey() = default;
    ~OwnedKey() {
        if (key_) RegCloseKey(key_);
    }
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// Calls `fill(buffer, capacity)`, which answers like GetTempPathA: the length written, the
// capacity needed when the buffer was too small, or 0 on failure. Grows until it fits.
template <typename Fill>
Text ReadGrowing(Fill fill) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD got = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return Text();
        if (got < buffer.size()) return TextFromField(buffer.data(), buffer.size());
        buffer.assign(static_cast<std::size_t>(got) + 1, '\0');
    }
    return Text();
}

// The shell link's class and the two interfaces used, defined here rather than taken from the
// system's GUID library, which would bring thousands of others along.
constexpr GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

int CsidlOf(int folder) {
    switch (folder) {
        case special_folder::kDocuments: return CSIDL_PERSONAL;
        case special_folder::kFavorites: return CSIDL_FAVORITES;
        case special_folder::kDesktop: return CSIDL_DESKTOPDIRECTORY;
        case special_folder::kFonts: return CSIDL_FONTS;
        case special_folder::kStartMenu: return CSIDL_STARTMENU;
        case special_folder::kPrograms: return CSIDL_PROGRAMS;
        case special_folder::kStartup: return CSIDL_STARTUP;
        case special_folder::kAppData: return CSIDL_APPDATA;
        default: return -1;
    }
}

HKEY RootKey(int root) {
    switch (root) {
        case registry_root::kClassesRoot: return HKEY_CLASSES_ROOT;
        case registry_root::kCurrentConfig: return HKEY_CURRENT_CONFIG;
        case registry_root::kLocalMachine: return HKEY_LOCAL_MACHINE;
        case registry_root::kUsers: return HKEY_USERS;
        default: return HKEY_CURRENT_USER;
    }
}

// The text with its %NAME% references expanded; nullopt when the call fails.
std::optional<Text> ExpandReferences(const Text& text) {
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 8 && needed != 0; ++attempt) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1, '\0');
        const DWORD got =
            ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) break;
        if (got <= buffer.size()) return TextFromField(buffer.data(), buffer.size());
        needed = got;
    }
    return std::nullopt;
}

}  // namespace

Win32Host::Win32Host() {
    char* block = GetEnvironmentStringsA();
    if (block == nullptr) return;
    // "NAME=VALUE\0" entries, ended by an empty one. Names of the per-drive folders start
    // with '=' ("=C:=C:\\..."), so the separator is looked for after the first byte.
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string_view text(entry);
        const std::size_t equals = text.find('=', 1);
        if (equals == std::string_view::npos) continue;
        startEnvironment_.emplace_back(Text(text.substr(0, equals)), Text(text.substr(equals + 1)));
    }
    FreeEnvironmentStringsA(block);
}

Text Win32Host::ReadEnvironmentVariable(const Text& name) {
    // Variable names are not case-sensitive on Windows.
    for (const auto& [entryName, value] : startEnvironment_) {
        if (EqualIgnoringAsciiCase(entryName, name)) return value;
    }
    return Text();
}

Text Win32Host::ReadRegistryText(int root, const Text& path, const Text& defaultValue) {
    const RegistryPath where = SplitRegistryPath(path);
    OwnedKey key;
    if (RegOpenKeyExA(RootKey(root), where.subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
        return defaultValue;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), where.valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return defaultValue;
    }
    // The value can grow between the two queries; ask again with the new size then.
    std::vector<char> data;
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
        // Two spare zero bytes: stored strings need not end in a terminator.
        data.assign(static_cast<std::size_t>(size) + 2, '\0');
        DWORD got = size;
        status = RegQueryValueExA(key.get(), where.valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_MORE_DATA) size = got;
    }
    if (status != ERROR_SUCCESS) return defaultValue;
    const Text stored = TextFromField(data.data(), data.size());
    if (type == REG_SZ) return stored;
    if (type == REG_EXPAND_SZ) return ExpandReferences(stored).value_or(defaultValue);
    return defaultValue;
}

Text Win32Host::SpecialFolderPath(int folder) {
    Text path;
    const int csidl = CsidlOf(folder);
    if (csidl >= 0) {
        char buffer[MAX_PATH + 1] = {};
        const auto get = LateFunction<decltype(&SHGetSpecialFolderPathA)>("shell32.dll", "SHGetSpecialFolderPathA");
        if (get && get(nullptr, buffer, csidl, FALSE)) path = TextFromField(buffer, sizeof buffer);
    } else if (folder == special_folder::kWindows) {
        path = ReadGrowing([](char* b, DWORD n) { return static_cast<DWORD>(GetWindowsDirectoryA(b, n)); });
    } else if (folder == special_folder::kSystem) {
        path = ReadGrowing([](char* b, DWORD n) { return static_cast<DWORD>(GetSystemDirectoryA(b, n)); });
    } else if (folder == special_folder::kTemp) {
        path = ReadGrowing([](char* b, DWORD n) { return GetTempPathA(n, b); });
    }
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
    return path;
}

bool Win32Host::SaveShortcut(const ShortcutLink& link) {
    ComRef<IShellLinkA> shellLink;
    const auto create = LateFunction<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    if (!EnsureComponentServices() || !create ||
        FAILED(create(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface, shellLink.out()))) {
        return false;
    }
    ComRef<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(kPersistFileInterface, file.out()))) return false;

    shellLink->SetPath(link.target.c_str());
    shellLink->SetShowCmd(SW_SHOW);
    if (link.description) shellLink->SetDescription(link.description->c_str());
    if (link.arguments) shellLink->SetArguments(link.arguments->c_str());
    if (link.workingFolder) shellLink->SetWorkingDirectory(link.workingFolder->c_str());

    const Text name = ShortcutFileName(link.linkPath);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wideName(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wideName.data(), wideLength) <= 0) return false;
    return SUCCEEDED(file->Save(wideName.data(), TRUE));
}

bool Win32Host::MakeDirectory(const Text& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Host::MakeProgramFolder(const Text& path) {
    // Protected: nothing is taken from the parent, whose list (a drive root's, say) may let
    // every user change files. Users may read and run (0x1200A9), not write.
    constexpr char kProgramFolderList[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200A9;;;BU)";
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kProgramFolderList, SDDL_REVISION_1, descriptor.put(),
                                                              nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.get(), FALSE};
    return CreateDirectoryA(path.c_str(), &attributes) != FALSE;
}

bool Win32Host::RemoveFile(const Text& path) { return DeleteFileA(path.c_str()) != FALSE; }

WriteOutcome Win32Host::WriteBytes(const Text& path, std::initializer_list<ByteRange> blocks) {
    if (path.empty()) return WriteOutcome::Failed;
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_ACCESS_DENIED ? WriteOutcome::AccessDenied : WriteOutcome::Failed;
    }
    bool written = true;
    for (const ByteRange block : blocks) {
        if (block.empty()) continue;
        // On a full disk a write can succeed with fewer bytes than asked: that is a failure too.
        const DWORD size = static_cast<DWORD>(block.size());
        DWORD done = 0;
        if (!WriteFile(file, block.data(), size, &done, nullptr) || done != size) {
            written = false;
            break;
        }
    }
    const bool closed = CloseHandle(file) != FALSE;
    return written && closed ? WriteOutcome::Written : WriteOutcome::Failed;
}

}  // namespace host
