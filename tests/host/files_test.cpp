// Files, folders, shortcuts, special folders, the environment and the registry, on Wine's
// real implementations. 乗 (GBK 81 5C) and 淺 (9C 5C) end in a backslash byte.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "host/win32_host.h"
#include "test_support.h"

using host::Text;

namespace {

const Text kCheng = "\x81\x5C";  // 乗
const Text kQian = "\x9C\x5C";   // 淺

// Names in a folder as the system spells them in UTF-16.
std::vector<std::wstring> ListFolder(const Text& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((test::Wide(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool EndsWithNoCase(const Text& text, const Text& ending) {
    return text.size() >= ending.size() &&
           lstrcmpiA(text.substr(text.size() - ending.size()).c_str(), ending.c_str()) == 0;
}

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
    EXPECT_TRUE(host_.MakeProgramFolder(In("programs")));
    EXPECT_TRUE(test::IsFolder(In("programs")));
    EXPECT_EQ(test::GrantedToOthers(In("programs")) & ~kReadAndRun, 0u) << test::AccessList(In("programs"));
    EXPECT_NE(test::AccessList(In("programs")), plain) << "not the list every new folder gets";

    EXPECT_FALSE(host_.MakeProgramFolder(In("plain")));
    EXPECT_EQ(test::AccessList(In("plain")), plain);
    EXPECT_FALSE(host_.MakeProgramFolder(In("missing\\two")));
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

TEST(SpecialFolders, UserFoldersMatchTheShellAndEndInABackslash) {
    host::Win32Host win32;
    host::HostServices& host = win32;
    const struct {
        int number;
        int csidl;
    } folders[] = {{1, CSIDL_PERSONAL}, {2, CSIDL_FAVORITES}, {3, CSIDL_DESKTOPDIRECTORY}, {4, CSIDL_FONTS},
                   {5, CSIDL_STARTMENU}, {6, CSIDL_PROGRAMS},  {7, CSIDL_STARTUP},          {8, CSIDL_APPDATA}};
    for (const auto& f : folders) {
        SCOPED_TRACE(f.number);
        wchar_t expected[MAX_PATH] = {};
        const Text path = host.SpecialFolderPath(f.number);
        if (SUCCEEDED(SHGetFolderPathW(nullptr, f.csidl, nullptr, SHGFP_TYPE_CURRENT, expected))) {
            ASSERT_FALSE(path.empty());
            EXPECT_EQ(path.back(), '\\');
            EXPECT_EQ(lstrcmpiW(test::Wide(path).c_str(), (std::wstring(expected) + L"\\").c_str()), 0) << path;
        } else {
            EXPECT_EQ(path, "");
        }
    }
    const Text programs = host.SpecialFolderPath(host::special_folder::kPrograms);
    EXPECT_TRUE(EndsWithNoCase(programs, "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"))
        << programs;
    EXPECT_TRUE(test::IsFolder(programs));
    const Text desktop = host.SpecialFolderPath(host::special_folder::kDesktop);
    EXPECT_TRUE(EndsWithNoCase(desktop, "\\Desktop\\")) << desktop;
    EXPECT_TRUE(test::IsFolder(desktop));
}

TEST(SpecialFolders, SystemFoldersAndUnknownNumbers) {
    host::Win32Host win32;
    host::HostServices& host = win32;
    const Text windows = host.SpecialFolderPath(host::special_folder::kWindows);
    const Text system = host.SpecialFolderPath(host::special_folder::kSystem);
    const Text temp = host.SpecialFolderPath(host::special_folder::kTemp);
    EXPECT_TRUE(EndsWithNoCase(windows, ":\\windows\\")) << windows;
    EXPECT_TRUE(EndsWithNoCase(system, "\\system32\\")) << system;
    EXPECT_EQ(lstrcmpiA(system.substr(0, windows.size()).c_str(), windows.c_str()), 0) << system;
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    for (const Text& folder : {windows, system, temp}) EXPECT_TRUE(test::IsFolder(folder)) << folder;

    for (int number : {0, 12, -1, 100}) EXPECT_EQ(host.SpecialFolderPath(number), "") << number;
}

TEST(SpecialFolders, APieceWithItsOwnBackslashFollowsWithADoubledOne) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    host::Win32Host win32;
    host::HostServices& host = win32;
    const Text tag = "LumoraHostTest_" + std::to_string(GetCurrentProcessId());
    for (int number : {host::special_folder::kPrograms, host::special_folder::kDesktop}) {
        SCOPED_TRACE(number);
        const Text base = host.SpecialFolderPath(number);
        ASSERT_FALSE(base.empty());
        const Text folder = host::JoinTexts(base, "\\", tag);  // "...\\\\LumoraHostTest_n"
        ASSERT_TRUE(host.MakeDirectory(folder));
        const test::Block block("[InternetShortcut]\r\n");
        EXPECT_TRUE(host.WriteBlocksToFile(folder + "\\Site.url", {block.get()}));
        EXPECT_TRUE(host.CreateShortcut(folder + "\\Lumora", folder + "\\Site.url"));
        const Text single = base + tag;
        EXPECT_TRUE(test::IsFile(single + "\\Site.url"));
        EXPECT_TRUE(test::IsFile(single + "\\Lumora.lnk"));
        test::RemoveTree(single);
    }
    OleUninitialize();
}

TEST(Environment, ValuesAsTheyWereWhenTheHostWasMade) {
    const std::string longValue(5000, 'v');
    SetEnvironmentVariableA("LUMORA_HOST_ENV_A", "before");
    SetEnvironmentVariableA("LUMORA_HOST_ENV_LONG", longValue.c_str());
    SetEnvironmentVariableA("LUMORA_HOST_ENV_GBK", "\xD6\xD0\x81\x5C");
    SetEnvironmentVariableA("LUMORA_HOST_ENV_LATER", nullptr);
    host::Win32Host win32;
    host::HostServices& host = win32;
    SetEnvironmentVariableA("LUMORA_HOST_ENV_A", "after");
    SetEnvironmentVariableA("LUMORA_HOST_ENV_GBK", nullptr);
    SetEnvironmentVariableA("LUMORA_HOST_ENV_LATER", "later");

    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV_A"), "before");
    EXPECT_EQ(host.ReadEnvironmentVariable("lumora_host_env_a"), "before");
    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV_LONG"), longValue);
    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV_GBK"), "\xD6\xD0\x81\x5C");
    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV_LATER"), "");
    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV_MISSING"), "");
    EXPECT_EQ(host.ReadEnvironmentVariable("LUMORA_HOST_ENV"), "");  // a prefix is no match
    EXPECT_EQ(host.ReadEnvironmentVariable(""), "");
    EXPECT_FALSE(host.ReadEnvironmentVariable("ProgramFiles").empty());
}

// Registry values are set by the system's own reg.exe, as an administrator would.
class Registry : public ::testing::Test {
protected:
    static Text Key() { return "Software\\LumoraHostTest_" + std::to_string(GetCurrentProcessId()); }
    static Text ClassKey() { return "LumoraHostTest_" + std::to_string(GetCurrentProcessId()); }
    static Text RootValue() { return "LumoraHostTestRoot_" + std::to_string(GetCurrentProcessId()); }
    static Text LongValue() {
        Text value;
        for (int i = 0; value.size() < 1000; ++i) value += std::to_string(i) + ";";
        return value;
    }
    static void Add(const Text& arguments) {
        ASSERT_EQ(test::RunToEnd("reg.exe add " + arguments + " /f"), 0) << arguments;
    }
    static void SetUpTestSuite() {
        const Text key = "\"HKCU\\" + Key() + "\"";
        Add(key + " /v Plain /t REG_SZ /d \"C:\\Games\\Lumora\"");
        Add(key + " /v Expand /t REG_EXPAND_SZ /d \"%LUMORA_HOST_REG_VAR%\\sub\"");
        Add(key + " /v Number /t REG_DWORD /d 7");
        Add(key + " /v Empty /t REG_SZ /d \"\"");
        Add(key + " /v Long /t REG_SZ /d \"" + LongValue() + "\"");
        Add(key + " /ve /t REG_SZ /d \"key default\"");
        Add("\"HKCU\\" + Key() + "\\A" + kCheng + "\" /v \"\xC3\xFB" + kCheng + "\" /t REG_SZ /d \"\xD6\xD0" + kCheng + "\"");
        Add("HKLM /v " + RootValue() + " /t REG_SZ /d \"D:\\Root Folder\"");
        Add("\"HKLM\\" + Key() + "\" /v Machine /t REG_SZ /d \"machine\"");
        Add("\"HKCR\\" + ClassKey() + "\" /ve /t REG_SZ /d classes");
        Add("\"HKCC\\" + Key() + "\" /v Config /t REG_SZ /d config");
        Add("\"HKU\\.DEFAULT\\" + Key() + "\" /v Users /t REG_SZ /d users");
    }
    static void TearDownTestSuite() {
        test::RunToEnd("reg.exe delete \"HKCU\\" + Key() + "\" /f");
        test::RunToEnd("reg.exe delete \"HKLM\\" + Key() + "\" /f");
        test::RunToEnd("reg.exe delete HKLM /v " + RootValue() + " /f");
        test::RunToEnd("reg.exe delete \"HKCR\\" + ClassKey() + "\" /f");
        test::RunToEnd("reg.exe delete \"HKCC\\" + Key() + "\" /f");
        test::RunToEnd("reg.exe delete \"HKU\\.DEFAULT\\" + Key() + "\" /f");
    }
    host::Win32Host win32_;
    host::HostServices& host_ = win32_;
};

TEST_F(Registry, StringValues) {
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Plain"), "C:\\Games\\Lumora");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Empty", "fallback"), "");  // stored empty text
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Long"), LongValue());
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\"), "key default");
    // Key A乗 and value 名乗: neither is cut at the 0x5C byte of 乗.
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\A" + kCheng + "\\\xC3\xFB" + kCheng), "\xD6\xD0" + kCheng);
}

TEST_F(Registry, ExpandStringIsExpanded) {
    SetEnvironmentVariableA("LUMORA_HOST_REG_VAR", "C:\\Expanded");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Expand"), "C:\\Expanded\\sub");
    SetEnvironmentVariableA("LUMORA_HOST_REG_VAR", nullptr);
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Expand"), "%LUMORA_HOST_REG_VAR%\\sub");
}

TEST_F(Registry, OtherTypesAndMissingValuesGiveTheDefault) {
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Number"), "");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Number", "fallback"), "fallback");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Missing"), "");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Missing", "fallback"), "fallback");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\NoKey\\Plain", "fallback"), "fallback");
    EXPECT_EQ(host_.ReadRegistryText(4, "LumoraHostTestNoSuchValue"), "");
}

TEST_F(Registry, Roots) {
    EXPECT_EQ(host_.ReadRegistryText(4, RootValue()), "D:\\Root Folder");  // directly under HKLM
    EXPECT_EQ(host_.ReadRegistryText(4, Key() + "\\Machine"), "machine");
    EXPECT_EQ(host_.ReadRegistryText(3, Key() + "\\Machine"), "");
    EXPECT_EQ(host_.ReadRegistryText(4, Key() + "\\Plain"), "");
    // Unknown root numbers mean the current user.
    EXPECT_EQ(host_.ReadRegistryText(0, Key() + "\\Plain"), "C:\\Games\\Lumora");
    EXPECT_EQ(host_.ReadRegistryText(99, Key() + "\\Plain"), "C:\\Games\\Lumora");
    EXPECT_EQ(host_.ReadRegistryText(1, ClassKey() + "\\"), "classes");
    EXPECT_EQ(host_.ReadRegistryText(2, Key() + "\\Config"), "config");
    EXPECT_EQ(host_.ReadRegistryText(5, ".DEFAULT\\" + Key() + "\\Users"), "users");
}

}  // namespace
