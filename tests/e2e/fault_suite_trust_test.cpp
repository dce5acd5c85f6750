// The fault suite, what could reach a setup that runs as administrator: damaged copies,
// programs and libraries planted beside it, and the protection of the folder it installs into.
#include "tests/e2e/fault_fixture.h"

namespace {

using namespace e2e;

// Copies of the setup with a carried block damaged as a download can arrive: a byte of its
// content, or its length field made huge, one larger or negative. Each copy says so and ends
// before anything is shown or written.
class DamagedCopy : public Fault {
protected:
    // Damages, in a copy of the setup, the block holding `file` (found by the file's bytes; its
    // header is the 8 bytes before them) and runs the copy.
    void RunDamaged(const char* file, void (*damage)(char* header)) {
        std::string exe;
        ASSERT_TRUE(test::ReadFileBytes(SetupExe(), exe));
        const std::string content = Product(file);
        const std::size_t at = exe.find(content);
        ASSERT_TRUE(at != std::string::npos && at >= 8) << file << " lies in the setup as it is";
        std::int32_t header[2];
        std::memcpy(header, &exe[at - 8], sizeof header);
        ASSERT_TRUE(header[0] == 1 && header[1] == static_cast<std::int32_t>(content.size())) << "its header";
        damage(&exe[at - 8]);
        CreateDirectoryA("C:\\lumora-copies", nullptr);
        ASSERT_TRUE(WriteAll("C:\\lumora-copies\\damaged.exe", exe));
        setup = remote::Start("C:\\lumora-copies\\damaged.exe");
        ASSERT_NE(setup.handle, nullptr);
        HWND box = remote::FindMessageBox(setup.id, 30000);
        ASSERT_NE(box, nullptr) << "no message: the copy crashed or went on";
        EXPECT_EQ(remote::Text(box), "错误：");
        said = remote::BoxMessage(box);
        EXPECT_EQ(said, "安装程序已损坏，请重新下载。");
        EXPECT_EQ(remote::FindTopWindow(setup.id, kTitle, 0), nullptr) << "no wizard";
        remote::PressBoxButton(box, IDOK);
        exitCode = remote::WaitExit(setup, 20000);
        EXPECT_EQ(exitCode, 0);
        EXPECT_FALSE(Exists(D)) << "nothing written";
        ExpectNothingOutsideTheDestination();
    }
    static void LengthOneLarger(char* header) {
        std::int32_t length;
        std::memcpy(&length, header + 4, 4);
        ++length;
        std::memcpy(header + 4, &length, 4);
    }
};

TEST_F(DamagedCopy, DamagedBlock) {
    fault = "a damaged carried block: one byte of its content flipped";
    RunDamaged("Function.dll", [](char* header) { header[8 + 100] ^= 0x01; });
}

TEST_F(DamagedCopy, DamagedBlockHugeLength) {
    fault = "a damaged carried block: its length made huge (the first block's high byte 0x00 to 0x7F)";
    RunDamaged("Lumora.exe", [](char* header) { header[7] = 0x7F; });
}

TEST_F(DamagedCopy, DamagedBlockLengthOneLarger) {
    fault = "a damaged carried block: its length one larger, the content intact";
    RunDamaged("更新日志.log", LengthOneLarger);
}

TEST_F(DamagedCopy, DamagedBlockNegativeLength) {
    fault = "a damaged carried block: its length negative (its top bit set)";
    RunDamaged("卸载.exe", [](char* header) { header[7] = static_cast<char>(header[7] | 0x80); });
}

// A library planted beside the setup under the name of one that it loads late, with Wine
// told to prefer such a copy to its own: a program with the default search loads it, the
// setup does not.
TEST_F(Fault, PlantedLibrary) {
    fault = "shell32.dll planted beside the setup, native copies preferred";
    const std::string folder = "C:\\lumora-planted";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), (folder + "\\LumoraSetup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Located(LUMORA_PLANTED_DLL, "planted.dll").c_str(), (folder + "\\shell32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Located(LUMORA_LATE_LOADER, "late_loader.exe").c_str(), (folder + "\\late_loader.exe").c_str(),
                          FALSE));
    HKEY overrides = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &overrides, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(overrides, "shell32", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    RegCloseKey(overrides);
    const char* mark = "C:\\lumora-planted-loaded.txt";

    // The yardstick: loaded late with the default search, from the program's folder.
    remote::RunToEnd("\"" + folder + "\\late_loader.exe\" shell32.dll");
    ASSERT_TRUE(Exists(mark)) << "the planted library would be loaded by a program that searches its own folder";
    DeleteFileA(mark);

    setup = remote::Start(folder + "\\LumoraSetup.exe", folder);
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    WalkToReady();  // the destination page proposes a folder: shell and registry at work
    remote::Click(C(k上一步));
    remote::Click(C(k目录浏览));  // the folder dialog: the shell loaded for certain
    HWND dialog = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(dialog, nullptr);
    remote::PressBoxButton(dialog, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return remote::FindMessageBox(setup.id, 0) == nullptr; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND box = remote::FindMessageBox(setup.id, 10000);
    ASSERT_NE(box, nullptr);
    remote::PressBoxButton(box, IDYES);
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(Exists(mark)) << "the setup loaded the planted library";
    said = Exists(mark) ? "(loaded it)" : "(not loaded; the folder dialog opened and was cancelled)";
}

// A program planted beside the setup in a downloads folder under the website's host name: the
// shell takes a bare host name for a file first, and ".com" runs. The website box sends the
// full address to the browser instead.
TEST_F(Fault, PlantedWebsiteProgram) {
    fault = "a program named www.lumora-app.com beside the setup in its downloads folder, website ticked";
    const std::string folder = "C:\\lumora-downloads", planted = folder + "\\www.lumora-app.com";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), (folder + "\\LumoraSetup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), planted.c_str(), FALSE));
    RecordOpenedThings();
    setup = remote::Start(folder + "\\LumoraSetup.exe", folder);
    window = remote::FindTopWindow(setup.id, kTitle, 30000);
    ASSERT_NE(window, nullptr);
    WalkToReady();
    ASSERT_TRUE(InstallToFinishPage());
    SetTicked(k查看更新内容, false);
    SetTicked(k查看解决方案, false);
    SetTicked(k访问官网, true);
    remote::Click(C(k下一步));
    exitCode = remote::WaitExit(setup, 20000);
    EXPECT_EQ(exitCode, 0);
    const auto opened = OpenedThings(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(lstrcmpiA(opened[0].program.c_str(), planted.c_str()), 0) << "the planted program ran";
    EXPECT_NE(opened[0].commandLine.find("http://www.lumora-app.com/"), std::string::npos) << opened[0].commandLine;
    const std::string& line = opened[0].commandLine;
    const std::string address = line.substr(std::min(line.find("http"), line.size()));
    said = "(finish page; the browser was given " + address.substr(0, address.find('"')) +
           ", the planted program did not run)";
}

// The destination folder the setup makes holds programs that an administrator runs later: it
// is protected as the folder for programs is, whatever its parent allows. One that exists
// already keeps its own access list.
TEST_F(Fault, DestinationMadeOnADriveRoot) {
    fault = "destination that the setup makes on a drive root (C:\\Lumora)";
    Into("C:\\Lumora");
    const std::string rootList = test::AccessList("C:\\");
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    EXPECT_EQ(test::GrantedToOthers(D) & ~static_cast<DWORD>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), 0u);
    EXPECT_NE(test::AccessList(D), rootList) << "not the drive root's list";
    note = "access list as the system reports it: " + test::AccessList(D) + " (the drive root's: " + rootList + ")";
}

TEST_F(Fault, DestinationThatExists) {
    fault = "destination folder that exists already (C:\\Apps\\Lumora)";
    IntoExistingFolder({});
    const std::string before = test::AccessList(D);
    StartSetup();
    WalkToReady();
    InstallToTheEnd();
    EXPECT_EQ(said, "(finish page)");
    EXPECT_EQ(test::AccessList(D), before);
    note = "its own access list kept: " + before;
}

}  // namespace
