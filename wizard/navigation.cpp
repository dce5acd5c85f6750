// Moving between the steps with Next and Back, and the question before leaving. The moves are
// rows of data: what each one writes, and what it runs besides.
#include "wizard/control_writes.h"
#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {
namespace {

using host::ControlProperty;
using host::Text;
using namespace ctl;

constexpr char kNextCaption[] = "下一步(N) >";
constexpr char kInstallCaption[] = "安装(I)";

constexpr char kLicenceTitle[] = "许可协议";
constexpr char kLicenceHint[] = "请在继续之前阅读以下重要信息。";
constexpr char kDestinationTitle[] = "选择目标位置";
constexpr char kDestinationHint[] = "将 Lumora 安装到哪里？";
constexpr char kReadyTitle[] = "准备安装";
constexpr char kReadyHint[] = "安装向导现在准备开始安装 Lumora。";

constexpr char kQuitQuestion[] =
    "安装尚未完成。如果你现在退出，软件将不会安装。\r\n\r\n你可以在其它时间重新运行安装向导来完成安装。"
    "\r\n\r\n现在退出安装吗？";
constexpr char kQuitCaption[] = "退出安装：";
constexpr int kYesNoQuestion = 36;

constexpr char kSummaryTemplate[] =
    "目标位置：\r\n      路径\r\n\r\n安装选项：\r\n      √ 安装主程序\r\n      √ 创建桌面快捷方式\r\n"
    "      √ 释放使用教程、更新说明等文本";

bool LicenceAccepted(WizardContext& c) { return c.controls.ReadBool(单选框_接受, ControlProperty::Checked); }

void DisableNextWhileDeclined(WizardContext& c) {
    if (c.controls.ReadBool(单选框_不接受, ControlProperty::Checked)) {
        c.controls.Write(按钮_下一步, ControlProperty::Disabled, true);
    }
}

void FinishAndEnd(WizardContext& c) {
    RunFinishActions(c);
    c.host.EndProgram(0);
}

void ShowSummary(WizardContext& c) { c.controls.Write(编辑框_安装详情, ControlProperty::Text, BuildSummary(c)); }

constexpr auto Visible = ControlProperty::Visible;
constexpr auto Disabled = ControlProperty::Disabled;
constexpr auto Caption = ControlProperty::Caption;
constexpr auto Page = ControlProperty::CurrentPage;

// Next: from the step it is pressed on, when the move may happen, what it writes, and what it
// runs afterwards. Pressed on a step without a row (installing), it does nothing.
struct NextMove {
    WizardStep from;
    bool (*allowed)(WizardContext&);  // null: always
    std::span<const Set> writes;
    void (*then)(WizardContext&);     // null: nothing more
};

constexpr Set kWelcomeToLicence[] = {
    {图片框_主页, Visible, false},        {外形框_顶端, Visible, true},       {按钮_上一步, Visible, true},
    {标签_主标题, Caption, kLicenceTitle}, {标签_提示, Caption, kLicenceHint},
};
constexpr Set kLicenceToDestination[] = {
    {选择夹1, Page, 1},
    {标签_主标题, Caption, kDestinationTitle},
    {标签_提示, Caption, kDestinationHint},
};
constexpr Set kDestinationToReady[] = {
    {标签_主标题, Caption, kReadyTitle},
    {标签_提示, Caption, kReadyHint},
    {选择夹1, Page, 2},
    {按钮_下一步, Caption, kInstallCaption},
};

constexpr NextMove kNextMoves[] = {
    {WizardStep::Welcome, nullptr, kWelcomeToLicence, DisableNextWhileDeclined},
    {WizardStep::Licence, LicenceAccepted, kLicenceToDestination, ProposeDestination},
    {WizardStep::Destination, nullptr, kDestinationToReady, ShowSummary},
    {WizardStep::Ready, nullptr, {}, StartInstall},
    {WizardStep::Finish, nullptr, {}, FinishAndEnd},
};

// Back: tried in this order, each against the page as it is by then, so that one click moves
// back exactly one step.
struct BackMove {
    int page;
    std::span<const Set> writes;
};

constexpr Set kLicenceToWelcome[] = {
    {图片框_主页, Visible, true},
    {按钮_上一步, Visible, false},
    {外形框_顶端, Visible, false},
    {按钮_下一步, Disabled, false},
};
constexpr Set kDestinationToLicence[] = {
    {选择夹1, Page, 0},
    {标签_主标题, Caption, kLicenceTitle},
    {标签_提示, Caption, kLicenceHint},
};
constexpr Set kReadyToDestination[] = {
    {选择夹1, Page, 1},
    {标签_主标题, Caption, kDestinationTitle},
    {标签_提示, Caption, kDestinationHint},
    {按钮_下一步, Caption, kNextCaption},
};

constexpr BackMove kBackMoves[] = {
    {0, kLicenceToWelcome},
    {1, kDestinationToLicence},
    {2, kReadyToDestination},
};

}  // namespace

