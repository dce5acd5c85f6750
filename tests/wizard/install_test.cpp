// The install and the finish page on the real window, with a scripted host that records every
// file, shortcut and program operation: their order, the progress, the failure paths, leaving
// during the install, and the finish actions.
#include <algorithm>
#include <map>

#include "tests/wizard/wizard_fixture.h"
#include "wizard/handlers.h"

namespace {

using namespace expected;
using host::MessageBoxResult;
using host::WriteOutcome;
using test::Pump;

const std::string D = "C:\\PF\\Lumora";
const std::string kFailed = "安装Lumora失败！\r\n请尝试更换安装目录！";
const std::string kFailedWithoutRights = "安装Lumora失败！\r\n请尝试管理员权限运行本程序！";

std::string Size(int catalogIndex) { return std::to_string(payload::kCatalog[catalogIndex].block->length); }

class Install : public test::WizardFixture {
protected:
    void SetUp() override {
        scripted.environment["ProgramFiles"] = "C:\\PF";
        scripted.specialFolders = {{6, "C:\\Menu\\"}, {3, "C:\\Desk\\"}};
        Start();
    }
    // Walks to the ready step with the two options as given.
    void Ready(bool shortcuts = true, bool texts = true) {
        Click(k下一步);
        Click(k接受);
        Click(k下一步);
        if (!shortcuts) Click(k创建快捷方式);
        if (!texts) Click(k释放文本);
        Click(k下一步);
        ASSERT_EQ(TextOf(k下一步), "安装(I)");
    }
    // Presses Install; what the window showed at each wait is kept.
    void RunInstall() {
        scripted.whileWaiting = [this] {
            labels.push_back(TextOf(0x16010047u));
            positions.push_back(Controls().ReadInt(k进度条, host::ControlProperty::Position));
        };
        Click(k下一步);
        scripted.whileWaiting = nullptr;
    }
    // The recorded operations without the waits, and the waits alone.
    std::vector<std::string> Operations() const {
        std::vector<std::string> ops;
        for (const auto& c : scripted.calls) {
            if (c.rfind("wait ", 0) != 0) ops.push_back(c);
        }
        return ops;
    }
    int Waits() const {
        return static_cast<int>(std::count(scripted.calls.begin(), scripted.calls.end(), "wait 15"));
    }
    std::vector<std::string> DistinctLabels() const {
        std::vector<std::string> distinct;
        for (const auto& l : labels) {
            if (distinct.empty() || distinct.back() != l) distinct.push_back(l);
        }
        return distinct;
    }
    bool OnFinishPage() const {
        return Seen(kPanel) && !Seen(kBanner) && TextOf(k下一步) == "完成(I)" && Seen(k下一步) && !Seen(k上一步) &&
               !Seen(k取消) && Seen(k标签8) && Seen(k选择框_运行) && Seen(0x16010075u) && Seen(0x16010076u) &&
               Seen(0x16010077u);
    }

    std::vector<std::string> labels;
    std::vector<int> positions;
};

const std::vector<std::string> kProgramWrites = {
    "program-folder " + D,
    "tidy " + D,
    "write " + D + "\\Lumora.exe " + Size(0),
    "write " + D + "\\TarvelUP.exe " + Size(1),
    "write " + D + "\\卸载.exe " + Size(2),
    "write " + D + "\\Function.dll " + Size(3),
    "write " + D + "\\Tarvel-Skin.dll " + Size(4),
};
const std::vector<std::string> kTextWrites = {
    "write " + D + "\\更新日志.log " + Size(5),
    "write " + D + "\\常见问题解答.txt " + Size(6),
    "write " + D + "\\Lumora官网.url " + Size(7),
    "write " + D + "\\Lumora视频教程.url " + Size(8),
};
const std::vector<std::string> kShortcutWrites = {
    "mkdir C:\\Menu\\Lumora",
    "tidy C:\\Menu\\Lumora",
    "tidy C:\\Desk\\",
    "write C:\\Menu\\Lumora\\Lumora官网.url " + Size(7),
    "write C:\\Menu\\Lumora\\Lumora视频教程.url " + Size(8),
    "link C:\\Menu\\Lumora\\Lumora -> " + D + "\\Lumora.exe",
    "link C:\\Menu\\Lumora\\卸载 -> " + D + "\\卸载.exe",
    "write C:\\Desk\\Lumora官网.url " + Size(7),
    "write C:\\Desk\\Lumora视频教程.url " + Size(8),
    "link C:\\Desk\\Lumora -> " + D + "\\Lumora.exe",
};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(Install, EverythingInOrderWithBothOptions) {
    Ready();
    RunInstall();
    EXPECT_EQ(Operations(), Joined({kProgramWrites, kTextWrites, kShortcutWrites}));
    EXPECT_EQ(Waits(), 90);
    EXPECT_EQ(Controls().ReadInt(k进度条, host::ControlProperty::Position), 90);
    // One single step after each wait: the bar stood at 0, 1, 2... when each wait began.
    for (std::size_t i = 0; i < positions.size(); ++i) EXPECT_EQ(positions[i], static_cast<int>(i));
    const std::vector<std::string> shown = {D + "\\Lumora.exe",    D + "\\TarvelUP.exe",   D + "\\卸载.exe",
                                            D + "\\Function.dll",  D + "\\Tarvel-Skin.dll", D + "\\更新日志.log",
                                            D + "\\常见问题解答.txt", D + "\\访问Lumora官网"};
    EXPECT_EQ(DistinctLabels(), shown);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), D + "\\Tarvel-Skin.dll"), 20);
    EXPECT_TRUE(OnFinishPage());
    EXPECT_TRUE(scripted.boxes.empty());
    EXPECT_TRUE(scripted.endProgramCalls.empty());
}

