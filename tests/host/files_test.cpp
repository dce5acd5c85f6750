// Files, folders and shortcuts, on Wine's real implementations. 乗 (GBK 81 5C) and 淺 (9C 5C)
// end in a backslash byte.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <sddl.h>
#include <aclapi.h>

#include <map>
#include <tuple>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "host/system/program_folder_access.h"
#include "host/system/win32_host.h"
#include "stand_in.h"
#include "test_support.h"

using enum host::ProgramFolderOutcome;
using host::Text;

namespace {

const Text kCheng = "\x81\x5C";  // 乗
const Text kQian = "\x9C\x5C";   // 淺

// Names in a folder as the system spells them in UTF-16.
std::vector<std::wstring> ListFolder(const Text& folder) { return test::FolderNames(test::Wide(folder)); }

class FileOperations : public ::testing::Test {
protected:
    test::ScratchFolder root_{"files"};
    host::Win32Host win32_;
    host::HostServices& host_ = win32_;

    Text In(const Text& name) const { return root_.path() + "\\" + name; }
    static std::string Content(const Text& path) {
        std::string bytes;
        return test::ReadFileBytes(path, bytes) ? bytes : std::string("<missing>");
    }
};

TEST_F(FileOperations, MakeDirectoryCreatesExactlyOneLevel) {
    EXPECT_TRUE(host_.MakeDirectory(In("one")));
    EXPECT_TRUE(test::IsFolder(In("one")));
    EXPECT_FALSE(host_.MakeDirectory(In("one")));  // exists already
    EXPECT_FALSE(host_.MakeDirectory(In("missing\\two")));
    EXPECT_FALSE(test::IsFolder(In("missing")));
    EXPECT_FALSE(host_.MakeDirectory(""));
}

// A program folder takes nothing from its parent: others may at most read and run in it. An
// existing folder keeps its own list.
TEST_F(FileOperations, ProgramFolderIsProtectedWhenMade) {
    constexpr DWORD kReadAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
    ASSERT_TRUE(host_.MakeDirectory(In("plain")));
    const std::string plain = test::AccessList(In("plain"));
    EXPECT_EQ(host_.MakeProgramFolder(In("programs"), {}), Made);
    EXPECT_TRUE(test::IsFolder(In("programs")));
    EXPECT_EQ(test::GrantedToOthers(In("programs")) & ~kReadAndRun, 0u) << test::AccessList(In("programs"));
    EXPECT_NE(test::AccessList(In("programs")), plain) << "not the list every new folder gets";

    EXPECT_EQ(host_.MakeProgramFolder(In("plain"), {}), Kept);
    EXPECT_EQ(test::AccessList(In("plain")), plain);
    EXPECT_EQ(host_.MakeProgramFolder(In("missing\\two"), {}), Kept);
}

// The list the setup builds, read entry by entry (Wine keeps only Unix bits of it): the
// application-package groups, in which the Start menu and search run, may read and run like
// the users; none of them may write.
TEST(ProgramFolderAccessList, LetsUsersAndApplicationPackagesReadAndRunOnly) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(host::ProgramFolderAccessList(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) && present && list);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing from the parent";
    std::map<std::string, DWORD> granted;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* entry = nullptr;
        ASSERT_TRUE(GetAce(list, i, reinterpret_cast<void**>(&entry)));
        ASSERT_EQ(entry->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(entry->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << "what is written in inherits it";
        char* sid = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidA(&entry->SidStart, &sid));
        granted[sid] |= entry->Mask;
        LocalFree(sid);
    }
    LocalFree(descriptor);
    constexpr DWORD kReadAndRun = 0x1200A9;
    EXPECT_EQ(granted, (std::map<std::string, DWORD>{{"S-1-5-18", FILE_ALL_ACCESS},
                                                     {"S-1-5-32-544", FILE_ALL_ACCESS},
                                                     {"S-1-5-32-545", kReadAndRun},
                                                     {"S-1-15-2-1", kReadAndRun},
                                                     {"S-1-15-2-2", kReadAndRun}}));
}