WizardStep CurrentStep(Controls& controls) {
    if (controls.ReadText(按钮_下一步, Caption) == kFinishCaption) return WizardStep::Finish;
    if (controls.ReadBool(图片框_主页, Visible)) return WizardStep::Welcome;
    switch (controls.ReadInt(选择夹1, Page)) {
        case 0: return WizardStep::Licence;
        case 1: return WizardStep::Destination;
        case 2: return WizardStep::Ready;
        default: return WizardStep::Installing;
    }
}

void OnNextClicked(WizardContext& c) {
    const WizardStep step = CurrentStep(c.controls);
    for (const NextMove& move : kNextMoves) {
        if (move.from != step) continue;
        if (move.allowed && !move.allowed(c)) return;
        Apply(c.controls, move.writes);
        if (move.then) move.then(c);
        return;
    }
}

void OnBackClicked(WizardContext& c) {
    for (const BackMove& move : kBackMoves) {
        if (c.controls.ReadInt(选择夹1, Page) == move.page) Apply(c.controls, move.writes);
    }
}

void OnAcceptClicked(WizardContext& c) { c.controls.Write(按钮_下一步, Disabled, false); }

void OnDeclineClicked(WizardContext& c) { c.controls.Write(按钮_下一步, Disabled, true); }

bool ConfirmQuit(WizardContext& c) {
    return c.host.ShowMessageBox(kQuitQuestion, kYesNoQuestion, Text(kQuitCaption)) ==
           host::MessageBoxResult::Yes;
}

void OnCancelClicked(WizardContext& c) {
    if (ConfirmQuit(c)) c.host.EndProgram(0);
}

bool OnCloseQuery(WizardContext& c) {
    if (c.controls.ReadText(按钮_下一步, Caption) != kFinishCaption) return ConfirmQuit(c);
    // Closing the finish page does what its button does; the window then closes.
    RunFinishActions(c);
    return true;
}

Text OnSessionEndQuery(WizardContext& c) {
    // A log-off that cut a file in half would leave a broken install.
    return CurrentStep(c.controls) == WizardStep::Installing ? Text("正在安装 Lumora") : Text();
}

Text BuildSummary(WizardContext& c) {
    Text summary = host::ReplaceText(kSummaryTemplate, "路径", c.controls.ReadText(编辑框_路径, ControlProperty::Text),
                                     1, host::kReplaceAll, true);
    // The mark and its blank take three bytes: three blanks keep the line's column.
    if (!c.controls.ReadBool(选择框_创建快捷方式, ControlProperty::Checked)) {
        summary = host::ReplaceText(summary, "√ 创", "   创");
    }
    if (!c.controls.ReadBool(选择框_释放文本, ControlProperty::Checked)) {
        summary = host::ReplaceText(summary, "√ 释", "   释");
    }
    return summary;
}

}  // namespace wizard
