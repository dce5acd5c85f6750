// The install: the ready step's Next turns the window into the installing step, the carried
// files are written step by step while the progress bar moves, and the window becomes the
// finish page; when one of the five program files could not be written, a message ends the
// setup instead.
#include <memory>
#include <utility>
#include <vector>

#include "wizard/control_writes.h"
#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {
namespace {

using host::ControlProperty;
using host::JoinTexts;
using host::Text;
using host::WriteOutcome;
using payload::CatalogId;
using namespace ctl;

constexpr auto Visible = ControlProperty::Visible;
constexpr auto Caption = ControlProperty::Caption;

constexpr int kStepWaitMs = 15;

constexpr Set kInstallingStep[] = {
    {选择夹1, ControlProperty::CurrentPage, 3},
    {标签_主标题, Caption, "正在安装"},
    {标签_提示, Caption, "正在你的计算机中安装 Lumora，请稍等..."},
    {按钮_上一步, Visible, false},
    {按钮_下一步, Visible, false},
    {按钮_取消, Visible, false},
};

constexpr Set kFinishPage[] = {
    {图片框_主页, Visible, true},        {按钮_下一步, Caption, kFinishCaption}, {按钮_下一步, Visible, true},
    {外形框_顶端, Visible, false},       {标签8, Visible, true},                 {选择框_运行, Visible, true},
    {选择框_访问官网, Visible, true},    {选择框_查看更新内容, Visible, true},   {选择框_查看解决方案, Visible, true},
};

constexpr char kFailed[] = "安装Lumora失败！\r\n请尝试更换安装目录！";
constexpr char kFailedWithoutRights[] = "安装Lumora失败！\r\n请尝试管理员权限运行本程序！";
constexpr char kErrorCaption[] = "错误：";
constexpr int kWarningOk = 0x30;

// Files written into the destination. Each step shows a path in the label, writes its files
// and moves the bar on by `steps` single steps; the texts' steps follow their option.
struct FileStep {
    CatalogId files[2];
    int fileCount;
    int steps;
    const char* shown;  // the label's piece after the destination; null: the first file's
};

constexpr FileStep kProgramFiles[] = {
    {{CatalogId::MainProgram}, 1, 10, nullptr},
    {{CatalogId::Updater}, 1, 10, nullptr},
    {{CatalogId::Uninstaller}, 1, 10, nullptr},
    {{CatalogId::FunctionLibrary}, 1, 10, nullptr},
    {{CatalogId::SkinLibrary}, 1, 20, nullptr},
};
constexpr FileStep kTexts[] = {
    {{CatalogId::ReleaseNotes}, 1, 10, nullptr},
    {{CatalogId::FaqText}, 1, 10, nullptr},
    {{CatalogId::WebsiteShortcut, CatalogId::TutorialShortcut}, 2, 10, "\\访问Lumora官网"},
};

// A folder and a piece that starts with its own backslash, with one backslash between them
// also when the folder ends in one, as special folders do.
Text Under(const Text& folder, std::string_view piece) {
    if (!folder.empty() && host::FindLastSeparator(folder) == folder.size() - 1 && !piece.empty()) {
        piece.remove_prefix(1);
    }
    return JoinTexts(folder, piece);
}

// What the steps share while the install runs.
struct Install {
    WizardContext& c;
    Text folder;  // the destination, as the destination box holds it
    // How the five program files went: Written only when every one was, a denial of access
    // when any was denied.
    WriteOutcome programs = WriteOutcome::Written;
    // The files of the next step, written and flushed while the bar moves for this one; each
    // takes its place in its turn. Dropped unplaced (the install stopped, an option that no
    // longer holds), they leave nothing behind.
    struct Staged {
        CatalogId id;
        std::unique_ptr<host::StagedWrite> write;
    };
    std::vector<Staged> ahead;

