// The uninstaller's removal on a made-up installation in scratch folders: what the setup
// writes goes, what it did not write stays, with the reason given.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>

#include "host/system/win32_host.h"
#include "product/uninstaller/removal.h"
#include "tests/host/test_support.h"

namespace {

using uninstall::Kept;

const char* const kProductFiles[] = {"Lumora.exe",   "TarvelUP.exe",   "卸载.exe",       "Function.dll", "Tarvel-Skin.dll",
                                     "更新日志.log", "常见问题解答.txt", "Lumora官网.url", "Lumora视频教程.url"};

class Removal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        places = {root.path() + "\\Lumora", root.path() + "\\Programs", root.path() + "\\Desktop"};
        for (const std::string& folder : {places.folder, places.programsMenu, places.desktop}) {
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        }
    }
    void TearDown() override { CoUninitialize(); }

    void Write(const std::string& path, std::string_view bytes) {
        const test::Block block(bytes);
        ASSERT_TRUE(host.WriteBlocksToFile(path, {block.get()})) << path;
    }
    void Link(const std::string& path, const std::string& target) {
        ASSERT_TRUE(host.CreateShortcut(path, target, std::nullopt, std::nullopt, std::nullopt)) << path;
    }
    // Everything that the setup writes with both options ticked, made as the setup makes it.
    void Installed(bool texts = true, bool shortcuts = true) {
        for (int i = 0; i < 9; ++i) {
            if (i >= 5 && !texts) break;  // the texts and internet shortcuts come last
            const std::string name = kProductFiles[i];
            const std::string path = places.folder + "\\" + name;
            if (name == "Lumora官网.url") Write(path, uninstall::WebsiteShortcutBytes());
            else if (name == "Lumora视频教程.url") Write(path, uninstall::TutorialShortcutBytes());
            else Write(path, name);
        }
        if (!shortcuts) return;
        const std::string menu = places.programsMenu + "\\Lumora";
        ASSERT_TRUE(CreateDirectoryA(menu.c_str(), nullptr));
        Write(menu + "\\Lumora官网.url", uninstall::WebsiteShortcutBytes());
        Write(menu + "\\Lumora视频教程.url", uninstall::TutorialShortcutBytes());
        Link(menu + "\\Lumora", places.folder + "\\Lumora.exe");
        Link(menu + "\\卸载", places.folder + "\\卸载.exe");
        Write(places.desktop + "\\Lumora官网.url", uninstall::WebsiteShortcutBytes());
        Write(places.desktop + "\\Lumora视频教程.url", uninstall::TutorialShortcutBytes());
        Link(places.desktop + "\\Lumora", places.folder + "\\Lumora.exe");
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::vector<std::pair<std::string, Kept>> KeptOf(const uninstall::Report& report) {
        std::vector<std::pair<std::string, Kept>> kept;
        for (const auto& item : report.kept) kept.emplace_back(item.path, item.why);
        return kept;
    }

    test::ScratchFolder root{"uninstall"};
    uninstall::Places places;
    host::Win32Host host;
};

TEST_F(Removal, EverythingTheSetupWroteGoesWithTheFolders) {
    Installed();
    const uninstall::Report report = uninstall::RemoveInstallation(places, false);
    EXPECT_TRUE(report.kept.empty());
    EXPECT_EQ(report.removed, 9 + 4 + 1 + 3 + 1);  // files, menu entries and folder, desktop, folder
    EXPECT_FALSE(Exists(places.folder));
    EXPECT_FALSE(Exists(places.programsMenu + "\\Lumora"));
    EXPECT_TRUE(Exists(places.programsMenu)) << "only our folder in it";
    for (const char* name : {"Lumora官网.url", "Lumora视频教程.url", "Lumora.lnk"}) {
        EXPECT_FALSE(Exists(places.desktop + "\\" + name)) << name;
    }
}

TEST_F(Removal, WhatTheUserAddedStaysAndSoDoesItsFolder) {
    Installed();
    Write(places.folder + "\\我的笔记.txt", "mine");
    Write(places.programsMenu + "\\Lumora\\Notes.url", "mine too");
    Write(places.desktop + "\\Lumora.url", "a name like ours");
    const uninstall::Report report = uninstall::RemoveInstallation(places, false);
    const std::vector<std::pair<std::string, Kept>> kept = {{places.programsMenu + "\\Lumora", Kept::HoldsOtherFiles},
                                                            {places.folder, Kept::HoldsOtherFiles}};
    EXPECT_EQ(KeptOf(report), kept);
    EXPECT_TRUE(Exists(places.folder + "\\我的笔记.txt"));
    EXPECT_TRUE(Exists(places.programsMenu + "\\Lumora\\Notes.url"));
    EXPECT_TRUE(Exists(places.desktop + "\\Lumora.url"));
    for (const char* name : kProductFiles) EXPECT_FALSE(Exists(places.folder + "\\" + name)) << name;
}

