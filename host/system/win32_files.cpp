// Special folders, shortcuts, files and folders, the environment and the registry.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "host/system/file_writes.h"
#include "host/system/late_library.h"
#include "host/system/owned.h"
#include "host/system/system_text.h"
#include "host/system/win32_host.h"

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

// Calls `fill(buffer, capacity)`, which answers like GetTempPathW: the length written, the
// capacity needed when the buffer was too small, or 0 on failure. Grows until it fits.
template <typename Fill>
Text ReadGrowing(Fill fill) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD got = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return Text();
        if (got < buffer.size()) return TextFromWideField(buffer.data(), buffer.size());
        buffer.assign(static_cast<std::size_t>(got) + 1, '\0');
    }
    return Text();
}

// The shell link's class and the two interfaces used, defined here rather than taken from the
// system's GUID library, which would bring thousands of others along.
constexpr GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kShellLinkInterface = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kPersistStreamInterface = {0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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
std::optional<Text> ExpandReferences(const std::wstring& text) {
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 8 && needed != 0; ++attempt) {
        std::vector<wchar_t> buffer(static_cast<std::size_t>(needed) + 1, L'\0');
        const DWORD got =
            ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) break;
        if (got <= buffer.size()) return TextFromWideField(buffer.data(), buffer.size());
        needed = got;
    }
    return std::nullopt;
}

}  // namespace

// A path for the file calls. Paths of MAX_PATH characters or more are refused, as the system
// refuses them to a program that has not opted into long paths (the wide calls under Wine
// would take them): the empty text then, which every file call fails on.
std::wstring FilePath(const Text& path) {
    std::wstring wide = WideFromText(path);
    if (wide.size() >= MAX_PATH) wide.clear();
    return wide;
}

// The folder part of a path, with its backslash; empty for a bare name.
std::wstring FolderPart(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// A new, empty file of the new-file form beside `target`, opened for writing and shared with
// nobody (and open to be marked for deletion); its path goes to `made`. CREATE_NEW: a leftover
// of the same name is never reused.
OwnedHandle MakeNewFileBeside(const std::wstring& target, unsigned& counter, std::wstring& made) {
    const std::wstring folder = FolderPart(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        made = folder + NewFileName((GetCurrentProcessId() << 16) ^ GetTickCount() ^ (++counter * 0x9E3779B9u));
        if (made.size() >= MAX_PATH) break;
        OwnedHandle file(
            CreateFileW(made.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    made.clear();
    return OwnedHandle();
}

// Writes the blocks in order and flushes them to the disk: a machine turned off after that
// keeps the whole file.
bool WriteAll(HANDLE file, std::initializer_list<ByteRange> blocks) {
    for (const ByteRange block : blocks) {
        if (block.empty()) continue;
        // On a full disk a write can succeed with fewer bytes than asked: that is a failure too.
        const DWORD size = static_cast<DWORD>(block.size());
        DWORD done = 0;
        if (!WriteFile(file, block.data(), size, &done, nullptr) || done != size) return false;
    }
    return FlushFileBuffers(file) != FALSE;
}

WriteOutcome Refused(DWORD error) {
    return error == ERROR_ACCESS_DENIED ? WriteOutcome::AccessDenied : WriteOutcome::Failed;
}

// A file that another program holds for a moment (a virus scanner, the search indexer, a
// folder-sync program) refuses its replacement for that moment: it is tried again for about
// two seconds, a pause between tries.
constexpr DWORD kHeldRetryMs = 2000;
constexpr DWORD kHeldPauseMs = 100;

// Whether the replacement was refused because another program holds `target`: shared away
// from us, or denied while we may open it for writing.
bool Held(DWORD error, const std::wstring& target) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD opened = WriteOpenError(target);
    return opened == ERROR_SUCCESS || opened == ERROR_SHARING_VIOLATION || opened == ERROR_LOCK_VIOLATION;
}

namespace {

// Renames the file that `file` holds to `target`, replacing what is there, without opening it
// again by name: a scanner that opened the new file meanwhile cannot stand in the way.
bool RenameThroughHandle(HANDLE file, const std::wstring& target) {
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes)) != FALSE;
}

}  // namespace

// Puts the whole, flushed new file in the place of `target` in one step, or leaves both as they
// were and removes the new file. Through `file` where the system can, which it closes.
WriteOutcome TakePlace(OwnedHandle file, const std::wstring& made, const std::wstring& target) {
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const auto move = [&] {
        if (file.valid()) {
            if (RenameThroughHandle(file.get(), target)) return true;
            // Refused for the target's sake, it would be by name too. Any other answer says that
            // the rename by handle is not to be had here (a file system without it, an older
            // system's form of the name): by name then, the name freed for the move.
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
                return false;
            }
            file = OwnedHandle();
            SetLastError(error);
        }
        return MoveFileExW(made.c_str(), target.c_str(), kReplace) != FALSE;
    };
    DWORD error = ERROR_SUCCESS;
    for (const DWORD start = GetTickCount();; Sleep(kHeldPauseMs)) {
        if (move()) return WriteOutcome::Written;
        error = GetLastError();
        // The setup owns the names it writes: a read-only mark on the earlier file is all that
        // stands in the way of its replacement (hidden or system marks do not stop a move).
        const DWORD marks = GetFileAttributesW(target.c_str());
        if (error == ERROR_ACCESS_DENIED && marks != INVALID_FILE_ATTRIBUTES && !(marks & FILE_ATTRIBUTE_DIRECTORY) &&
            (marks & FILE_ATTRIBUTE_READONLY) &&
            SetFileAttributesW(target.c_str(), marks & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
            if (move()) return WriteOutcome::Written;
            error = GetLastError();
            SetFileAttributesW(target.c_str(), marks);
        }
        if (!Held(error, target) || GetTickCount() - start >= kHeldRetryMs) break;
    }
    // Gone with the handle where it is still held, else by its name.
    if (!file.valid() || !MarkForDeletion(file.get(), true)) {
        file = OwnedHandle();
        DeleteFileW(made.c_str());
    }
    if (error != ERROR_ACCESS_DENIED) return WriteOutcome::Failed;
    // In use, rather than forbidden, is no matter of rights.
    return Refused(WriteOpenError(target));
}

bool MarkForDeletion(HANDLE file, bool marked) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(marked)};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