// Each file is started while the bar moves for the one before it (the first in its turn, the
// shortcuts' files while it moves for the last); one whose option is gone by its turn is not
// written.
TEST_F(Install, EachFileIsWrittenAheadAndPlacedInItsTurn) {
    Ready();
    RunInstall();
    const std::vector<std::pair<std::string, int>> ahead = {
        {D + "\\Lumora.exe", 0},       {D + "\\TarvelUP.exe", 0},           {D + "\\卸载.exe", 10},
        {D + "\\Function.dll", 20},    {D + "\\Tarvel-Skin.dll", 30},       {D + "\\更新日志.log", 40},
        {D + "\\常见问题解答.txt", 60}, {D + "\\Lumora官网.url", 70},        {D + "\\Lumora视频教程.url", 70},
        {"C:\\Menu\\Lumora\\Lumora官网.url", 80}, {"C:\\Menu\\Lumora\\Lumora视频教程.url", 80},
        {"C:\\Menu\\Lumora\\Lumora", 80},        {"C:\\Menu\\Lumora\\卸载", 80},
        {"C:\\Desk\\Lumora官网.url", 80},        {"C:\\Desk\\Lumora视频教程.url", 80},
        {"C:\\Desk\\Lumora", 80},
    };
    EXPECT_EQ(scripted.staged, ahead);

    Start();
    Ready();
    int waits = 0;
    scripted.calls.clear();
    scripted.whileWaiting = [&] {
        if (++waits == 45) Controls().Write(k释放文本, host::ControlProperty::Checked, false);
    };
    Click(k下一步);
    EXPECT_EQ(Operations(), Joined({kProgramWrites, kShortcutWrites})) << "the texts' first file written ahead, dropped";
}

TEST_F(Install, WithoutTextsAndWithoutShortcuts) {
    Ready(false, false);
    RunInstall();
    EXPECT_EQ(Operations(), kProgramWrites) << "nothing outside the destination";
    EXPECT_EQ(Waits(), 60);
    EXPECT_EQ(Controls().ReadInt(k进度条, host::ControlProperty::Position), 60);
    EXPECT_TRUE(OnFinishPage());
}

