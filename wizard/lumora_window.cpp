// The wizard window's description. Rows stand in description order, which is also the
// stacking order among siblings (earlier rows lie above later ones).
#include "wizard/lumora_window.h"

#include <array>

#include "wizard/licence.h"

namespace wizard {
namespace {

using host::ControlDescription;
using host::ControlKind;
using host::EditStyle;
using host::FontSpec;
using host::ImageFit;
using host::kBorderStaticEdge;
using host::kFlagDisabled;
using host::kFlagTabStop;
using host::kFlagVisible;
using host::kSilver;
using host::kSystemColour;
using host::kWhite;
using host::PageDescription;
using namespace ctl;

constexpr std::uint32_t kWindow = kWizardWindowControlId;
constexpr std::uint32_t kHidden = 0;
constexpr FontSpec kBold12{-12, 700};
constexpr FontSpec kBold16{-16, 700};

constexpr std::array<std::uint32_t, 4> kLicencePage{单选框_不接受, 单选框_接受, 标签7, 编辑框_许可协议};
constexpr std::array<std::uint32_t, 9> kDestinationPage{
    选择框_释放文本, 选择框_创建快捷方式, 选择框_安装主程序, 标签_所需空间, 按钮_目录浏览,
    编辑框_路径,     标签6,             标签5,             图片框2};
constexpr std::array<std::uint32_t, 2> kReadyPage{编辑框_安装详情, 标签10};
constexpr std::array<std::uint32_t, 3> kInstallingPage{进度条1, 标签_安装情况, 标签_详情};

constexpr std::array<PageDescription, 4> kPages{{
    {"许可协议", kLicencePage},
    {"路径选择", kDestinationPage},
    {"准备安装", kReadyPage},
    {"正在安装", kInstallingPage},
}};

const std::array<ControlDescription, 38> kControls{{
    {.name = "选择框_查看更新内容", .id = 选择框_查看更新内容, .kind = ControlKind::CheckBox,
     .parentId = 图片框_主页, .left = 192, .top = 139, .width = 136, .height = 16,
     .flags = kHidden | kFlagTabStop, .tabOrder = 2, .text = "查看版本更新内容", .background = kWhite,
     .checked = true},
    {.name = "选择框_查看解决方案", .id = 选择框_查看解决方案, .kind = ControlKind::CheckBox,
     .parentId = 图片框_主页, .left = 192, .top = 156, .width = 160, .height = 16,
     .flags = kHidden | kFlagTabStop, .tabOrder = 2, .text = "查看常见问题解决方案",
     .background = kWhite, .checked = true},
    {.name = "选择框_访问官网", .id = 选择框_访问官网, .kind = ControlKind::CheckBox,
     .parentId = 图片框_主页, .left = 192, .top = 172, .width = 160, .height = 16,
     .flags = kHidden | kFlagTabStop, .tabOrder = 4, .text = "访问Lumora官网", .background = kWhite},
    {.name = "选择框_释放文本", .id = 选择框_释放文本, .kind = ControlKind::CheckBox,
     .parentId = 选择夹1, .left = 40, .top = 141, .width = 224, .height = 16, .flags = kFlagVisible,
     .text = "释放使用教程、更新说明等文本", .checked = true},
    {.name = "选择框_创建快捷方式", .id = 选择框_创建快捷方式, .kind = ControlKind::CheckBox,
     .parentId = 选择夹1, .left = 40, .top = 124, .width = 144, .height = 16, .flags = kFlagVisible,
     .text = "创建桌面快捷方式", .checked = true},
    {.name = "选择框_安装主程序", .id = 选择框_安装主程序, .kind = ControlKind::CheckBox,
     .parentId = 选择夹1, .left = 40, .top = 107, .width = 120, .height = 16,
     .flags = kFlagVisible | kFlagDisabled | kFlagTabStop, .tabOrder = 4, .text = "安装主程序",
     .checked = true},
    {.name = "外形框_顶端", .id = 外形框_顶端, .kind = ControlKind::ShapeBox, .parentId = kWindow,
     .left = 0, .top = 0, .width = 500, .height = 55, .flags = kHidden, .background = kWhite,
     .lineColour = kSilver, .fillColour = kSystemColour, .lineWidth = 1},
    {.name = "按钮_上一步", .id = 按钮_上一步, .kind = ControlKind::Button, .parentId = 外形框1,
     .left = 205, .top = 16, .width = 84, .height = 22, .flags = kHidden | kFlagTabStop, .tabOrder = 1,
     .text = "< 上一步(B)"},
    {.name = "外形框1", .id = 外形框1, .kind = ControlKind::ShapeBox, .parentId = kWindow, .left = -1,
     .top = 289, .width = 500, .height = 50, .flags = kFlagVisible, .background = kSystemColour,
     .lineColour = kSilver, .fillColour = kSystemColour, .lineWidth = 1},
    {.name = "进度条1", .id = 进度条1, .kind = ControlKind::ProcessBar, .parentId = 选择夹1,
     .left = 40, .top = 57, .width = 420, .height = 20, .flags = kFlagVisible, .rangeMin = 0,
     .rangeMax = 100, .smooth = true},
    {.name = "标签_安装情况", .id = 标签_安装情况, .kind = ControlKind::Label, .parentId = 选择夹1,
     .left = 40, .top = 9, .width = 456, .height = 18, .flags = kFlagVisible, .text = "正在提取文件..."},
    {.name = "标签_详情", .id = 标签_详情, .kind = ControlKind::Label, .parentId = 选择夹1, .left = 40,
     .top = 26, .width = 456, .height = 18, .flags = kFlagVisible, .text = "文件名..."},
    {.name = "编辑框_安装详情", .id = 编辑框_安装详情, .kind = ControlKind::EditBox,
     .parentId = 选择夹1, .left = 40, .top = 35, .width = 420, .height = 185,
     .flags = kFlagVisible | kFlagTabStop, .background = kWhite, .border = kBorderStaticEdge,
     .edit = EditStyle::MultiLineScroll, .readOnly = true},
    {.name = "标签10", .id = 标签10, .kind = ControlKind::Label, .parentId = 选择夹1, .left = 40,
     .top = 9, .width = 432, .height = 18, .flags = kFlagVisible,
     .text = "点击“安装”继续安装，如果你想要查看或者更改设置请点击“上一步”。"},
    {.name = "标签_所需空间", .id = 标签_所需空间, .kind = ControlKind::Label, .parentId = 选择夹1,
     .left = 40, .top = 205, .width = 336, .height = 24, .flags = kFlagVisible,
     .text = "至少需要 00.0 MB 的空闲磁盘空间。"},
    {.name = "按钮_目录浏览", .id = 按钮_目录浏览, .kind = ControlKind::Button, .parentId = 选择夹1,
     .left = 392, .top = 76, .width = 84, .height = 21, .flags = kFlagVisible | kFlagTabStop,
     .text = "浏览(R)..."},
    {.name = "编辑框_路径", .id = 编辑框_路径, .kind = ControlKind::EditBox, .parentId = 选择夹1,
     .left = 40, .top = 77, .width = 344, .height = 20, .flags = kFlagVisible | kFlagTabStop,
     .background = kWhite, .border = kBorderStaticEdge, .edit = EditStyle::SingleLine,
     .readOnly = true},
    {.name = "标签6", .id = 标签6, .kind = ControlKind::Label, .parentId = 选择夹1, .left = 40,
     .top = 51, .width = 440, .height = 24, .flags = kFlagVisible,
     .text = "若要继续，单击“下一步”。如果你需要选择不同的文件夹，请单击“浏览”。"},
    {.name = "标签5", .id = 标签5, .kind = ControlKind::Label, .parentId = 选择夹1, .left = 80,
     .top = 17, .width = 328, .height = 24, .flags = kFlagVisible,
     .text = "安装向导将把 Lumora 安装到以下文件夹中。"},
    {.name = "图片框2", .id = 图片框2, .kind = ControlKind::PicBox, .parentId = 选择夹1, .left = 40,
     .top = 16, .width = 32, .height = 32, .flags = kFlagVisible, .image = &kFolderIcon,
     .fit = ImageFit::OwnSize},
    {.name = "选择框_运行", .id = 选择框_运行, .kind = ControlKind::CheckBox, .parentId = 图片框_主页,
     .left = 192, .top = 119, .width = 137, .height = 24, .flags = kHidden | kFlagTabStop,
     .text = "运行 Lumora", .background = kWhite},
    {.name = "标签8", .id = 标签8, .kind = ControlKind::Label, .parentId = 图片框_主页, .left = 185,
     .top = 59, .width = 312, .height = 77, .flags = kHidden,
     .text = "安装向导已完成 Lumora 的安装。可以通过选择已安装的图标来运行应用程序。\r\n\r\n"
             "点击“完成”退出安装。",
     .background = kWhite, .wordWrap = true},
    {.name = "图片框3", .id = 图片框3, .kind = ControlKind::PicBox, .parentId = 外形框_顶端,
     .left = 444, .top = 5, .width = 45, .height = 45, .flags = kFlagVisible, .background = kWhite,
     .image = &kLogo, .fit = ImageFit::Stretch},
    {.name = "标签_提示", .id = 标签_提示, .kind = ControlKind::Label, .parentId = 外形框_顶端,
     .left = 40, .top = 26, .width = 392, .height = 18, .flags = kFlagVisible,
     .text = "请在继续之前阅读以下重要信息。", .background = kWhite},
    {.name = "标签_主标题", .id = 标签_主标题, .kind = ControlKind::Label, .parentId = 外形框_顶端,
     .left = 28, .top = 8, .width = 80, .height = 24, .flags = kFlagVisible, .text = "许可协议",
     .background = kWhite, .font = kBold12},
    {.name = "图片框_主页", .id = 图片框_主页, .kind = ControlKind::PicBox, .parentId = kWindow,
     .left = 128, .top = 0, .width = 500, .height = 290, .flags = kFlagVisible, .background = kWhite},
    {.name = "图片框1", .id = 图片框1, .kind = ControlKind::PicBox, .parentId = 图片框_主页, .left = 0,
     .top = 0, .width = 170, .height = 290, .flags = kFlagVisible, .background = kWhite,
     .image = &kSidePicture, .fit = ImageFit::OwnSize},
    {.name = "标签4", .id = 标签4, .kind = ControlKind::Label, .parentId = 图片框_主页, .left = 185,
     .top = 111, .width = 312, .height = 24, .flags = kFlagVisible,
     .text = "单击“下一步”继续，或单击“取消”退出安装。", .background = kWhite},
    {.name = "标签3", .id = 标签3, .kind = ControlKind::Label, .parentId = 图片框_主页, .left = 185,
     .top = 85, .width = 312, .height = 24, .flags = kFlagVisible,
     .text = "建议你在继续之前关闭所有其它应用程序。", .background = kWhite},
    {.name = "标签_版本", .id = 标签_版本, .kind = ControlKind::Label, .parentId = 图片框_主页,
     .left = 185, .top = 59, .width = 312, .height = 24, .flags = kFlagVisible,
     .text = "安装向导将在你的电脑上安装 Lumorav" LUMORA_VERSION " 版本。", .background = kWhite},
    {.name = "标签1", .id = 标签1, .kind = ControlKind::Label, .parentId = 图片框_主页, .left = 185,
     .top = 6, .width = 296, .height = 40, .flags = kFlagVisible, .text = "欢迎使用 Lumora 安装向导",
     .background = kWhite, .font = kBold16},
    {.name = "单选框_不接受", .id = 单选框_不接受, .kind = ControlKind::RadioBox, .parentId = 选择夹1,
     .left = 40, .top = 207, .width = 112, .height = 18, .flags = kFlagVisible | kFlagTabStop,
     .text = "我不接受协议(D)", .checked = true},
    {.name = "标签7", .id = 标签7, .kind = ControlKind::Label, .parentId = 选择夹1, .left = 40, .top = 9,
     .width = 432, .height = 18, .flags = kFlagVisible,
     .text = "请阅读以下许可协议。在继续安装之前，你必须接受此协议的条款。"},
    {.name = "编辑框_许可协议", .id = 编辑框_许可协议, .kind = ControlKind::EditBox,
     .parentId = 选择夹1, .left = 40, .top = 35, .width = 420, .height = 145,
     .flags = kFlagVisible | kFlagTabStop, .text = kLicenceText, .background = kWhite,
     .border = kBorderStaticEdge, .edit = EditStyle::MultiLineWrap, .readOnly = true},
    {.name = "按钮_取消", .id = 按钮_取消, .kind = ControlKind::Button, .parentId = 外形框1,
     .left = 396, .top = 16, .width = 84, .height = 21, .flags = kFlagVisible | kFlagTabStop,
     .text = "取消"},
    {.name = "按钮_下一步", .id = 按钮_下一步, .kind = ControlKind::Button, .parentId = 外形框1,
     .left = 301, .top = 16, .width = 84, .height = 22, .flags = kFlagVisible | kFlagTabStop,
     .tabOrder = 1, .text = "下一步(N) >"},
    {.name = "选择夹1", .id = 选择夹1, .kind = ControlKind::Tab, .parentId = kWindow, .left = 0,
     .top = 55, .width = 500, .height = 235, .flags = kFlagVisible, .background = kSystemColour,
     .pages = kPages},
    {.name = "单选框_接受", .id = 单选框_接受, .kind = ControlKind::RadioBox, .parentId = 选择夹1,
     .left = 40, .top = 185, .width = 112, .height = 18, .flags = kFlagVisible | kFlagTabStop,
     .text = "我接受协议(A)", .checked = false},
}};

const host::WindowDescription kWizardWindow{
    .windowId = kWizardWindowId,
    .controlId = kWizardWindowControlId,
    .caption = "安装向导-Lumora",
    .width = 500,
    .height = 360,
    .background = kWhite,
    .controls = kControls,
    // The button that goes forward: Space moves on from every step.
    .firstFocus = 按钮_下一步,
};

}  // namespace

const host::WindowDescription& WizardWindowDescription() { return kWizardWindow; }

}  // namespace wizard
