// Next, Back, Cancel and the close request on the real window, step by step.
#include <map>
#include <tuple>

#include "tests/wizard/wizard_fixture.h"
#include "wizard/handlers.h"

namespace {

using namespace expected;
using host::MessageBoxResult;
using test::Pump;

const std::string kQuitQuestion =
    "安装尚未完成。如果你现在退出，软件将不会安装。\r\n\r\n你可以在其它时间重新运行安装向导来完成安装。\r\n\r\n现在退出安装吗？";

// The steps as the user tells them apart on the screen.
enum class Shown { Welcome, Licence, Destination, Ready, Installing, Finish, Other };
const char* Name(Shown s) {
    static const char* const names[] = {"welcome", "licence", "destination", "ready", "installing", "finish", "other"};
    return names[static_cast<int>(s)];
}

class Flow : public test::WizardFixture {
protected:
    void SetUp() override { Start(); }

    Shown Step() {
        const std::string title = TextOf(k主标题), hint = TextOf(k提示);
        if (Seen(kPanel) && !Seen(kBanner) && !Seen(k上一步) && Seen(k下一步) && TextOf(k下一步) == "下一步(N) >") {
            return Shown::Welcome;
        }
        if (Seen(kPanel) && !Seen(kBanner) && Seen(k标签8) && Seen(k选择框_运行) && TextOf(k下一步) == "完成(I)" &&
            !Seen(k上一步) && !Seen(k取消)) {
            return Shown::Finish;
        }
        if (Seen(kPanel) || !Seen(kBanner)) return Shown::Other;
        if (Page() == 0 && Seen(k接受) && title == "许可协议" && hint == "请在继续之前阅读以下重要信息。" &&
            Seen(k上一步) && TextOf(k下一步) == "下一步(N) >") {
            return Shown::Licence;
        }
        if (Page() == 1 && Seen(k路径) && title == "选择目标位置" && hint == "将 Lumora 安装到哪里？" &&
            Seen(k上一步) && TextOf(k下一步) == "下一步(N) >") {
            return Shown::Destination;
        }
        if (Page() == 2 && Seen(k安装详情) && title == "准备安装" && hint == "安装向导现在准备开始安装 Lumora。" &&
            Seen(k上一步) && TextOf(k下一步) == "安装(I)") {
            return Shown::Ready;
        }
        if (Page() == 3 && Seen(k进度条) && title == "正在安装" && !Seen(k上一步) && !Seen(k下一步) && !Seen(k取消)) {
            return Shown::Installing;
        }
        return Shown::Other;
    }

    // From the welcome step to `step` by clicks, accepting the licence on the way. The
    // install runs within its click: what it shows meanwhile is seen from inside its waits.
    void WalkTo(Shown step) {
        if (step == Shown::Welcome) return;
        Click(k下一步);
        if (step == Shown::Licence) return;
        Click(k接受);
        Click(k下一步);
        if (step == Shown::Destination) return;
        Click(k下一步);
        if (step == Shown::Ready) return;
        Click(k下一步);  // the install, to its end
    }