// Any of the five program files that could not be written fails the install: the message,
// no shortcuts. A denial anywhere among them asks for administrator rights.
// So does a destination that may not be used as it was found, before anything is written.
TEST_F(Install, AnyProgramFileThatFailsEndsWithTheMessageAndNoShortcuts) {
    const struct {
        std::map<host::Text, WriteOutcome> outcomes;
        std::string text;
        host::ProgramFolderOutcome folder = host::ProgramFolderOutcome::Made;
    } cases[] = {
        {{}, kFailed, host::ProgramFolderOutcome::Refused},
        {{}, kFailedWithoutRights, host::ProgramFolderOutcome::Denied},
        {{{D + "\\Lumora.exe", WriteOutcome::Failed}}, kFailed},
        {{{D + "\\Lumora.exe", WriteOutcome::AccessDenied}}, kFailedWithoutRights},
        {{{D + "\\TarvelUP.exe", WriteOutcome::Failed}}, kFailed},
        {{{D + "\\卸载.exe", WriteOutcome::AccessDenied}}, kFailedWithoutRights},
        {{{D + "\\Function.dll", WriteOutcome::Failed}}, kFailed},
        {{{D + "\\Tarvel-Skin.dll", WriteOutcome::Failed}}, kFailed},
        {{{D + "\\TarvelUP.exe", WriteOutcome::AccessDenied}, {D + "\\Function.dll", WriteOutcome::Failed}},
         kFailedWithoutRights},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.outcomes.empty() ? one.text : one.outcomes.rbegin()->first);
        scripted.calls.clear();
        scripted.boxes.clear();
        scripted.endProgramCalls.clear();
        scripted.staged.clear();
        Start();
        scripted.writeOutcomes = one.outcomes;
        scripted.programFolder = one.folder;
        Ready();
        RunInstall();
        // The other files are still written; nothing goes to the Start menu or the desktop.
        const bool made = one.folder == host::ProgramFolderOutcome::Made;
        EXPECT_EQ(Operations(), made ? Joined({kProgramWrites, kTextWrites}) : std::vector<std::string>{kProgramWrites[0]});
        EXPECT_EQ(scripted.staged.empty(), !made);
        ASSERT_EQ(scripted.boxes.size(), 1u);
        EXPECT_EQ(scripted.boxes[0].text, one.text);
        EXPECT_EQ(scripted.boxes[0].flags, 0x30);
        EXPECT_EQ(scripted.boxes[0].caption, "错误：");
        EXPECT_EQ(scripted.endProgramCalls, std::vector<int>{0});
        EXPECT_FALSE(OnFinishPage());
    }
}

// The texts and internet shortcuts are extras: their failures pass.
TEST_F(Install, OtherFailuresPassSilently) {
    scripted.writeOutcomes = {{D + "\\常见问题解答.txt", WriteOutcome::AccessDenied},
                              {D + "\\更新日志.log", WriteOutcome::Failed},
                              {"C:\\Desk\\Lumora官网.url", WriteOutcome::Failed}};
    Ready();
    RunInstall();
    EXPECT_EQ(Operations(), Joined({kProgramWrites, kTextWrites, kShortcutWrites}));
    EXPECT_TRUE(scripted.boxes.empty());
    EXPECT_TRUE(OnFinishPage());
}

TEST_F(Install, SpecialFoldersThatCannotBeFoundLeaveTheBarePieces) {
    scripted.specialFolders.clear();
    Ready();
    RunInstall();
    const auto ops = Operations();
    const std::vector<std::string> tail(ops.end() - 10, ops.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"mkdir \\Lumora", "tidy \\Lumora", "tidy ", "write \\Lumora\\Lumora官网.url " + Size(7),
                                               "write \\Lumora\\Lumora视频教程.url " + Size(8),
                                               "link \\Lumora\\Lumora -> " + D + "\\Lumora.exe",
                                               "link \\Lumora\\卸载 -> " + D + "\\卸载.exe",
                                               "write \\Lumora官网.url " + Size(7),
                                               "write \\Lumora视频教程.url " + Size(8),
                                               "link \\Lumora -> " + D + "\\Lumora.exe"}));
}

// The exit question confirmed during a wait: the window goes, and the install stops there.
TEST_F(Install, LeavingDuringTheInstallStopsIt) {
    Ready();
    int waits = 0;
    HWND window = live->window.Handle();
    scripted.whileWaiting = [&] {
        if (++waits != 25) return;
        scripted.boxAnswers = {MessageBoxResult::Yes};
        SendMessageA(window, WM_CLOSE, 0, 0);
    };
    Click(k下一步);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(waits, 25) << "no wait after the window went";
    EXPECT_EQ(scripted.calls.back(), "wait 15") << "nothing written after it";
    ASSERT_EQ(scripted.boxes.size(), 1u);
    EXPECT_EQ(scripted.boxes[0].caption, "退出安装：");
    EXPECT_TRUE(scripted.endProgramCalls.empty()) << "the window's end ends the program";
}

TEST_F(Install, ANoToTheExitQuestionLetsTheInstallGoOn) {
    Ready();
    int waits = 0;
    scripted.whileWaiting = [&] {
        if (++waits != 25) return;
        scripted.boxAnswers = {MessageBoxResult::No};
        SendMessageA(live->window.Handle(), WM_CLOSE, 0, 0);
    };
    Click(k下一步);
    EXPECT_EQ(waits, 90);
    EXPECT_TRUE(OnFinishPage());
}

