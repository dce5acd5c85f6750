// Starting, listing and ending processes, and the shell, with a helper program of ours.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "host/system/single_instance.h"
#include "host/system/system_pages.h"
#include "host/system/win32_host.h"
#include "stand_in.h"
#include "test_support.h"

using host::Text;

namespace {

class Processes : public ::testing::Test {
protected:
    test::ScratchFolder root_{"process"};
    host::Win32Host win32_;
    host::HostServices& host_ = win32_;
    const Text helper_ = test::ProgramFolder() + "\\host_helper.exe";

    Text In(const Text& name) const { return root_.path() + "\\" + name; }
    // Starts the helper sleeping for a minute; the caller owns the process handle.
    bool StartSleeping(PROCESS_INFORMATION& child) const {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        Text line = helper_ + " sleep 60000";
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
            return false;
        }
        CloseHandle(child.hThread);
        return true;
    }
    static std::string Content(const Text& path) {
        std::string bytes;
        return test::ReadFileBytes(path, bytes) ? bytes : std::string("<missing>");
    }
    // Waits up to ten seconds for a file that another process writes.
    static std::string AwaitContent(const Text& path) {
        for (int i = 0; i < 500 && !test::IsFile(path); ++i) Sleep(20);
        Sleep(50);  // let the writer close it
        return Content(path);
    }
};

TEST_F(Processes, RunProgramWaitsForTheEndWhenAsked) {
    ASSERT_TRUE(host_.RunProgram(helper_ + " delay-write 300 " + In("ended.txt") + " done", true));
    EXPECT_EQ(Content(In("ended.txt")), "done");
}

TEST_F(Processes, RunProgramWithoutWaitReturnsWhileTheProgramRuns) {
    // The helper writes only after the go file appears, which we create after RunProgram returned.
    ASSERT_TRUE(host_.RunProgram(helper_ + " wait-for " + In("go") + " " + In("after.txt") + " ran", false));
    EXPECT_FALSE(test::IsFile(In("after.txt")));
    const test::Block go("go");
    ASSERT_TRUE(host_.WriteBlocksToFile(In("go"), {go.get()}));
    EXPECT_EQ(AwaitContent(In("after.txt")), "ran");
}

TEST_F(Processes, RunProgramWindowModes) {
    const struct {
        std::optional<int> mode;
        const char* showCommand;
    } cases[] = {{std::nullopt, "1"}, {1, "0"}, {2, "1"}, {3, "2"}, {4, "3"},
                 {5, "4"},            {6, "6"}, {0, "0"}, {-9, "0"}, {9, "6"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode.value_or(-100));
        ASSERT_TRUE(host_.RunProgram(helper_ + " show-mode " + In("mode.txt"), true, c.mode));
        EXPECT_EQ(Content(In("mode.txt")), c.showCommand);
    }
}

TEST_F(Processes, RunProgramHandsOnTheCurrentFolderAndTheCommandLineUnquoted) {
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.path().c_str()));
    const bool started = host_.RunProgram(helper_ + " cwd " + In("cwd.txt"), true);
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(started);
    EXPECT_EQ(lstrcmpiA(Content(In("cwd.txt")).c_str(), root_.path().c_str()), 0);

    // A program folder with a blank, unquoted, as the wizard starts the product.
    ASSERT_TRUE(host_.MakeDirectory(In("Lumora Test")));
    ASSERT_TRUE(CopyFileA(helper_.c_str(), In("Lumora Test\\Lumora.exe").c_str(), FALSE));
    ASSERT_TRUE(host_.RunProgram(In("Lumora Test\\Lumora.exe") + " write " + In("blank.txt") + " ok", true));
    EXPECT_EQ(Content(In("blank.txt")), "ok");

    // A folder of its own, as the finish page starts the product.
    ASSERT_TRUE(host_.RunProgram(helper_ + " cwd " + In("own.txt"), true, std::nullopt, In("Lumora Test")));
    EXPECT_EQ(lstrcmpiA(Content(In("own.txt")).c_str(), In("Lumora Test").c_str()), 0);
}