WriteOutcome WriteWhole(const std::wstring& target, unsigned& counter, std::initializer_list<ByteRange> blocks) {
    if (target.empty()) return WriteOutcome::Failed;
    std::wstring made;
    OwnedHandle file = MakeNewFileBeside(target, counter, made);
    if (!file.valid()) return made.empty() ? WriteOutcome::Failed : Refused(GetLastError());
    if (!WriteAll(file.get(), blocks)) {
        if (!MarkForDeletion(file.get(), true)) {
            file = OwnedHandle();
            DeleteFileW(made.c_str());
        }
        return WriteOutcome::Failed;
    }
    return TakePlace(std::move(file), made, target);
}

Win32Host::Win32Host() {
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return;
    // "NAME=VALUE\0" entries, ended by an empty one. Names of the per-drive folders start
    // with '=' ("=C:=C:\\..."), so the separator is looked for after the first character.
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const std::wstring_view text(entry);
        const std::size_t equals = text.find(L'=', 1);
        if (equals == std::wstring_view::npos) continue;
        startEnvironment_.emplace_back(TextFromWide(entry, equals),
                                       TextFromWide(entry + equals + 1, text.size() - equals - 1));
    }
    FreeEnvironmentStringsW(block);
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
    const std::wstring subkey = WideFromText(where.subkey), valueName = WideFromText(where.valueName);
    if (RegOpenKeyExW(RootKey(root), subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
        return defaultValue;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return defaultValue;
    }
    // The value can grow between the two queries; ask again with the new size then.
    std::vector<wchar_t> data;
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
        // A spare terminator: stored strings need not end in one, nor fill whole characters.
        data.assign(static_cast<std::size_t>(size) / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                  &got);
        if (status == ERROR_MORE_DATA) size = got;
    }
    if (status != ERROR_SUCCESS) return defaultValue;
    if (type == REG_SZ) return TextFromWideField(data.data(), data.size());
    if (type == REG_EXPAND_SZ) {
        const std::wstring stored(data.data(), std::wcslen(data.data()));
        return ExpandReferences(stored).value_or(defaultValue);
    }
    return defaultValue;
}