    // Everything a user could see of every control.
    using State = std::tuple<bool, bool, std::string, bool>;
    std::map<std::uint32_t, State> Snapshot() {
        std::map<std::uint32_t, State> all;
        for (const auto& c : kControls) all[c.id] = {Seen(c.id), Enabled(c.id), TextOf(c.id), Ticked(c.id)};
        all[kPages] = {true, true, std::to_string(Page()), false};
        return all;
    }
};

TEST_F(Flow, FirstShownOnTheWelcomeStep) {
    EXPECT_EQ(Step(), Shown::Welcome);
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(Ticked(k不接受));
    EXPECT_FALSE(Ticked(k接受));
    EXPECT_TRUE(Ticked(k创建快捷方式));
    EXPECT_TRUE(Ticked(k释放文本));
    EXPECT_TRUE(Ticked(k安装主程序));
    EXPECT_FALSE(Enabled(k安装主程序));
    for (std::uint32_t id : {k标签8, k选择框_运行}) EXPECT_FALSE(Seen(id));
    EXPECT_TRUE(Enabled(k下一步));
    EXPECT_TRUE(scripted.boxes.empty());
}

// Every move of Next and Back from every step the buttons are shown on.
TEST_F(Flow, MovesTable) {
    struct Move {
        Shown from;
        std::uint32_t button;
        bool accept;  // the licence accepted before the click
        Shown to;
    };
    const Move moves[] = {
        {Shown::Welcome, k下一步, false, Shown::Licence},
        {Shown::Licence, k下一步, false, Shown::Licence},  // not accepted: nothing happens
        {Shown::Licence, k下一步, true, Shown::Destination},
        {Shown::Licence, k上一步, false, Shown::Welcome},
        {Shown::Licence, k上一步, true, Shown::Welcome},
        {Shown::Destination, k下一步, true, Shown::Ready},
        {Shown::Destination, k上一步, true, Shown::Licence},
        {Shown::Ready, k下一步, true, Shown::Finish},
        {Shown::Ready, k上一步, true, Shown::Destination},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(std::string(Name(m.from)) + " -> " + Name(m.to));
        Start();
        WalkTo(m.from);
        if (m.from == Shown::Licence && m.accept) Click(k接受);
        ASSERT_EQ(Step(), m.from);
        Shown during = Shown::Other;
        scripted.whileWaiting = [&] {
            if (during == Shown::Other) during = Step();
        };
        Click(m.button);
        EXPECT_EQ(Step(), m.to);
        if (m.to == Shown::Finish) {
            EXPECT_EQ(during, Shown::Installing) << "while the files are written";
        }
        scripted.whileWaiting = nullptr;
        EXPECT_TRUE(scripted.boxes.empty()) << "no question on a move";
    }
}

TEST_F(Flow, NextAndBackDoNothingWhileInstalling) {
    WalkTo(Shown::Ready);
    bool checked = false;
    scripted.whileWaiting = [&] {
        if (checked) return;
        checked = true;
        ASSERT_EQ(Step(), Shown::Installing);
        const auto before = Snapshot();
        wizard::OnNextClicked(Context());
        wizard::OnBackClicked(Context());
        EXPECT_EQ(Snapshot(), before);
    };
    Click(k下一步);
    EXPECT_TRUE(checked);
}

TEST_F(Flow, LicenceAcceptanceRule) {
    Click(k下一步);
    EXPECT_FALSE(Enabled(k下一步)) << "declined at first";
    Click(k接受);
    EXPECT_TRUE(Enabled(k下一步));
    Click(k不接受);
    EXPECT_FALSE(Enabled(k下一步));
    Click(k不接受);  // clicked again while selected: still runs
    EXPECT_FALSE(Enabled(k下一步));

    // Back enables Next on the welcome step; Next brings the licence back as it was left.
    Click(k上一步);
    EXPECT_EQ(Step(), Shown::Welcome);
    EXPECT_TRUE(Enabled(k下一步));
    Click(k下一步);
    EXPECT_FALSE(Enabled(k下一步)) << "still declined";
    Click(k接受);
    Click(k上一步);
    Click(k下一步);
    EXPECT_EQ(Step(), Shown::Licence);
    EXPECT_TRUE(Enabled(k下一步)) << "accepted before going back";
    EXPECT_TRUE(Ticked(k接受));
    Click(k下一步);
    EXPECT_EQ(Step(), Shown::Destination);
}

TEST_F(Flow, SummaryForEachCombinationOfTheTwoOptions) {
    scripted.environment["ProgramFiles"] = "C:\\Program Files";
    WalkTo(Shown::Destination);
    ASSERT_EQ(TextOf(k路径), "C:\\Program Files\\Lumora");
    const std::string head = "目标位置：\r\n      C:\\Program Files\\Lumora\r\n\r\n安装选项：\r\n      √ 安装主程序\r\n";
    struct Case {
        bool shortcuts, texts;
        const char* tail;
    };
    const Case cases[] = {
        {true, true, "      √ 创建桌面快捷方式\r\n      √ 释放使用教程、更新说明等文本"},
        {false, true, "         创建桌面快捷方式\r\n      √ 释放使用教程、更新说明等文本"},
        {true, false, "      √ 创建桌面快捷方式\r\n         释放使用教程、更新说明等文本"},
        {false, false, "         创建桌面快捷方式\r\n         释放使用教程、更新说明等文本"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shortcuts) + std::to_string(c.texts));
        if (Ticked(k创建快捷方式) != c.shortcuts) Click(k创建快捷方式);
        if (Ticked(k释放文本) != c.texts) Click(k释放文本);
        Click(k下一步);
        ASSERT_EQ(Step(), Shown::Ready);
        EXPECT_EQ(TextOf(k安装详情), head + c.tail) << "the old summary replaced";
        Click(k上一步);
        ASSERT_EQ(Step(), Shown::Destination);
    }
}

TEST_F(Flow, SummaryTakesThePathWhateverItHolds) {
    // A path holding the placeholder word and characters ending in a backslash byte.
    scripted.folderAnswers.push_back("D:\\路径\\\x81\x5C");
    WalkTo(Shown::Destination);
    Click(k目录浏览);
    Click(k下一步);
    EXPECT_EQ(TextOf(k安装详情),
              "目标位置：\r\n      D:\\路径\\\x81\x5C\\Lumora\r\n\r\n安装选项：\r\n      √ 安装主程序\r\n"
              "      √ 创建桌面快捷方式\r\n      √ 释放使用教程、更新说明等文本");
}

