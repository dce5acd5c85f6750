#include "product/uninstaller/removal.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "host/system/new_files.h"
#include "host/system/system_text.h"
#include "host/system/text.h"

extern "C" {
extern const char lumora_website_url[], lumora_website_url_end[];
extern const char lumora_tutorial_url[], lumora_tutorial_url_end[];
}

namespace uninstall {
namespace {

using host::WideFromText;

const char* const kProductFiles[] = {"Lumora.exe",   "TarvelUP.exe",   "卸载.exe",       "Function.dll", "Tarvel-Skin.dll",
                                     "更新日志.log", "常见问题解答.txt", "Lumora官网.url", "Lumora视频教程.url"};

// Every path goes to the system in UTF-16, converted from GB 18030 (host/system/system_text.h):
// the same names on every Windows, whatever its ANSI code page.
bool Exists(const std::string& path) {
    return GetFileAttributesW(WideFromText(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Kept Reason(DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Kept::InUse;
        case ERROR_ACCESS_DENIED:
            return Kept::Denied;
        case ERROR_DIR_NOT_EMPTY:
            return Kept::HoldsOtherFiles;
        default:
            return Kept::Failed;
    }
}

bool FileHolds(const std::string& path, std::string_view expected) {
    HANDLE file = CreateFileW(WideFromText(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes(expected.size() + 1, '\0');  // one more: a longer file is another file
    DWORD got = 0;
    const bool read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != FALSE;
    CloseHandle(file);
    return read && std::string_view(bytes.data(), got) == expected;
}

class Remover {
public:
    Remover(const Places& places, bool productRunning) : places_(places), productRunning_(productRunning) {}

    // A file the setup wrote. One that is gone already is not missed.
    void File(const std::string& path, bool isMainProgram = false) {
        const std::wstring wide = WideFromText(path);
        if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        if (DeleteFileW(wide.c_str())) {
            ++report_.removed;
            return;
        }
        DWORD error = GetLastError();
        // A read-only copy is still ours to remove.
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY) &&
            SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
            if (DeleteFileW(wide.c_str())) {
                ++report_.removed;
                return;
            }
            error = GetLastError();
            SetFileAttributesW(wide.c_str(), attributes);
        }
        if (isMainProgram && productRunning_) {
            report_.kept.push_back({path, Kept::StillRunning});
            return;
        }
        Kept why = Reason(error);
        // A running program or a loaded library is refused as a denial: one that we may open
        // for writing, or that is shared away from us, is in use rather than forbidden.
        if (why == Kept::Denied) {
            const DWORD probed = host::WriteOpenError(wide);
            if (probed == ERROR_SUCCESS || Reason(probed) == Kept::InUse) why = Kept::InUse;
        }
        // What is in use goes when the machine next starts; never by its own name, which a
        // setup run before the restart writes again: moved aside to a new file's name first.
        if (why == Kept::InUse && MarkAsideForRestart(wide)) why = Kept::InUseUntilRestart;
        report_.kept.push_back({path, why});
    }
    // The new files of a setup that was ended while it wrote into `folder`; not those that this
    // run has moved aside.
    void NewFileLeftovers(const std::string& folder) {
        host::ForEachNewFile(folder, [&](const std::string& name) {
            const std::wstring path = WideFromText(folder + "\\" + name);
            for (const std::wstring& aside : markedAside_) {
                if (lstrcmpiW(aside.c_str(), path.c_str()) == 0) return;
            }
            File(folder + "\\" + name);
        });
    }
    // A link of the setup's: removed only when it leads to `target`.
    void Link(const std::string& path, const std::string& target) {
        if (!Exists(path)) return;
        if (!SamePath(LinkTarget(path), target)) {
            report_.kept.push_back({path, Kept::NotOurs});
            return;
        }
        File(path);
    }
    // An internet shortcut of the setup's: removed only when it holds the carried bytes.
    void WebShortcut(const std::string& path, std::string_view carried) {
        if (!Exists(path)) return;
        if (!FileHolds(path, carried)) {
            report_.kept.push_back({path, Kept::NotOurs});
            return;
        }
        File(path);
    }
    // A folder the setup made: removed only when nothing is left in it.
    // One that still holds files moved aside for the restart goes after them then.
    void Folder(const std::string& path) {
        if (!Exists(path)) return;
        const std::wstring wide = WideFromText(path);
        if (RemoveDirectoryW(wide.c_str())) {
            ++report_.removed;
            return;
        }
        Kept why = Reason(GetLastError());
        const std::size_t aside = MarkedAsideIn(wide);
        if (why == Kept::HoldsOtherFiles && aside > 0 && MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
            EntriesIn(wide) == aside) {
            why = Kept::InUseUntilRestart;
        }
        report_.kept.push_back({path, why});
    }

    Report Run() {
        const std::string& folder = places_.folder;
        // A product folder that leads elsewhere (a junction, a symbolic link) is not followed:
        // whoever made it could steer our deletions into any folder.
        const DWORD marks = GetFileAttributesW(WideFromText(folder).c_str());
        const bool redirected = marks != INVALID_FILE_ATTRIBUTES && (marks & FILE_ATTRIBUTE_REPARSE_POINT);
        if (redirected) {
            report_.kept.push_back({folder, Kept::NotOurs});
        } else {
            for (const char* name : kProductFiles) File(folder + "\\" + name, name == kProductFiles[0]);
            NewFileLeftovers(folder);
        }

        const std::string program = folder + "\\Lumora.exe";
        const std::string menu = places_.programsMenu + "\\Lumora";
        WebShortcut(menu + "\\Lumora官网.url", WebsiteShortcutBytes());
        WebShortcut(menu + "\\Lumora视频教程.url", TutorialShortcutBytes());
        Link(menu + "\\Lumora.lnk", program);
        Link(menu + "\\卸载.lnk", folder + "\\卸载.exe");
        NewFileLeftovers(menu);
        Folder(menu);

        WebShortcut(places_.desktop + "\\Lumora官网.url", WebsiteShortcutBytes());
        WebShortcut(places_.desktop + "\\Lumora视频教程.url", TutorialShortcutBytes());
        Link(places_.desktop + "\\Lumora.lnk", program);
        NewFileLeftovers(places_.desktop);

        if (!redirected) Folder(folder);
        return report_;
    }

private:
    // Renames the file in its folder to a new file's name, which the leftover sweeps know, and
    // marks that name for removal at the next restart.
    bool MarkAsideForRestart(const std::wstring& path) {
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
        for (unsigned attempt = 1; attempt <= 16; ++attempt) {
            const std::wstring aside =
                folder + host::NewFileName((GetCurrentProcessId() << 16) ^ GetTickCount() ^ (attempt * 0x9E3779B9u));
            if (MoveFileExW(path.c_str(), aside.c_str(), 0)) {
                markedAside_.push_back(aside);
                return MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
        }
        return false;
    }
    std::size_t MarkedAsideIn(const std::wstring& folder) const {
        std::size_t count = 0;
        for (const std::wstring& aside : markedAside_) {
            count += lstrcmpiW(aside.substr(0, aside.find_last_of(L'\\')).c_str(), folder.c_str()) == 0;
        }
        return count;
    }
    static std::size_t EntriesIn(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        std::size_t count = 0;
        do {
            count += std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return count;
    }

    const Places& places_;
    bool productRunning_;
    Report report_;
    std::vector<std::wstring> markedAside_;  // files moved aside for the restart
};

}  // namespace

std::string_view WebsiteShortcutBytes() {
    return {lumora_website_url, static_cast<std::size_t>(lumora_website_url_end - lumora_website_url)};
}
std::string_view TutorialShortcutBytes() {
    return {lumora_tutorial_url, static_cast<std::size_t>(lumora_tutorial_url_end - lumora_tutorial_url)};
}

std::string LinkTarget(const std::string& linkFile) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return {};
    }
    std::string target;
    IPersistFile* file = nullptr;
    const std::wstring wide = WideFromText(linkFile);
    if (!wide.empty() && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        // The link's own buffer for its path is MAX_PATH long.
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) {
            // A link keeps its target's path in the system's ANSI code page too, and some shells
            // give that form back: a character that the code page lacks then reads as '?', which
            // no file name holds. The link's item list keeps the name whole.
            PIDLIST_ABSOLUTE items = nullptr;
            if (std::wcschr(path, L'?') != nullptr && SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
                wchar_t whole[MAX_PATH] = {};
                if (SHGetPathFromIDListW(items, whole)) std::wcscpy(path, whole);
                CoTaskMemFree(items);
            }
            target = host::TextFromWideField(path, MAX_PATH);
        }
        file->Release();
    }
    link->Release();
    return target;
}

bool SamePath(const std::string& a, const std::string& b) {
    // Compared as the system compares names, in UTF-16, letter case aside.
    auto full = [](const std::string& path) {
        const std::wstring wide = WideFromText(path);
        const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return wide;
        std::wstring result(needed, L'\0');
        const DWORD got = GetFullPathNameW(wide.c_str(), needed, result.data(), nullptr);
        result.resize(got < needed ? got : 0);
        return result;
    };
    return !a.empty() && !b.empty() && lstrcmpiW(full(a).c_str(), full(b).c_str()) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = host::FindLastSeparator(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string LeafOf(const std::string& path) {
    const std::size_t cut = host::FindLastSeparator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

Report RemoveInstallation(const Places& places, bool productRunning) {
    return Remover(places, productRunning).Run();
}

}  // namespace uninstall
