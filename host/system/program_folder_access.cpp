// The folder that programs are installed into. Made new, it gets the program folder's list.
// Found there already while elevated, it is judged and changed through one handle that opens the
// folder itself, never what it may lead to, and that nobody can rename or delete it under: calls
// that take a path would each follow a junction swapped in between them.
#include <windows.h>
#include <sddl.h>
#include <aclapi.h>

#include <string_view>
#include <vector>

#include "host/system/file_writes.h"
#include "host/system/new_files.h"
#include "host/system/owned.h"
#include "host/system/program_folder_access.h"
#include "host/system/system_text.h"
#include "host/system/win32_host.h"

namespace host {
namespace {

// Whether `sid` is someone we trust with programs that administrators run: the system, the
// administrators, TrustedInstaller. Not the user who runs this setup: what that user may
// change, any program the user ran before, unelevated, may have changed.
bool Trusted(PSID sid) {
    if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return true;
    LocalMemory<PSID> installer;
    return ConvertStringSidToSidA("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", installer.put()) &&
           EqualSid(sid, installer.get());
}

// Whether the owner and the list leave every change of the folder to the trusted alone.
bool OnlyTrustedMayChange(PSID owner, PACL list) {
    if (owner == nullptr || !Trusted(owner) || list == nullptr) return false;  // no list lets everyone in
    constexpr ACCESS_MASK kChange = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                    FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* entry = nullptr;
        if (!GetAce(list, i, reinterpret_cast<void**>(&entry))) return false;
        const BYTE type = entry->Header.AceType;
        if (type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_ACE_TYPE) continue;
        // Inherit-only entries count too: they pass to the files we write.
        if ((entry->Mask & kChange) == 0) continue;
        if (type != ACCESS_ALLOWED_ACE_TYPE) return false;
        // CREATOR OWNER in the list stands for whoever makes an entry, which only the trusted may.
        if (!Trusted(&entry->SidStart) && !IsWellKnownSid(&entry->SidStart, WinCreatorOwnerSid)) return false;
    }
    return true;
}

// The rights that open a folder for its owner and list whatever the list says (backup, restore,
// take ownership), held while the folder is opened and put back as they were afterwards.
class OpeningRights {
public:
    OpeningRights() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
        token_ = token;
        // Filled in place: an initialiser would be kept as writable data, a section of its own.
        Privileges wanted;
        wanted.count = 0;
        for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege", L"SeTakeOwnershipPrivilege"}) {
            if (!LookupPrivilegeValueW(nullptr, name, &wanted.each[wanted.count].Luid)) continue;
            wanted.each[wanted.count++].Attributes = SE_PRIVILEGE_ENABLED;
        }
        DWORD size = 0;
        changed_ = AdjustTokenPrivileges(token_, FALSE, wanted.get(), sizeof was_, was_.get(), &size) != FALSE;
    }
    ~OpeningRights() {
        if (changed_) AdjustTokenPrivileges(token_, FALSE, was_.get(), 0, nullptr, nullptr);
        if (token_) CloseHandle(token_);
    }
    OpeningRights(const OpeningRights&) = delete;
    OpeningRights& operator=(const OpeningRights&) = delete;

private:
    struct Privileges {  // TOKEN_PRIVILEGES with room for three
        DWORD count;
        LUID_AND_ATTRIBUTES each[3];
        TOKEN_PRIVILEGES* get() { return reinterpret_cast<TOKEN_PRIVILEGES*>(this); }
    };
    HANDLE token_ = nullptr;
    bool changed_ = false;
    Privileges was_{};
};

// `error`: why it could not be opened (putting the rights back sets the thread's error anew).
HANDLE OpenFolderItself(const std::wstring& folder, DWORD& error) {
    const OpeningRights rights;
    // Shared with readers and writers, not with deleting: nobody renames or deletes it while held.
    const HANDLE opened =
        CreateFileW(folder.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    error = GetLastError();
    return opened;
}

// Whether an entry of the folder is ours to find there: a file under one of our names, or a
// new file that a write of ours left. A folder or a link under any name is not.
bool Ours(const FILE_ID_BOTH_DIR_INFO& entry, const std::vector<std::wstring>& ownNames) {
    if (entry.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    const int length = static_cast<int>(entry.FileNameLength / sizeof(wchar_t));
    for (const std::wstring& name : ownNames) {
        // As the system compares names: letter case aside.
        if (CompareStringOrdinal(entry.FileName, length, name.c_str(), static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    // The new files' names are ASCII; any other character comes out of the conversion as bytes
    // from 0x81 on, which no such name holds.
    return IsNewFileName(TextFromWide(entry.FileName, static_cast<std::size_t>(length)));
}

// Whether every entry of the folder is ours, read through its handle; false when they cannot
// all be read.
bool HoldsOnlyOurs(HANDLE folder, std::span<const Text> ownNames) {
    std::vector<std::wstring> wideNames;
    for (const Text& name : ownNames) wideNames.push_back(WideFromText(name));
    std::vector<LONGLONG> buffer(8192);  // aligned for the entries' 64-bit fields
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(folder, kind, buffer.data(), bytes)) return GetLastError() == ERROR_NO_MORE_FILES;
        for (const BYTE* at = reinterpret_cast<const BYTE*>(buffer.data());;) {
            const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring_view name(entry.FileName, entry.FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L".." && !Ours(entry, wideNames)) return false;
            if (entry.NextEntryOffset == 0) break;
            at += entry.NextEntryOffset;
        }
    }
}

// Whether this process may add files to the folder as its list now stands; true when that
// cannot be told, so that the entries decide.
bool MayAddFiles(HANDLE folder) {
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    HANDLE process = nullptr, token = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process)) {
        return true;
    }
    const OwnedHandle own(process);
    if (!DuplicateToken(own.get(), SecurityIdentification, &token)) return true;
    const OwnedHandle identity(token);
    // Filled in place: an initialiser would be kept as writable data, a section of its own.
    GENERIC_MAPPING mapping;
    mapping.GenericRead = FILE_GENERIC_READ;
    mapping.GenericWrite = FILE_GENERIC_WRITE;
    mapping.GenericExecute = FILE_GENERIC_EXECUTE;
    mapping.GenericAll = FILE_ALL_ACCESS;
    PRIVILEGE_SET privileges{};
    DWORD size = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    return !AccessCheck(descriptor.get(), identity.get(), FILE_ADD_FILE, &mapping, &privileges, &size, &granted, &allowed) ||
           allowed;
}

}  // namespace

