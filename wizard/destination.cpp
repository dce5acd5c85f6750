// The destination page: the proposed folder, the folder dialog and the space line.
#include "wizard/handlers.h"
#include "wizard/lumora_window.h"

namespace wizard {
namespace {

using host::ControlProperty;
using host::JoinTexts;
using host::Text;

constexpr char kProductFolder[] = "Lumora";
constexpr char kBrowseTitle[] = "请选择安装目录";

}  // namespace

void ProposeDestination(WizardContext& c) {
    // A folder the user picked, or an earlier proposal, is left alone.
    if (!c.controls.ReadText(ctl::编辑框_路径, ControlProperty::Text).empty()) return;
    c.controls.Write(ctl::编辑框_路径, ControlProperty::Text,
                     JoinTexts(c.host.ReadEnvironmentVariable("ProgramFiles"), "\\", kProductFolder));
    // An administrator's fixed destination, taken as it stands.
    const Text fixed = c.host.ReadRegistryText(host::registry_root::kLocalMachine, "TarvelPaths");
    if (!fixed.empty()) c.controls.Write(ctl::编辑框_路径, ControlProperty::Text, fixed);
}

void BrowseDestination(WizardContext& c) {
    const Text folder = c.host.BrowseForFolder(kBrowseTitle);
    if (folder.empty()) return;
    // A drive root comes with its backslash. The last character decides, not the last byte:
    // 乗 and 淺 end in the byte of a backslash and are part of a folder's name.
    const bool endsWithSeparator = host::FindLastSeparator(folder) == folder.size() - 1;
    c.controls.Write(ctl::编辑框_路径, ControlProperty::Text,
                     JoinTexts(folder, endsWithSeparator ? "" : "\\", kProductFolder));
}

Text SpaceFigure(std::int64_t bytes) {
    const double mebibytes = static_cast<double>(bytes) / 1048576.0;
    // Below 0.0001 the number would be written with an exponent, whose first four bytes would
    // read as thousands of times the real size; cut, the plain decimal starts "0.00".
    if (mebibytes > 0 && mebibytes < 0.0001) return "0.00";
    return host::LeftBytes(host::NumberToText(mebibytes), 4);
}

void EstimateSpace(WizardContext& c) {
    const bool withTexts = c.controls.ReadBool(ctl::选择框_释放文本, ControlProperty::Checked);
    std::int64_t total = 0;
    for (const payload::CatalogEntry& entry : c.catalog) {
        if (entry.condition == payload::WriteCondition::Always ||
            (withTexts && entry.condition == payload::WriteCondition::ReleaseTexts)) {
            total += payload::BlockLength(entry.block);
        }
    }
    c.controls.Write(ctl::标签_所需空间, ControlProperty::Caption,
                     JoinTexts("至少需要 ", SpaceFigure(total), " MB 的空闲磁盘空间。"));
}

}  // namespace wizard