TEST_F(Processes, RunProgramThatCannotStart) {
    EXPECT_FALSE(host_.RunProgram(In("NoSuchProgram.exe"), false));
    EXPECT_FALSE(host_.RunProgram(In("NoSuchProgram.exe"), true));
    EXPECT_FALSE(host_.RunProgram("", false));
    const test::Block text("not a program");
    ASSERT_TRUE(host_.WriteBlocksToFile(In("text.exe"), {text.get()}));
    EXPECT_FALSE(host_.RunProgram(In("text.exe"), true));
}

TEST_F(Processes, ListAndEndAProcess) {
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(StartSleeping(child));

    const std::vector<host::ProcessRecord> list = host_.ListProcesses();
    auto byId = [&list](DWORD id) {
        return std::find_if(list.begin(), list.end(), [id](const host::ProcessRecord& r) { return r.processId == id; });
    };
    const auto helper = byId(child.dwProcessId);
    ASSERT_NE(helper, list.end());
    EXPECT_EQ(helper->exeFile, "host_helper.exe");  // the file name alone
    EXPECT_EQ(helper->parentProcessId, GetCurrentProcessId());
    EXPECT_GE(helper->threadCount, 1u);
    const auto self = byId(GetCurrentProcessId());
    ASSERT_NE(self, list.end());
    EXPECT_EQ(self->exeFile, "host_process_test.exe");
    EXPECT_GE(self->threadCount, 1u);
    for (const host::ProcessRecord& r : list) EXPECT_EQ(r.exeFile.find('\\'), Text::npos) << r.exeFile;

    EXPECT_TRUE(host_.EndProcess(child.dwProcessId));
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(child.hProcess);

    const std::vector<host::ProcessRecord> after = host_.ListProcesses();
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), [&child](const host::ProcessRecord& r) {
        return r.processId == child.dwProcessId && r.exeFile == "host_helper.exe";
    }));
}

// On a busy machine the list outgrows the first buffer: read again into a larger one, it comes
// whole, ours among it.
TEST_F(Processes, AListLargerThanItsFirstBufferComesWhole) {
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(StartSleeping(child));
    for (std::size_t first : {std::size_t{1}, std::size_t{600}}) {
        const std::vector<host::ProcessRecord> list = host::ReadSystemProcessList(first);
        for (const auto& [id, name] : {std::pair<DWORD, Text>{child.dwProcessId, "host_helper.exe"},
                                       {GetCurrentProcessId(), "host_process_test.exe"}}) {
            EXPECT_TRUE(std::any_of(list.begin(), list.end(), [&](const host::ProcessRecord& r) {
                return r.processId == id && r.exeFile == name;
            })) << first << " bytes first: " << name;
        }
    }
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hProcess);
}

// The stack below a frame goes back to the system (the thread's start under Wine wrote 960 KB).
TEST(ThreadStack, ThePagesBelowAFrameGoBackAndTheFrameKeepsItsData) {
    char frame[4096];
    std::fill_n(frame, sizeof frame, 'Z');
    PROCESS_MEMORY_COUNTERS before{}, after{};
    K32GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    host::GiveBackStackBelow(frame);
    K32GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_EQ(std::count(frame, frame + sizeof frame, 'Z'), 4096);
    EXPECT_GT(before.PagefileUsage, after.PagefileUsage + 512 * 1024);
}

TEST_F(Processes, EndProcessThatCannotBeEnded) {
    EXPECT_FALSE(host_.EndProcess(0));
    EXPECT_FALSE(host_.EndProcess(0x7FFFFFF0u));
    EXPECT_EQ(host_.HoldProcess(0), nullptr);
    EXPECT_EQ(host_.HoldProcess(0x7FFFFFF0u), nullptr);
}

// A held process is ended through its handle: once it has ended by itself, ending it again
// touches nothing, whatever now has its number.
TEST_F(Processes, HeldProcessIsEndedOnceAndOnlyItself) {
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(StartSleeping(child));
    const std::unique_ptr<host::HeldProcess> held = host_.HoldProcess(child.dwProcessId);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->End());
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 0), WAIT_OBJECT_0) << "gone when End returns";
    CloseHandle(child.hProcess);
    EXPECT_FALSE(held->End()) << "ended already";
}