TEST_F(FileOperations, NamesWhoseSecondByteIsABackslashReachTheSystemWhole) {
    ASSERT_TRUE(host_.MakeDirectory(In(kCheng)));
    ASSERT_TRUE(host_.MakeDirectory(In(kCheng + "\\" + kQian)));
    const Text file = In(kCheng + "\\" + kQian + "\\\xD6\xD0" + kCheng + ".bin");  // 中乗.bin
    const test::Block block("GBK");
    EXPECT_TRUE(host_.WriteBlocksToFile(file, {block.get()}));

    EXPECT_EQ(ListFolder(root_.path()), std::vector<std::wstring>{L"\u4E57"});
    EXPECT_EQ(ListFolder(In(kCheng)), std::vector<std::wstring>{L"\u6DFA"});
    EXPECT_EQ(ListFolder(In(kCheng + "\\" + kQian)), std::vector<std::wstring>{L"\u4E2D\u4E57.bin"});
    EXPECT_EQ(Content(file), "GBK");
    EXPECT_TRUE(host_.RemoveFile(file));
    EXPECT_TRUE(ListFolder(In(kCheng + "\\" + kQian)).empty());
}

TEST_F(FileOperations, WriteBlocksWritesTheBlocksInOrder) {
    const test::Block first("first;");
    const test::Block empty("");
    const test::Block second(std::string("two\0bytes", 9));
    EXPECT_TRUE(host_.WriteBlocksToFile(In("out.bin"), {first.get(), host::ByteRange{}, empty.get(), second.get()}));
    EXPECT_EQ(Content(In("out.bin")), std::string("first;two\0bytes", 15));

    EXPECT_TRUE(host_.WriteBlocksToFile(In("none.bin"), {}));
    EXPECT_EQ(Content(In("none.bin")), "");
}

TEST_F(FileOperations, WriteBlocksReplacesALongerFileByExactlyTheNewBytes) {
    const test::Block longer(std::string(10000, 'L'));
    const test::Block shorter("short");
    ASSERT_TRUE(host_.WriteBlocksToFile(In("f.bin"), {longer.get()}));
    EXPECT_TRUE(host_.WriteBlocksToFile(In("f.bin"), {shorter.get()}));
    EXPECT_EQ(Content(In("f.bin")), "short");
}