Text Win32Host::SpecialFolderPath(int folder) {
    Text path;
    const int csidl = CsidlOf(folder);
    if (csidl >= 0) {
        wchar_t buffer[MAX_PATH + 1] = {};
        const auto get = LateFunction<decltype(&SHGetSpecialFolderPathW)>("shell32.dll", "SHGetSpecialFolderPathW");
        if (get && get(nullptr, buffer, csidl, FALSE)) path = TextFromWideField(buffer, MAX_PATH + 1);
    } else if (folder == special_folder::kWindows) {
        path = ReadGrowing([](wchar_t* b, DWORD n) { return static_cast<DWORD>(GetWindowsDirectoryW(b, n)); });
    } else if (folder == special_folder::kSystem) {
        path = ReadGrowing([](wchar_t* b, DWORD n) { return static_cast<DWORD>(GetSystemDirectoryW(b, n)); });
    } else if (folder == special_folder::kTemp) {
        path = ReadGrowing([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
    }
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
    return path;
}

std::vector<unsigned char> LinkBytes(const ShortcutLink& link) {
    std::vector<unsigned char> bytes;
    ComRef<IShellLinkW> shellLink;
    const auto create = LateFunction<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    const auto memoryStream = LateFunction<decltype(&CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    if (!create || !memoryStream ||
        FAILED(create(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface, shellLink.out()))) {
        return bytes;
    }
    ComRef<IPersistStream> persist;
    ComRef<IStream> stream;
    if (FAILED(shellLink->QueryInterface(kPersistStreamInterface, persist.out())) ||
        FAILED(memoryStream(nullptr, TRUE, stream.put()))) {
        return bytes;
    }
    shellLink->SetPath(WideFromText(link.target).c_str());
    shellLink->SetShowCmd(SW_SHOW);
    if (link.description) shellLink->SetDescription(WideFromText(*link.description).c_str());
    if (link.arguments) shellLink->SetArguments(WideFromText(*link.arguments).c_str());
    if (link.workingFolder) shellLink->SetWorkingDirectory(WideFromText(*link.workingFolder).c_str());
    // What the link would write into its file, written into memory instead, and read back.
    ULARGE_INTEGER size{};
    if (FAILED(persist->Save(stream.get(), TRUE)) || FAILED(stream->Seek({}, STREAM_SEEK_CUR, &size)) ||
        size.QuadPart == 0 || size.QuadPart > (1u << 20) || FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr))) {
        return bytes;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    ULONG read = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size()) bytes.clear();
    return bytes;
}

bool Win32Host::SaveShortcut(const ShortcutLink& link) {
    // The staged write's way, waited for at once.
    return StageShortcut(link)->Place() == WriteOutcome::Written;
}

bool Win32Host::MakeDirectory(const Text& path) {
    const std::wstring wide = FilePath(path);
    return !wide.empty() && CreateDirectoryW(wide.c_str(), nullptr) != FALSE;
}

bool Win32Host::RemoveFile(const Text& path) {
    const std::wstring wide = FilePath(path);
    return !wide.empty() && DeleteFileW(wide.c_str()) != FALSE;
}

bool Win32Host::FileExists(const Text& path) {
    const std::wstring wide = FilePath(path);
    const DWORD marks = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    return marks != INVALID_FILE_ATTRIBUTES && !(marks & FILE_ATTRIBUTE_DIRECTORY);
}

int Win32Host::RemoveNewFileLeftovers(const Text& folder) {
    const bool separated = !folder.empty() && FindLastSeparator(folder) == folder.size() - 1;
    int removed = 0;
    ForEachNewFile(folder, [&](const Text& name) {
        if (DeleteFileW(WideFromText(JoinTexts(folder, separated ? name : "\\" + name)).c_str())) ++removed;
    });
    return removed;
}

WriteOutcome Win32Host::WriteBytes(const Text& path, std::initializer_list<ByteRange> blocks) {
    return WriteWhole(FilePath(path), newFiles_, blocks);
}

}  // namespace host