TEST_F(Flow, DestinationKeptAcrossBackAndNext) {
    scripted.environment["ProgramFiles"] = "C:\\Program Files";
    WalkTo(Shown::Destination);
    EXPECT_EQ(TextOf(k路径), "C:\\Program Files\\Lumora");
    scripted.folderAnswers.push_back("D:\\Games");
    Click(k目录浏览);
    EXPECT_EQ(TextOf(k路径), "D:\\Games\\Lumora");
    scripted.environment["ProgramFiles"] = "E:\\Other";
    Click(k上一步);
    Click(k上一步);
    Click(k下一步);
    Click(k下一步);
    EXPECT_EQ(Step(), Shown::Destination);
    EXPECT_EQ(TextOf(k路径), "D:\\Games\\Lumora") << "proposed only while empty";
    Click(k下一步);
    Click(k上一步);
    EXPECT_EQ(TextOf(k路径), "D:\\Games\\Lumora");
    EXPECT_TRUE(Ticked(k接受)) << "Back clears nothing";
}

TEST_F(Flow, BackFromTheReadyStepRestoresTheNextCaption) {
    WalkTo(Shown::Ready);
    EXPECT_EQ(TextOf(k下一步), "安装(I)");
    Click(k上一步);
    EXPECT_EQ(TextOf(k下一步), "下一步(N) >");
    EXPECT_EQ(Controls().ReadText(k下一步, host::ControlProperty::Caption), "下一步(N) >");
}

// Cancel and the close request on every step before the install: the same question; No
// leaves everything as it was, Yes ends the program with 0 or lets the window close.
TEST_F(Flow, QuittingAskedOnEveryStepBeforeTheInstall) {
    for (Shown step : {Shown::Welcome, Shown::Licence, Shown::Destination, Shown::Ready}) {
        for (bool byClose : {false, true}) {
            SCOPED_TRACE(std::string(Name(step)) + (byClose ? " close" : " cancel"));
            scripted.boxes.clear();
            scripted.endProgramCalls.clear();
            Start();
            WalkTo(step);
            ASSERT_EQ(Step(), step);
            const HWND window = live->window.Handle();
            auto ask = [&] {
                if (byClose) SendMessageA(window, WM_CLOSE, 0, 0);
                else Click(k取消);
                Pump();
            };

            const auto before = Snapshot();
            scripted.boxAnswers = {MessageBoxResult::No};
            ask();
            ASSERT_EQ(scripted.boxes.size(), 1u);
            EXPECT_EQ(scripted.boxes[0].text, kQuitQuestion);
            EXPECT_EQ(scripted.boxes[0].flags, 36);
            EXPECT_EQ(scripted.boxes[0].caption, "退出安装：");
            ASSERT_TRUE(IsWindow(window));
            EXPECT_EQ(Snapshot(), before);
            EXPECT_TRUE(scripted.endProgramCalls.empty());

            scripted.boxAnswers = {MessageBoxResult::Yes};
            ask();
            EXPECT_EQ(scripted.boxes.size(), 2u);
            if (byClose) {
                EXPECT_FALSE(IsWindow(window)) << "the window closes";
                EXPECT_TRUE(scripted.endProgramCalls.empty());
            } else {
                EXPECT_EQ(scripted.endProgramCalls, std::vector<int>{0});
            }
        }
    }
}

TEST_F(Flow, LogOffIsNotHeldUpByTheQuestion) {
    for (Shown step : {Shown::Welcome, Shown::Licence, Shown::Destination, Shown::Ready, Shown::Finish}) {
        SCOPED_TRACE(Name(step));
        Start();
        WalkTo(step);
        ASSERT_EQ(Step(), step);
        EXPECT_EQ(SendMessageA(live->window.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
        EXPECT_TRUE(scripted.boxes.empty());
    }
}

TEST_F(Flow, StepReadBackFromTheControls) {
    using wizard::WizardStep;
    EXPECT_EQ(wizard::CurrentStep(Controls()), WizardStep::Welcome);
    WalkTo(Shown::Ready);
    EXPECT_EQ(wizard::CurrentStep(Controls()), WizardStep::Ready);
    // A "完成(I)" caption means the finish step, whatever else the window shows.
    Controls().Write(k下一步, host::ControlProperty::Caption, std::string("完成(I)"));
    EXPECT_EQ(wizard::CurrentStep(Controls()), WizardStep::Finish);
}

}  // namespace
