#pragma once
// What the wizard window must hold, written out independently of the program's own
// description so that a slip in either shows up. Rows are in description order.
#include <cstdint>

#include "lumora_version.h"

namespace expected {

constexpr std::uint32_t kWindowId = 0x52010001u;
constexpr std::uint32_t kWindow = 0x06010000u;  // the window's own control id
constexpr std::uint32_t kBanner = 0x1601002cu;
constexpr std::uint32_t kButtonBand = 0x16010003u;
constexpr std::uint32_t kPanel = 0x16010026u;
constexpr std::uint32_t kPages = 0x16010011u;

enum : unsigned { V = 1, D = 2, T = 4 };  // visible, disabled, tab stop

struct Control {
    const char* name;
    std::uint32_t id;
    std::uint32_t parent;
    int page;  // page of the page control, -1 if none
    int left, top, width, height;
    unsigned flags;
    int tabOrder;
    const char* text;  // shown caption (buttons, check boxes, labels); null: not checked
};

inline constexpr Control kControls[38] = {
    {"选择框_查看更新内容", 0x16010075u, kPanel, -1, 192, 139, 136, 16, T, 2, "查看版本更新内容"},
    {"选择框_查看解决方案", 0x16010076u, kPanel, -1, 192, 156, 160, 16, T, 2, "查看常见问题解决方案"},
    {"选择框_访问官网", 0x16010077u, kPanel, -1, 192, 172, 160, 16, T, 4, "访问Lumora官网"},
    {"选择框_释放文本", 0x16010072u, kPages, 1, 40, 141, 224, 16, V, 0, "释放使用教程、更新说明等文本"},
    {"选择框_创建快捷方式", 0x16010073u, kPages, 1, 40, 124, 144, 16, V, 0, "创建桌面快捷方式"},
    {"选择框_安装主程序", 0x16010074u, kPages, 1, 40, 107, 120, 16, V | D | T, 4, "安装主程序"},
    {"外形框_顶端", 0x1601002cu, kWindow, -1, 0, 0, 500, 55, 0, 0, nullptr},
    {"按钮_上一步", 0x16010051u, kButtonBand, -1, 205, 16, 84, 22, T, 1, "< 上一步(B)"},
    {"外形框1", 0x16010003u, kWindow, -1, -1, 289, 500, 50, V, 0, nullptr},
    {"进度条1", 0x16010049u, kPages, 3, 40, 57, 420, 20, V, 0, nullptr},
    {"标签_安装情况", 0x16010048u, kPages, 3, 40, 9, 456, 18, V, 0, "正在提取文件..."},
    {"标签_详情", 0x16010047u, kPages, 3, 40, 26, 456, 18, V, 0, "文件名..."},
    {"编辑框_安装详情", 0x16010045u, kPages, 2, 40, 35, 420, 185, V | T, 0, ""},
    {"标签10", 0x16010046u, kPages, 2, 40, 9, 432, 18, V, 0,
     "点击“安装”继续安装，如果你想要查看或者更改设置请点击“上一步”。"},
    {"标签_所需空间", 0x16010044u, kPages, 1, 40, 205, 336, 24, V, 0, nullptr},
    {"按钮_目录浏览", 0x16010043u, kPages, 1, 392, 76, 84, 21, V | T, 0, "浏览(R)..."},
    {"编辑框_路径", 0x16010042u, kPages, 1, 40, 77, 344, 20, V | T, 0, ""},
    {"标签6", 0x16010041u, kPages, 1, 40, 51, 440, 24, V, 0,
     "若要继续，单击“下一步”。如果你需要选择不同的文件夹，请单击“浏览”。"},
    {"标签5", 0x16010040u, kPages, 1, 80, 17, 328, 24, V, 0, "安装向导将把 Lumora 安装到以下文件夹中。"},
    {"图片框2", 0x1601003fu, kPages, 1, 40, 16, 32, 32, V, 0, nullptr},
    {"选择框_运行", 0x1601003eu, kPanel, -1, 192, 119, 137, 24, T, 0, "运行 Lumora"},
    {"标签8", 0x1601003au, kPanel, -1, 185, 59, 312, 77, 0, 0,
     "安装向导已完成 Lumora 的安装。可以通过选择已安装的图标来运行应用程序。\r\n\r\n点击“完成”退出安装。"},
    {"图片框3", 0x1601002du, kBanner, -1, 444, 5, 45, 45, V, 0, nullptr},
    {"标签_提示", 0x1601002eu, kBanner, -1, 40, 26, 392, 18, V, 0, nullptr},
    {"标签_主标题", 0x1601002fu, kBanner, -1, 28, 8, 80, 24, V, 0, nullptr},
    {"图片框_主页", 0x16010026u, kWindow, -1, 128, 0, 500, 290, V, 0, nullptr},
    {"图片框1", 0x16010027u, kPanel, -1, 0, 0, 170, 290, V, 0, nullptr},
    {"标签4", 0x16010028u, kPanel, -1, 185, 111, 312, 24, V, 0, "单击“下一步”继续，或单击“取消”退出安装。"},
    {"标签3", 0x16010029u, kPanel, -1, 185, 85, 312, 24, V, 0, "建议你在继续之前关闭所有其它应用程序。"},
    {"标签_版本", 0x1601002au, kPanel, -1, 185, 59, 312, 24, V, 0,
     "安装向导将在你的电脑上安装 Lumorav" LUMORA_VERSION " 版本。"},
    {"标签1", 0x1601002bu, kPanel, -1, 185, 6, 296, 40, V, 0, "欢迎使用 Lumora 安装向导"},
    {"单选框_不接受", 0x16010020u, kPages, 0, 40, 207, 112, 18, V | T, 0, "我不接受协议(D)"},
    {"标签7", 0x1601001eu, kPages, 0, 40, 9, 432, 18, V, 0,
     "请阅读以下许可协议。在继续安装之前，你必须接受此协议的条款。"},
    {"编辑框_许可协议", 0x16010017u, kPages, 0, 40, 35, 420, 145, V | T, 0, nullptr},
    {"按钮_取消", 0x1601000bu, kButtonBand, -1, 396, 16, 84, 21, V | T, 0, "取消"},
    {"按钮_下一步", 0x1601000au, kButtonBand, -1, 301, 16, 84, 22, V | T, 1, "下一步(N) >"},
    {"选择夹1", 0x16010011u, kWindow, -1, 0, 55, 500, 235, V, 0, nullptr},
    {"单选框_接受", 0x1601001fu, kPages, 0, 40, 185, 112, 18, V | T, 0, "我接受协议(A)"},
};

// Ids used by name in the tests.
constexpr std::uint32_t k接受 = 0x1601001fu;
constexpr std::uint32_t k不接受 = 0x16010020u;
constexpr std::uint32_t k下一步 = 0x1601000au;
constexpr std::uint32_t k上一步 = 0x16010051u;
constexpr std::uint32_t k取消 = 0x1601000bu;
constexpr std::uint32_t k许可协议 = 0x16010017u;
constexpr std::uint32_t k释放文本 = 0x16010072u;
constexpr std::uint32_t k创建快捷方式 = 0x16010073u;
constexpr std::uint32_t k安装主程序 = 0x16010074u;
constexpr std::uint32_t k进度条 = 0x16010049u;
constexpr std::uint32_t k路径 = 0x16010042u;
constexpr std::uint32_t k标签8 = 0x1601003au;
constexpr std::uint32_t k标签_版本 = 0x1601002au;
constexpr std::uint32_t k选择框_运行 = 0x1601003eu;
constexpr std::uint32_t k主标题 = 0x1601002fu;
constexpr std::uint32_t k提示 = 0x1601002eu;
constexpr std::uint32_t k安装详情 = 0x16010045u;
constexpr std::uint32_t k所需空间 = 0x16010044u;
constexpr std::uint32_t k目录浏览 = 0x16010043u;

}  // namespace expected