    const payload::CatalogEntry* Entry(CatalogId id) const {
        for (const payload::CatalogEntry& entry : c.catalog) {
            if (entry.id == id) return &entry;
        }
        return nullptr;
    }
    Text InFolder(CatalogId id) const {
        const payload::CatalogEntry* entry = Entry(id);
        return JoinTexts(folder, entry ? entry->destinationPiece : "");
    }
    std::unique_ptr<host::StagedWrite> Stage(const Text& path, CatalogId id) {
        const payload::CatalogEntry* entry = Entry(id);
        return entry ? c.host.StageBytes(path, payload::BlockBytes(entry->block)) : nullptr;
    }
    // A file of the destination, in its turn: the one written ahead, or written now.
    WriteOutcome Write(CatalogId id) {
        for (Staged& staged : ahead) {
            if (staged.id == id && staged.write) return std::exchange(staged.write, nullptr)->Place();
        }
        const std::unique_ptr<host::StagedWrite> now = Stage(InFolder(id), id);
        return now ? now->Place() : WriteOutcome::Failed;
    }
    void StageAhead(const FileStep* step) {
        ahead.clear();
        for (int i = 0; step && i < step->fileCount; ++i) {
            ahead.push_back({step->files[i], Stage(InFolder(step->files[i]), step->files[i])});
        }
    }
    // The shortcut step's files, started during the last file step's waits and placed in the
    // shortcut step's turn, in its order; `shortcutsStarted` once that was decided.
    std::vector<std::unique_ptr<host::StagedWrite>> shortcuts;
    bool shortcutsStarted = false;
    bool WantsShortcuts() const {
        // Links to a product that is not whole would only mislead.
        return programs == WriteOutcome::Written && c.controls.ReadBool(选择框_创建快捷方式, ControlProperty::Checked);
    }
    // The internet shortcuts that also go to the Start menu and the desktop, into `target`.
    void StageWebShortcuts(const Text& target) {
        for (const payload::CatalogEntry& entry : c.catalog) {
            if (entry.copiedWithShortcuts) shortcuts.push_back(Stage(Under(target, entry.destinationPiece), entry.id));
        }
    }
    void StageLink(const Text& linkPath, const Text& target) {
        // The target alone.
        shortcuts.push_back(c.host.StageShortcut({linkPath, target, std::nullopt, std::nullopt, std::nullopt}));
    }
    void StageShortcuts() {
        shortcutsStarted = true;
        if (!WantsShortcuts()) return;
        const Text program = InFolder(CatalogId::MainProgram);
        const Text menu = Under(c.host.SpecialFolderPath(host::special_folder::kPrograms), "\\Lumora");
        const Text desktop = c.host.SpecialFolderPath(host::special_folder::kDesktop);
        c.host.MakeDirectory(menu);
        // What an earlier run cut short left there goes before these new files are made.
        c.host.RemoveNewFileLeftovers(menu);
        c.host.RemoveNewFileLeftovers(desktop);
        StageWebShortcuts(menu);
        StageLink(Under(menu, "\\Lumora"), program);
        StageLink(Under(menu, "\\卸载"), InFolder(CatalogId::Uninstaller));
        StageWebShortcuts(desktop);
        StageLink(Under(desktop, "\\Lumora"), program);
    }
};

// `decides`: these files' outcomes decide the install's (the program files); the others'
// failures pass. `next`: the step that follows the last of these, if any.
bool WriteFileSteps(Install& in, std::span<const FileStep> steps, bool decides, const FileStep* next) {
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const FileStep& step = steps[k];
        in.c.controls.Write(标签_详情, Caption, step.shown ? JoinTexts(in.folder, step.shown) : in.InFolder(step.files[0]));
        for (int i = 0; i < step.fileCount; ++i) {
            const WriteOutcome outcome = in.Write(step.files[i]);
            if (decides && outcome != WriteOutcome::Written && in.programs != WriteOutcome::AccessDenied) {
                in.programs = outcome;
            }
        }
        in.StageAhead(k + 1 < steps.size() ? &steps[k + 1] : next);
        // The last file step: the shortcuts are made while its bar moves.
        if (k + 1 == steps.size() && !next) in.StageShortcuts();
        if (!StepProgress(in.c, 进度条1, step.steps)) return false;
    }
    return true;
}

