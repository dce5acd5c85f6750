// Special folders, the environment and the registry, on Wine's real implementations.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include <gtest/gtest.h>

#include "host/system/win32_host.h"
#include "test_support.h"

using host::Text;

namespace {

const Text kCheng = "\x81\x5C";  // 乗, whose second byte is a backslash

bool EndsWithNoCase(const Text& text, const Text& ending) {
    return text.size() >= ending.size() &&
           lstrcmpiA(text.substr(text.size() - ending.size()).c_str(), ending.c_str()) == 0;
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