TEST_F(Install, LogOffIsHeldUpOnlyWhileFilesAreWritten) {
    Ready();
    LRESULT during = TRUE;
    scripted.whileWaiting = [&] {
        if (during == TRUE) during = SendMessageA(live->window.Handle(), WM_QUERYENDSESSION, 0, 0);
    };
    Click(k下一步);
    EXPECT_EQ(during, FALSE);
    EXPECT_EQ(wizard::OnSessionEndQuery(Context()), "") << "after the install";
    EXPECT_EQ(SendMessageA(live->window.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(scripted.boxes.empty());
}

class Finish : public Install {
protected:
    // Installs, then sets the four boxes (run, release notes, answers, website) as given.
    void ToFinishPage(bool run, bool notes, bool answers, bool website) {
        Ready();
        RunInstall();
        ASSERT_TRUE(OnFinishPage());
        scripted.calls.clear();
        const std::pair<std::uint32_t, bool> boxes[] = {
            {k选择框_运行, run}, {0x16010075u, notes}, {0x16010076u, answers}, {0x16010077u, website}};
        for (auto [id, want] : boxes) {
            if (Ticked(id) != want) Click(id);
        }
        ASSERT_TRUE(scripted.calls.empty()) << "the boxes only toggle";
    }
};

TEST_F(Finish, DefaultTicksOpenTheTwoTextsAndEnd) {
    Ready();
    RunInstall();
    scripted.calls.clear();
    EXPECT_FALSE(Ticked(k选择框_运行));
    Click(k下一步);
    EXPECT_EQ(scripted.calls, (std::vector<std::string>{"open " + D + "\\更新日志.log", "open " + D + "\\常见问题解答.txt"}));
    EXPECT_EQ(scripted.endProgramCalls, std::vector<int>{0});
    EXPECT_TRUE(scripted.boxes.empty());
}

// Through the desktop's shell when there is one, else started by the setup: the product in
// its own folder either way, the website by its full address.
TEST_F(Finish, AllFourInTheirOrderByEitherRoute) {
    const std::string web = "http://www.lumora-app.com/";
    const struct {
        bool desktopShell;
        std::vector<std::string> calls;
    } routes[] = {
        {true, {"desktop " + D + "\\Lumora.exe in " + D, "desktop " + D + "\\更新日志.log in " + D,
                "desktop " + D + "\\常见问题解答.txt in " + D, "desktop " + web + " in "}},
        {false, {"run \"" + D + "\\Lumora.exe\" in " + D, "open " + D + "\\更新日志.log",
                 "open " + D + "\\常见问题解答.txt", "web " + web}},
    };
    for (const auto& route : routes) {
        SCOPED_TRACE(route.desktopShell ? "desktop shell" : "no desktop shell");
        Start();
        scripted.endProgramCalls.clear();
        scripted.desktopShell = route.desktopShell;
        ToFinishPage(true, true, true, true);
        Click(k下一步);
        EXPECT_EQ(scripted.calls, route.calls);
        EXPECT_EQ(scripted.endProgramCalls, std::vector<int>{0});
    }
}

// Only what is in the destination is opened: not the texts left out by their option, not a
// product that has gone meanwhile.
TEST_F(Finish, NothingThatIsNotThereIsOpened) {
    for (const bool texts : {false, true}) {
        SCOPED_TRACE(texts ? "texts written, product gone" : "texts left out");
        Start();
        scripted.files.clear();
        Ready(true, texts);
        RunInstall();
        ASSERT_TRUE(OnFinishPage());
        if (texts) scripted.files.erase(D + "\\Lumora.exe");
        scripted.calls.clear();
        Click(k选择框_运行);
        Click(k下一步);
        const std::vector<std::string> opened = {"open " + D + "\\更新日志.log", "open " + D + "\\常见问题解答.txt"};
        EXPECT_EQ(scripted.calls, texts ? opened : std::vector<std::string>{"run \"" + D + "\\Lumora.exe\" in " + D});
    }
}

TEST_F(Finish, NoneTicked) {
    ToFinishPage(false, false, false, false);
    Click(k下一步);
    EXPECT_TRUE(scripted.calls.empty());
    EXPECT_EQ(scripted.endProgramCalls, std::vector<int>{0});
}

TEST_F(Finish, ClosedByTheTitleBarDoesTheSameOnceWithoutAQuestion) {
    ToFinishPage(true, false, true, false);
    HWND window = live->window.Handle();
    SendMessageA(window, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(scripted.calls, (std::vector<std::string>{"run \"" + D + "\\Lumora.exe\" in " + D,
                                                        "open " + D + "\\常见问题解答.txt"}));
    EXPECT_TRUE(scripted.boxes.empty());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(scripted.endProgramCalls.empty()) << "the window's end ends the program";
}

}  // namespace