const char* ProgramFolderAccessList() {
    // Protected: nothing is taken from the parent, whose list (a drive root's, say) may let
    // every user change files. Users may read and run (0x1200A9), not write; so may the
    // application-package groups (ALL APPLICATION PACKAGES, ALL RESTRICTED APPLICATION
    // PACKAGES), in which the Start menu and search run.
    return "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200A9;;;BU)(A;OICI;0x1200A9;;;S-1-15-2-1)"
           "(A;OICI;0x1200A9;;;S-1-15-2-2)";
}

ProgramFolderOutcome TakeExistingProgramFolder(const std::wstring& folder, PACL protectedList,
                                               std::span<const Text> ownNames) {
    DWORD error = ERROR_SUCCESS;
    const OwnedHandle held(OpenFolderItself(folder, error));
    if (!held.valid()) return error == ERROR_ACCESS_DENIED ? ProgramFolderOutcome::Denied : ProgramFolderOutcome::Refused;
    // A junction, a mount point or a link would have us write wherever it leads.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(held.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || tag.ReparseTag != 0) {
        return ProgramFolderOutcome::Refused;
    }
    // A file of that name: the writes into it fail on their own.
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(held.get(), FileStandardInfo, &standard, sizeof standard)) {
        return ProgramFolderOutcome::Refused;
    }
    if (!standard.Directory) return ProgramFolderOutcome::Kept;

    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    PSID owner = nullptr;
    PACL list = nullptr;
    const bool read = GetSecurityInfo(held.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      &owner, nullptr, &list, nullptr, descriptor.put()) == ERROR_SUCCESS;
    if (read && OnlyTrustedMayChange(owner, list)) return ProgramFolderOutcome::Kept;

    // The administrators take it (unless the trusted own it already), and it gets the program
    // folder's list, which what is written into it then inherits.
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    SECURITY_INFORMATION change = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (!read || owner == nullptr || !Trusted(owner)) {
        if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
            return ProgramFolderOutcome::Refused;
        }
        change |= OWNER_SECURITY_INFORMATION;
    }
    const DWORD changed = SetSecurityInfo(held.get(), SE_FILE_OBJECT, change, administrators, nullptr, protectedList, nullptr);
    if (changed != ERROR_SUCCESS) {
        return changed == ERROR_ACCESS_DENIED ? ProgramFolderOutcome::Denied : ProgramFolderOutcome::Refused;
    }
    // Nothing of ours can land in a folder we may not add to, whatever else it holds: the writes
    // will be denied, as they are to a user without the rights.
    if (!MayAddFiles(held.get())) return ProgramFolderOutcome::Denied;
    // Listed only now: from here on only the trusted can add to it, so what is there now is all
    // that anyone else put there.
    return HoldsOnlyOurs(held.get(), ownNames) ? ProgramFolderOutcome::Kept : ProgramFolderOutcome::Refused;
}

ProgramFolderOutcome Win32Host::MakeProgramFolder(const Text& path, std::span<const Text> ownNames) {
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(ProgramFolderAccessList(), SDDL_REVISION_1, descriptor.put(),
                                                              nullptr)) {
        return ProgramFolderOutcome::Kept;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.get(), FALSE};
    const std::wstring wide = FilePath(path);
    if (wide.empty()) return ProgramFolderOutcome::Kept;
    if (CreateDirectoryW(wide.c_str(), &attributes)) return ProgramFolderOutcome::Made;
    // Elevated, we are about to write programs that administrators run into a folder that was
    // there before us, which a user may have made to change them later.
    if (GetLastError() != ERROR_ALREADY_EXISTS || !RunsElevated()) return ProgramFolderOutcome::Kept;
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &list, &defaulted) || !present) {
        return ProgramFolderOutcome::Refused;
    }
    return TakeExistingProgramFolder(wide, list, ownNames);
}

}  // namespace host
