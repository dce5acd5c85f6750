#pragma once
// The fault suite's fixture: the built setup under one fault in a fresh prefix of its own.
// Every case ends with exit code 0 and no crash, and every file that the setup reports as
// written holds exactly its carried bytes. Each case also prints a row
// "FAULT-ROW|fault|what the setup said|exit code|files left" for the fault table
// in docs/faults.md (scripts/fault-table.sh).
#include "tests/e2e/install_fixture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace e2e {

inline const std::string kFailed = "安装Lumora失败！\r\n请尝试更换安装目录！";
inline const std::string kFailedWithoutRights = "安装Lumora失败！\r\n请尝试管理员权限运行本程序！";

inline std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

class Fault : public SetupInstall {
protected:
    void TearDown() override {
        int present = 0, whole = 0;
        auto look = [&](const char* name) {
            present += Exists(D + "\\" + name);
            whole += Exists(D + "\\" + name) && SameAsCarried(D + "\\" + name, name);
        };
        for (const char* name : kProgramFiles) look(name);
        for (const char* name : kTextFiles) look(name);
        std::string files = present ? std::to_string(present) + " of the 9 files (" + std::to_string(whole) + " whole)"
                                    : "none of the 9 files";
        files += Exists(menu) || Exists(desktop + "\\Lumora.lnk") ? ", the shortcuts" : ", no shortcuts";
        if (!note.empty()) files += "; " + note;
        std::printf("FAULT-ROW|%s|%s|%ld|%s\n", fault.c_str(), OneLine(said).c_str(), exitCode, files.c_str());
        std::fflush(stdout);
        SetupInstall::TearDown();
    }

    // The install as pressed, to its end: the finish page left by Finish, or the error box
    // answered. What was said and the exit code are kept for the row. `pressed`: the install
    // has been started already.
    void InstallToTheEnd(bool pressed = false) {
        if (!pressed) remote::Click(C(k下一步));
        HWND box = nullptr;
        ASSERT_TRUE(Eventually(
            [&] {
                box = remote::FindMessageBox(setup.id, 0);
                return box || TextOf(k下一步) == "完成(I)";
            },
            30000));
        if (box) {
            said = remote::BoxMessage(box);
            remote::PressBoxButton(box, IDOK);
        } else {
            said = "(finish page)";
            SetTicked(k查看更新内容, false);
            SetTicked(k查看解决方案, false);
            remote::Click(C(k下一步));
        }
        exitCode = remote::WaitExit(setup, 20000);
        EXPECT_EQ(exitCode, 0);
    }
    // An earlier installation in the destination: every file of the nine, each with bytes of
    // its own ("an earlier NAME").
    void IntoEarlierInstall(const std::string& folder) {
        Into(folder);
        CreateDirectoryW(test::Wide(D.substr(0, D.rfind('\\'))).c_str(), nullptr);  // ASCII paths only
        CreateDirectoryW(test::Wide(D).c_str(), nullptr);
        for (const char* name : kProgramFiles) ASSERT_TRUE(WriteAll(D + "\\" + name, Earlier(name)));
        for (const char* name : kTextFiles) ASSERT_TRUE(WriteAll(D + "\\" + name, Earlier(name)));
    }
    static std::string Earlier(const char* name) { return std::string("an earlier ") + name; }
    // Every file of the destination holds its carried bytes or its earlier ones, and no new
    // file of the setup's is left there or beside the shortcuts; the files that hold the
    // carried bytes, by name.
    std::vector<std::string> ExpectEveryFileWholeAndNoNewFiles() {
        std::vector<std::string> carried, names(std::begin(kProgramFiles), std::end(kProgramFiles));
        names.insert(names.end(), std::begin(kTextFiles), std::end(kTextFiles));
        for (const std::string& name : names) {
            std::string bytes;
            if (!test::ReadFileBytes(D + "\\" + name, bytes)) continue;
            if (bytes == Product(name.c_str())) carried.push_back(name);
            else EXPECT_EQ(bytes, Earlier(name.c_str())) << name << " is neither whole file";
        }
        for (const std::string& folder : {D, menu, desktop}) {
            for (const std::wstring& name : test::FolderNames(test::Wide(folder))) {
                EXPECT_NE(name.rfind(L"~lumora-", 0), 0u) << "a new file left in " << folder;
            }
        }
        return carried;
    }
    void SetMachineValue(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "TarvelPaths", 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    std::string fault, said = "(nothing)", note;
    long exitCode = -1;
};

}  // namespace e2e