TEST_F(Removal, ShortcutsWithOurNamesButNotOursStay) {
    Installed();
    // A desktop link of that name to another program, a changed internet shortcut.
    ASSERT_TRUE(DeleteFileA((places.desktop + "\\Lumora.lnk").c_str()));
    Link(places.desktop + "\\Lumora", root.path() + "\\Other\\Lumora.exe");
    Write(places.desktop + "\\Lumora官网.url", std::string(uninstall::WebsiteShortcutBytes()) + "\r\n");
    Write(places.programsMenu + "\\Lumora\\Lumora视频教程.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n");
    const uninstall::Report report = uninstall::RemoveInstallation(places, false);
    const std::vector<std::pair<std::string, Kept>> kept = {
        {places.programsMenu + "\\Lumora\\Lumora视频教程.url", Kept::NotOurs},
        {places.programsMenu + "\\Lumora", Kept::HoldsOtherFiles},
        {places.desktop + "\\Lumora官网.url", Kept::NotOurs},
        {places.desktop + "\\Lumora.lnk", Kept::NotOurs},
    };
    EXPECT_EQ(KeptOf(report), kept);
    EXPECT_EQ(uninstall::LinkTarget(places.desktop + "\\Lumora.lnk"), root.path() + "\\Other\\Lumora.exe");
    EXPECT_FALSE(Exists(places.desktop + "\\Lumora视频教程.url")) << "the one that is ours goes";
    EXPECT_FALSE(Exists(places.folder));
}

TEST_F(Removal, WithoutTextsOrShortcutsAndASecondTime) {
    Installed(false, false);
    uninstall::Report report = uninstall::RemoveInstallation(places, false);
    EXPECT_TRUE(report.kept.empty());
    EXPECT_FALSE(Exists(places.folder));
    // Nothing left: nothing removed, nothing to report.
    report = uninstall::RemoveInstallation(places, false);
    EXPECT_EQ(report.removed, 0);
    EXPECT_TRUE(report.kept.empty());
}

// The pending renames the system carries out at the next start, as the registry holds them.
std::wstring PendingAtRestart() {
    HKEY key = nullptr;
    std::wstring value;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()),
                         &size);
    }
    RegCloseKey(key);
    return value;
}
void RestorePendingAtRestart(const std::wstring& before) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_SET_VALUE, &key), ERROR_SUCCESS);
    if (before.empty()) RegDeleteValueW(key, L"PendingFileRenameOperations");
    else RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(before.data()),
                        static_cast<DWORD>(before.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

// A file in use is told apart from one we may not remove. Held without delete sharing it cannot
// be moved aside, so it stays in use and nothing is marked by its name.
TEST_F(Removal, FilesInUseOrReadOnly) {
    Installed();
    ASSERT_TRUE(SetFileAttributesA((places.folder + "\\TarvelUP.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string held = places.folder + "\\Function.dll";
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::wstring before = PendingAtRestart();
    const uninstall::Report report = uninstall::RemoveInstallation(places, true);
    const std::wstring pending = PendingAtRestart();
    RestorePendingAtRestart(before);
    CloseHandle(holder);
    ASSERT_EQ(report.kept.size(), 2u);
    EXPECT_EQ(report.kept[0].path, held);
    EXPECT_EQ(report.kept[0].why, Kept::InUse);
    EXPECT_EQ(pending.find(test::Wide(held)), std::wstring::npos) << "never marked by its own name";
    EXPECT_EQ(report.kept[1].path, places.folder);
    EXPECT_FALSE(Exists(places.folder + "\\TarvelUP.exe")) << "a read-only copy of ours goes too";
}

// What a setup ended midway left of its new files goes with the rest, and only that.
TEST_F(Removal, NewFileLeftoversGoToo) {
    Installed();
    const std::string menu = places.programsMenu + "\\Lumora";
    for (const std::string& folder : {places.folder, menu, places.desktop}) Write(folder + "\\~lumora-0123abcd.new", "part");
    Write(places.desktop + "\\~lumora-notours.new", "the user's");
    const uninstall::Report report = uninstall::RemoveInstallation(places, false);
    EXPECT_TRUE(report.kept.empty());
    EXPECT_EQ(report.removed, 9 + 4 + 3 + 3 + 2);  // files, menu entries, desktop entries, leftovers, folders
    EXPECT_FALSE(Exists(places.folder));
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(Exists(places.desktop + "\\~lumora-0123abcd.new"));
    EXPECT_TRUE(Exists(places.desktop + "\\~lumora-notours.new"));
}

TEST(SamePath, IgnoresCaseAndForm) {
    EXPECT_TRUE(uninstall::SamePath("C:\\Program Files\\Lumora\\Lumora.exe", "c:\\program files\\LUMORA\\lumora.EXE"));
    EXPECT_TRUE(uninstall::SamePath("C:\\A\\.\\B\\..\\B\\x.exe", "C:\\A\\B\\x.exe"));
    EXPECT_FALSE(uninstall::SamePath("C:\\A\\x.exe", "C:\\B\\x.exe"));
    EXPECT_FALSE(uninstall::SamePath("", ""));
}

}  // namespace