// The failure message, and the end of the setup when it is closed; false, to stop the install.
bool Fail(Install& in, bool denied) {
    in.c.host.ShowMessageBox(denied ? kFailedWithoutRights : kFailed, kWarningOk, Text(kErrorCaption));
    in.c.host.EndProgram(0);
    return false;
}

// The install, step by step, in this order. A step answers false to stop the install there.

bool MakeDestinationFolder(Install& in) {
    // One level. A new one is protected as the folder for programs is: it holds programs an
    // administrator will run. An existing one is fine unless someone else may have put files in
    // it: then nothing is written.
    std::vector<Text> names;
    for (const payload::CatalogEntry& entry : in.c.catalog) names.emplace_back(entry.destinationPiece + 1);
    const host::ProgramFolderOutcome folder = in.c.host.MakeProgramFolder(in.folder, names);
    if (folder == host::ProgramFolderOutcome::Refused || folder == host::ProgramFolderOutcome::Denied) {
        return Fail(in, folder == host::ProgramFolderOutcome::Denied);
    }
    // What a run that was ended midway left of its new files goes before this one writes.
    in.c.host.RemoveNewFileLeftovers(in.folder);
    return true;
}

bool WriteProgramFiles(Install& in) {
    // The texts' first file is written ahead as the option stands now; it counts only when the
    // option still holds in its turn.
    const bool texts = in.c.controls.ReadBool(选择框_释放文本, ControlProperty::Checked);
    return WriteFileSteps(in, kProgramFiles, true, texts ? &kTexts[0] : nullptr);
}

bool WriteTexts(Install& in) {
    if (!in.c.controls.ReadBool(选择框_释放文本, ControlProperty::Checked)) {
        in.ahead.clear();
        return true;
    }
    return WriteFileSteps(in, kTexts, false, nullptr);
}

bool MakeShortcuts(Install& in) {
    if (!in.shortcutsStarted) in.StageShortcuts();
    // Each in its turn; dropped unplaced when the option no longer holds.
    if (in.WantsShortcuts()) {
        for (const auto& write : in.shortcuts) {
            if (write) write->Place();
        }
    }
    in.shortcuts.clear();
    return true;
}

bool ShowFinishPageOrFail(Install& in) {
    if (in.programs != WriteOutcome::Written) return Fail(in, in.programs == WriteOutcome::AccessDenied);
    Apply(in.c.controls, kFinishPage);
    return true;
}

constexpr bool (*kInstallSteps[])(Install&) = {
    MakeDestinationFolder, WriteProgramFiles, WriteTexts, MakeShortcuts, ShowFinishPageOrFail,
};

}  // namespace

bool StepProgress(WizardContext& c, std::uint32_t barId, int count) {
    for (int i = 0; i < count; ++i) {
        // The wait handles the window's messages: the user may close the window meanwhile.
        c.host.Wait(kStepWaitMs);
        if (!c.controls.WindowOpen()) return false;
        c.controls.Write(barId, ControlProperty::Position,
                         c.controls.ReadInt(barId, ControlProperty::Position) + 1);
    }
    return true;
}

void RunInstall(WizardContext& c) {
    Install in{c, c.controls.ReadText(编辑框_路径, ControlProperty::Text), WriteOutcome::Written, {}, {}, false};
    for (const auto step : kInstallSteps) {
        if (!step(in)) return;
    }
}

void StartInstall(WizardContext& c) {
    Apply(c.controls, kInstallingStep);
    RunInstall(c);
}

}  // namespace wizard