TEST_F(FileOperations, WriteBlocksFailsWithoutChangingAnything) {
    using host::WriteOutcome;
    const test::Block block("data");
    EXPECT_EQ(host_.WriteBytes("", {block.get()}), WriteOutcome::Failed);
    EXPECT_EQ(host_.WriteBytes(In("missing\\f.bin"), {block.get()}), WriteOutcome::Failed);
    EXPECT_FALSE(test::IsFolder(In("missing")));

    // A file that someone holds open without sharing keeps its content; that is no denial.
    ASSERT_TRUE(host_.WriteBlocksToFile(In("held.bin"), {block.get()}));
    const HANDLE held = CreateFileA(In("held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const test::Block other("other");
    EXPECT_EQ(host_.WriteBytes(In("held.bin"), {other.get()}), WriteOutcome::Failed);
    EXPECT_FALSE(host_.WriteBlocksToFile(In("held.bin"), {other.get()}));
    CloseHandle(held);
    EXPECT_EQ(Content(In("held.bin")), "data");

    // A folder of that name cannot be opened as a file: the system denies it.
    ASSERT_TRUE(host_.MakeDirectory(In("dir")));
    EXPECT_EQ(host_.WriteBytes(In("dir"), {block.get()}), WriteOutcome::AccessDenied);
}

TEST_F(FileOperations, WriteBlocksSharesTheFileWithNobody) {
    // A reader that shares everything still keeps out an opener that shares nothing.
    const test::Block block("x");
    ASSERT_TRUE(host_.WriteBlocksToFile(In("s.bin"), {block.get()}));
    const HANDLE reader = CreateFileA(In("s.bin").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const test::Block other("other");
    EXPECT_FALSE(host_.WriteBlocksToFile(In("s.bin"), {other.get()}));
    CloseHandle(reader);
    EXPECT_EQ(Content(In("s.bin")), "x");
}

// Nothing of the new-file form stays in a folder after a write, whichever way it ended.
bool NoNewFilesIn(const Text& folder) {
    for (const std::wstring& name : ListFolder(folder)) {
        if (name.rfind(L"~lumora-", 0) == 0) return false;
    }
    return true;
}

// A write that fails keeps the earlier file whole and leaves no new file; one that succeeds
// replaces the earlier file whatever marks it bears.
TEST_F(FileOperations, WriteBlocksReplacesWholeOrLeavesTheEarlierFile) {
    using host::WriteOutcome;
    constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const test::Block earlier("earlier"), fresh("fresh bytes");
    const struct {
        const char* what;
        DWORD share;     // held open by another opener with this sharing; ~0u: not held
        DWORD marks;     // the earlier file's attributes
        WriteOutcome expected;
    } cases[] = {
        {"marked read-only, hidden and system", ~0u, kMarks, WriteOutcome::Written},
        {"marked read-only", ~0u, FILE_ATTRIBUTE_READONLY, WriteOutcome::Written},
        {"held by a reader that shares everything", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
         WriteOutcome::Failed},
        {"read-only and held without delete sharing", FILE_SHARE_READ, FILE_ATTRIBUTE_READONLY, WriteOutcome::Failed},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.what);
        const Text path = In("earlier.bin");
        ASSERT_TRUE(host_.WriteBlocksToFile(path, {earlier.get()}));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (one.share != ~0u) {
            held = CreateFileA(path.c_str(), GENERIC_READ, one.share, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        if (one.marks) {
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), one.marks));
        }
        EXPECT_EQ(host_.WriteBytes(path, {fresh.get()}), one.expected);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        const bool replaced = one.expected == WriteOutcome::Written;
        EXPECT_EQ(Content(path), replaced ? "fresh bytes" : "earlier");
        // Replaced, the file is the new one with no marks; kept, it keeps its own.
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & kMarks, replaced ? 0u : one.marks);
        EXPECT_TRUE(NoNewFilesIn(root_.path()));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    // Nothing that could not be made leaves anything either.
    EXPECT_EQ(host_.WriteBytes(In("missing\\f.bin"), {fresh.get()}), WriteOutcome::Failed);
    ASSERT_TRUE(host_.MakeDirectory(In("dir")));
    EXPECT_EQ(host_.WriteBytes(In("dir"), {fresh.get()}), WriteOutcome::AccessDenied);
    EXPECT_TRUE(test::IsFolder(In("dir")));
    EXPECT_TRUE(NoNewFilesIn(root_.path()));
}

// A staged write changes nothing until its Place, and dropped unplaced it leaves nothing.
TEST_F(FileOperations, StagedWriteTakesItsPlaceOnlyWhenTold) {
    using host::WriteOutcome;
    const test::Block earlier("earlier"), fresh("fresh bytes");
    ASSERT_TRUE(host_.MakeDirectory(In("dir")));
    const struct {
        const char* name;
        bool placed;
        WriteOutcome expected;
        const char* content;  // the target's afterwards
    } cases[] = {
        {"earlier.bin", true, WriteOutcome::Written, "fresh bytes"},
        {"earlier.bin", false, WriteOutcome::Written, "earlier"},
        {"missing\\f.bin", true, WriteOutcome::Failed, "<missing>"},
        {"dir", true, WriteOutcome::AccessDenied, "<missing>"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(std::string(one.name) + (one.placed ? ", placed" : ", dropped"));
        ASSERT_TRUE(host_.WriteBlocksToFile(In("earlier.bin"), {earlier.get()}));
        {
            const std::unique_ptr<host::StagedWrite> staged = host_.StageBytes(In(one.name), fresh.get());
            Sleep(50);  // the new file written meanwhile
            EXPECT_EQ(Content(In("earlier.bin")), "earlier");
            if (one.placed) {
                EXPECT_EQ(staged->Place(), one.expected);
            }
        }
        EXPECT_EQ(Content(In(one.name)), one.content);
        EXPECT_TRUE(NoNewFilesIn(root_.path()));
        EXPECT_TRUE(NoNewFilesIn(In("dir")));
    }
}

// The replacement as Windows answers it: a read-only earlier file is refused until its mark is
// cleared, a held one a few times or for good; the new file is flushed before it takes the place,
// written directly or staged. Where the rename by handle is not to be had, the move by name
// serves; a delete mark that cannot be cleared has the file written again, unmarked.
int refusals;  // with `refusal`; -1: a read-only target alone is refused, access denied
DWORD refusal;
bool renameByHandle, clearsMark;
std::string calls;
decltype(&MoveFileExW) realMove;
decltype(&FlushFileBuffers) realFlush;
decltype(&SetFileInformationByHandle) realSetInformation;
BOOL Refuse(LPCWSTR to) {
    const bool readOnly = refusals < 0 && (GetFileAttributesW(to) & FILE_ATTRIBUTE_READONLY);
    if (!readOnly && refusals-- <= 0) return TRUE;
    SetLastError(readOnly ? ERROR_ACCESS_DENIED : refusal);
    return FALSE;
}
BOOL WINAPI MoveAsWindows(LPCWSTR from, LPCWSTR to, DWORD flags) {
    calls += "move ";
    return Refuse(to) && realMove(from, to, flags);
}
BOOL WINAPI SetInformationAsWindows(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size) {
    const bool unmark = kind == FileDispositionInfo && !static_cast<FILE_DISPOSITION_INFO*>(information)->DeleteFile;
    if ((unmark && !clearsMark) || (kind == FileRenameInfo && !renameByHandle)) {
        calls += unmark ? "unmark " : "rename ";
        SetLastError(unmark ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (kind == FileRenameInfo) calls += "rename ";
    return (kind != FileRenameInfo || Refuse(static_cast<FILE_RENAME_INFO*>(information)->FileName)) &&
           realSetInformation(file, kind, information, size);
}
BOOL WINAPI FlushSeen(HANDLE file) {
    calls += "flush ";
    return realFlush(file);
}
TEST_F(FileOperations, ReplacementAsWindowsAnswersIt) {
    test::StandIn move("MoveFileExW", &MoveAsWindows, realMove);
    test::StandIn flush("FlushFileBuffers", &FlushSeen, realFlush);
    test::StandIn information("SetFileInformationByHandle", &SetInformationAsWindows, realSetInformation);
    if (!move.active() || !flush.active() || !information.active()) {
        GTEST_SKIP() << "the calls are not in this program's import table";
    }
    const test::Block earlier("earlier"), fresh("fresh");
    for (const auto& [count, error, byHandle, staged, unmarks, written, order] :
         {std::tuple(-1, 0ul, true, false, true, true, "flush rename "), {3, ERROR_SHARING_VIOLATION, true, false, true, true, "flush rename "},
          {3, ERROR_ACCESS_DENIED, true, true, true, true, "flush rename "}, {1000, ERROR_SHARING_VIOLATION, true, false, true, false, "flush rename "},
          {-1, 0, false, false, true, true, "flush rename move "}, {0, 0, true, true, false, true, "flush unmark flush rename "}}) {
        SCOPED_TRACE(testing::Message() << count << " refusals with " << error << " staged " << staged << " by handle " << byHandle);
        std::tie(refusals, renameByHandle, clearsMark) = std::tuple(0, true, true);
        ASSERT_TRUE(host_.WriteBlocksToFile(In("w.bin"), {earlier.get()}));
        ASSERT_TRUE(SetFileAttributesA(In("w.bin").c_str(), count < 0 ? FILE_ATTRIBUTE_READONLY : 0));
        std::tie(refusals, refusal, renameByHandle, clearsMark, calls) = std::tuple(count, error, byHandle, unmarks, "");
        EXPECT_EQ(staged ? host_.StageBytes(In("w.bin"), fresh.get())->Place() == host::WriteOutcome::Written
                         : host_.WriteBlocksToFile(In("w.bin"), {fresh.get()}), written);
        EXPECT_EQ(calls.substr(0, std::string(order).size()), order);
        EXPECT_EQ(Content(In("w.bin")), written ? "fresh" : "earlier");
        EXPECT_TRUE(NoNewFilesIn(root_.path()));
    }
}

// Elevated, an existing destination that others may change gets the program folder's list; one
// protected already keeps its own (table below). Wine keeps of a list only Unix bits: Everyone's are others'.
TEST_F(FileOperations, ExistingProgramFolderOthersMayChangeIsProtectedWhenElevated) {
    if (!host::RunsElevated()) GTEST_SKIP() << "not elevated";
    PSECURITY_DESCRIPTOR open = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    ASSERT_TRUE(host_.MakeDirectory(In("open")) &&
                ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr) &&
                GetSecurityDescriptorDacl(open, &present, &list, &defaulted));
    ASSERT_EQ(SetNamedSecurityInfoA(In("open").data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr), 0u);
    LocalFree(open);
    ASSERT_NE(test::GrantedToOthers(In("open")) & FILE_WRITE_DATA, 0u) << test::AccessList(In("open"));
    EXPECT_EQ(host_.MakeProgramFolder(In("open"), {}), Kept);
    EXPECT_EQ(test::GrantedToOthers(In("open")) & ~(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), 0u) << test::AccessList(In("open"));
}

// An existing destination as Windows answers for it where Wine cannot: its owner and list (Wine
// says: the running user's), a junction, a refused change, elevation.
struct Answers {
    bool elevated = true, junction = false;
    const char* security = nullptr;  // owner and list; null: Wine's
    DWORD changeError = 0;           // SetSecurityInfo's; 0: Wine's
    const char* added = nullptr;     // a file that appears as the list changes
} answers;
std::string folder, changes;  // the folder; what SetSecurityInfo was asked to set
decltype(&GetTokenInformation) realToken;
decltype(&GetFileInformationByHandleEx) realInfo;
decltype(&GetSecurityInfo) realGet;
decltype(&SetSecurityInfo) realSet;
BOOL WINAPI TokenAsWindows(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* out, DWORD size, DWORD* got) {
    if (kind == TokenElevation) static_cast<TOKEN_ELEVATION*>(out)->TokenIsElevated = answers.elevated;
    return kind == TokenElevation || realToken(token, kind, out, size, got);
}
BOOL WINAPI InfoAsWindows(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* out, DWORD size) {
    if (kind != FileAttributeTagInfo || !answers.junction) return realInfo(file, kind, out, size);
    *static_cast<FILE_ATTRIBUTE_TAG_INFO*>(out) = {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_MOUNT_POINT};
    return TRUE;
}
DWORD WINAPI GetAsWindows(HANDLE h, SE_OBJECT_TYPE t, SECURITY_INFORMATION w, PSID* o, PSID* g, PACL* l, PACL* a, PSECURITY_DESCRIPTOR* sd) {
    if (!answers.security) return realGet(h, t, w, o, g, l, a, sd);
    BOOL present = FALSE, defaulted = FALSE;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(answers.security, SDDL_REVISION_1, sd, nullptr);
    return !GetSecurityDescriptorOwner(*sd, o, &defaulted) || !GetSecurityDescriptorDacl(*sd, &present, l, &defaulted);
}
DWORD WINAPI SetAsWindows(HANDLE h, SE_OBJECT_TYPE type, SECURITY_INFORMATION which, PSID owner, PSID group, PACL list, PACL audit) {
    const bool taken = (which & OWNER_SECURITY_INFORMATION) && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    changes = std::string(taken ? "owner " : "") + ((which & PROTECTED_DACL_SECURITY_INFORMATION) ? "list" : "?");
    if (answers.added) CloseHandle(CreateFileA((folder + "\\" + answers.added).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    return answers.changeError ? answers.changeError : realSet(h, type, which, owner, group, list, audit);
}
TEST_F(FileOperations, ExistingProgramFolderAsWindowsAnswers) {
    test::StandIn token("GetTokenInformation", &TokenAsWindows, realToken), info("GetFileInformationByHandleEx", &InfoAsWindows, realInfo),
        get("GetSecurityInfo", &GetAsWindows, realGet), set("SetSecurityInfo", &SetAsWindows, realSet);
    if (!token.active() || !info.active() || !get.active() || !set.active()) GTEST_SKIP() << "not imported";
    const struct {
        const char* what;
        Answers answer;
        std::vector<std::string> entries;  // "name\\": a folder
        host::ProgramFolderOutcome expected;
        const char* changes;
    } cases[] = {
        {"not elevated", {.elevated = false}, {"x.dll"}, Kept, ""},
        {"a junction", {.junction = true}, {}, Refused, ""},
        {"trusted", {.security = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;CO)(A;;0x1200A9;;;BU)"}, {"x.dll"}, Kept, ""},
        {"CREATOR OWNER's", {.security = "O:S-1-3-0D:P(A;;FA;;;BA)"}, {}, Kept, "owner list"},
        {"the user's, ours in it", {}, {"LUMORA.exe", "~lumora-0123abcd.new"}, Kept, "owner list"},
        {"the user's, a stranger's file in it", {}, {"Lumora.exe", "x.dll"}, Refused, "owner list"},
        {"the user's, a folder in it", {}, {"Lumora.exe\\"}, Refused, "owner list"},
        {"a file added as it is taken", {.added = "x.dll"}, {}, Refused, "owner list"},
        {"the change refused", {.changeError = ERROR_NOT_SUPPORTED}, {}, Refused, "owner list"},
        {"the change denied", {.changeError = ERROR_ACCESS_DENIED}, {}, Denied, "owner list"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.what);
        std::tie(answers, folder, changes) = std::tuple(one.answer, In(one.what), "");
        ASSERT_TRUE(host_.MakeDirectory(folder));
        for (const std::string& e : one.entries)
            ASSERT_TRUE(e.back() == '\\' ? host_.MakeDirectory(folder + "\\" + e) : host_.WriteBlocksToFile(folder + "\\" + e, {}));
        EXPECT_EQ(host_.MakeProgramFolder(folder, std::vector<Text>{"Lumora.exe", "Function.dll"}), one.expected);
        EXPECT_EQ(changes, one.changes);
    }
}

// What writes cut short left is removed by its exact form, and nothing else.
TEST_F(FileOperations, NewFileLeftoversGoAndNothingElse) {
    const test::Block block("x");
    const char* const leftovers[] = {"~lumora-0123abcd.new", "~LUMORA-89EFCDAB.NEW"};
    const char* const others[] = {"~lumora-0123abc.new", "~lumora-0123abcg.new", "~lumora-0123abcd.new.txt",
                                  "x~lumora-0123abcd.new", "~lumora-0123abcd.old", "Lumora.exe"};
    for (const char* name : leftovers) ASSERT_TRUE(host_.WriteBlocksToFile(In(name), {block.get()}));
    for (const char* name : others) ASSERT_TRUE(host_.WriteBlocksToFile(In(name), {block.get()}));
    ASSERT_TRUE(host_.MakeDirectory(In("~lumora-00000000.new")));
    ASSERT_TRUE(SetFileAttributesA(In(leftovers[1]).c_str(), FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(host_.RemoveNewFileLeftovers(root_.path()), 2);
    for (const char* name : leftovers) EXPECT_FALSE(test::IsFile(In(name))) << name;
    for (const char* name : others) EXPECT_TRUE(test::IsFile(In(name))) << name;
    EXPECT_TRUE(test::IsFolder(In("~lumora-00000000.new"))) << "a folder is not ours";
    EXPECT_EQ(host_.RemoveNewFileLeftovers(root_.path() + "\\"), 0) << "with its backslash, nothing more";
    EXPECT_EQ(host_.RemoveNewFileLeftovers(In("missing")), 0);
}

TEST_F(FileOperations, RemoveFile) {
    const test::Block block("x");
    ASSERT_TRUE(host_.WriteBlocksToFile(In("gone.bin"), {block.get()}));
    EXPECT_TRUE(host_.RemoveFile(In("gone.bin")));
    EXPECT_FALSE(test::IsFile(In("gone.bin")));
    EXPECT_FALSE(host_.RemoveFile(In("gone.bin")));
    EXPECT_FALSE(host_.RemoveFile(""));
}

// Shell links, read back through the shell-link object.
struct SavedLink {
    std::string target, description, arguments, workingFolder;
};

// The ShowCommand field of a link file's 76-byte header (offset 0x3C, little-endian).
int ShowCommandField(const Text& file) {
    std::string raw;
    if (!test::ReadFileBytes(file, raw) || raw.size() < 0x4C || raw[0] != 0x4C) return -1;
    const auto byte = [&raw](int i) { return static_cast<unsigned>(static_cast<unsigned char>(raw[i])); };
    return static_cast<int>(byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24);
}

std::optional<SavedLink> LoadLink(const Text& file) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return std::nullopt;
    }
    std::optional<SavedLink> result;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        if (SUCCEEDED(persist->Load(test::Wide(file).c_str(), STGM_READ))) {
            char buffer[1024] = {};
            SavedLink saved;
            link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
            saved.target = buffer;
            buffer[0] = '\0';
            link->GetDescription(buffer, sizeof buffer);
            saved.description = buffer;
            buffer[0] = '\0';
            link->GetArguments(buffer, sizeof buffer);
            saved.arguments = buffer;
            buffer[0] = '\0';
            link->GetWorkingDirectory(buffer, sizeof buffer);
            saved.workingFolder = buffer;
            result = saved;
        }
        persist->Release();
    }
    link->Release();
    return result;
}

class Shortcuts : public FileOperations {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        const test::Block program("MZ");
        ASSERT_TRUE(host_.WriteBlocksToFile(target_, {program.get()}));
    }
    void TearDown() override { OleUninitialize(); }
    Text target_ = In("Lumora.exe");
};

TEST_F(Shortcuts, TargetAloneWithShowCommand) {
    ASSERT_TRUE(host_.CreateShortcut(In("Lumora"), target_));
    ASSERT_TRUE(test::IsFile(In("Lumora.lnk")));
    const auto link = LoadLink(In("Lumora.lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(lstrcmpiA(link->target.c_str(), target_.c_str()), 0) << link->target;
    // The file records SW_SHOW in its header (the link object reports any command other than
    // maximised or minimised as normal when it loads one).
    EXPECT_EQ(ShowCommandField(In("Lumora.lnk")), SW_SHOW);
    EXPECT_EQ(link->description, "");
    EXPECT_EQ(link->arguments, "");
    EXPECT_EQ(link->workingFolder, "");

    // The wizard's form: five arguments, the last three left out.
    ASSERT_TRUE(host_.CreateShortcut(In("Five"), target_, std::nullopt, std::nullopt, std::nullopt));
    const auto five = LoadLink(In("Five.lnk"));
    ASSERT_TRUE(five);
    EXPECT_EQ(five->description, "");
    EXPECT_EQ(five->arguments, "");
    EXPECT_EQ(five->workingFolder, "");
}

TEST_F(Shortcuts, DescriptionArgumentsAndWorkingFolderRules) {
    ASSERT_TRUE(host_.CreateShortcut(In("Described"), target_, Text("\xCB\xB5\xC3\xF7")));  // 说明
    auto link = LoadLink(In("Described.lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->description, "\xCB\xB5\xC3\xF7");

    // Four arguments passed: the arguments are not applied.
    ASSERT_TRUE(host_.CreateShortcut(In("Four"), target_, Text("d"), Text("/four")));
    link = LoadLink(In("Four.lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->description, "d");
    EXPECT_EQ(link->arguments, "");

    ASSERT_TRUE(host_.CreateShortcut(In("All"), target_, std::nullopt, Text("/all x"), root_.path()));
    link = LoadLink(In("All.lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->description, "");
    EXPECT_EQ(link->arguments, "/all x");
    EXPECT_EQ(lstrcmpiA(link->workingFolder.c_str(), root_.path().c_str()), 0) << link->workingFolder;

    ASSERT_TRUE(host_.CreateShortcut(In("ArgsOnly"), target_, std::nullopt, Text("-a"), std::nullopt));
    link = LoadLink(In("ArgsOnly.lnk"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->arguments, "-a");
    EXPECT_EQ(link->workingFolder, "");
}

TEST_F(Shortcuts, LinkFileNameRules) {
    ASSERT_TRUE(host_.MakeDirectory(In("v1.0")));
    EXPECT_TRUE(host_.CreateShortcut(In("v1.0\\Lumora"), target_));
    EXPECT_TRUE(test::IsFile(In("v1.0\\Lumora.lnk")));

    EXPECT_TRUE(host_.CreateShortcut(In("Named.link"), target_));
    EXPECT_TRUE(test::IsFile(In("Named.link")));
    EXPECT_FALSE(test::IsFile(In("Named.link.lnk")));
    EXPECT_TRUE(LoadLink(In("Named.link")));

    // 卸载 in a folder named 乗: the folder's trailing 0x5C byte is not a separator.
    ASSERT_TRUE(host_.MakeDirectory(In(kCheng)));
    EXPECT_TRUE(host_.CreateShortcut(In(kCheng + "\\\xD0\xB6\xD4\xD8"), target_));
    EXPECT_EQ(ListFolder(In(kCheng)), std::vector<std::wstring>{L"\u5378\u8F7D.lnk"});
}

TEST_F(Shortcuts, MissingFolderOrTargetFile) {
    EXPECT_FALSE(host_.CreateShortcut(In("missing\\Lumora"), target_));
    EXPECT_FALSE(test::IsFolder(In("missing")));
    // A link to a file that is not there yet is still saved.
    EXPECT_TRUE(host_.CreateShortcut(In("Dangling"), In("NotYet.exe")));
    EXPECT_TRUE(test::IsFile(In("Dangling.lnk")));
}

}  // namespace