TEST_F(Processes, EndProgramExitsWithTheCodeWithoutAskingTheWindow) {
    const Text line = test::ProgramFolder() + "\\end_program_helper.exe " + In("mark.txt") + " 7";
    EXPECT_EQ(test::RunToEnd(line), 7);
    EXPECT_FALSE(test::IsFile(In("mark.txt"))) << Content(In("mark.txt"));
    EXPECT_EQ(test::RunToEnd(line.substr(0, line.size() - 1) + "0"), 0);
}

TEST_F(Processes, ShellOpenRunsAProgramWithParametersFolderAndWindowMode) {
    host_.ShellOpen(host::shell_verb::kOpen, helper_, "write " + In("open.txt") + " opened", std::nullopt);
    EXPECT_EQ(AwaitContent(In("open.txt")), "opened");

    host_.ShellOpen(std::nullopt, helper_, "cwd " + In("folder.txt"), root_.path());
    EXPECT_EQ(lstrcmpiA(AwaitContent(In("folder.txt")).c_str(), root_.path().c_str()), 0);

    host_.ShellOpen(std::nullopt, helper_, "show-mode " + In("normal.txt"));
    EXPECT_EQ(AwaitContent(In("normal.txt")), "1");
    host_.ShellOpen(std::nullopt, helper_, "show-mode " + In("na.txt"), Text(), host::window_mode::kNoActivate);
    EXPECT_EQ(AwaitContent(In("na.txt")), "8");  // SW_SHOWNA
}

TEST_F(Processes, ShellOpenOfAMissingFileShowsNothing) {
    host_.ShellOpen(std::nullopt, In("\xB8\xFC\xD0\xC2\xC8\xD5\xD6\xBE.log"));  // 更新日志.log, not there
    EXPECT_EQ(test::FindOwnDialog(nullptr, 500), nullptr);
}

TEST_F(Processes, OpenWebAddressHandsTheAddressToTheShellUnchanged) {
    // A document the shell can open stands in for a web address: its default action runs.
    const Text script = In("site.bat");
    // Written aside and renamed, so that the file appears with its content.
    const std::string body = "@echo opened> \"" + In("web.tmp") + "\"\r\n@ren \"" + In("web.tmp") +
                             "\" web.txt\r\n";
    const test::Block block(body);
    ASSERT_TRUE(host_.WriteBlocksToFile(script, {block.get()}));
    host_.OpenWebAddress(script);
    const std::string content = AwaitContent(In("web.txt"));
    EXPECT_EQ(content.substr(0, 6), "opened") << "[" << content << "]";
}

TEST_F(Processes, OpenWebAddressThatCannotBeOpenedShowsNothing) {
    host_.OpenWebAddress(In("no-such-site"));
    EXPECT_EQ(test::FindOwnDialog(nullptr, 500), nullptr);
}

// One wizard a session: a copy of ours that holds the name stops this one only within a session;
// one in another session (as Windows tells it: ours asked first, then the holder's) stops nothing.
bool g_holderElsewhere;
int g_sessionAsked;
decltype(&ProcessIdToSessionId) realSession;
BOOL WINAPI SessionAsWindows(DWORD, DWORD* session) { return *session = g_holderElsewhere && g_sessionAsked++ > 0 ? 2 : 1; }
TEST(SoleInstance, AHolderInAnotherSessionStopsNothing) {
    test::StandIn session("ProcessIdToSessionId", &SessionAsWindows, realSession);
    if (!session.active()) GTEST_SKIP() << "the call is not in this program's import table";
    const std::wstring name = L"Lumora.Test." + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(host::ClaimSoleInstance(name.c_str())) << "the first claim";
    for (const bool elsewhere : {true, false}) {
        std::tie(g_sessionAsked, g_holderElsewhere) = std::tuple(0, elsewhere);
        EXPECT_EQ(host::ClaimSoleInstance(name.c_str()), elsewhere) << "held elsewhere: " << elsewhere;
    }
}

}  // namespace
