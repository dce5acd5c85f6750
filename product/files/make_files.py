#!/usr/bin/env python3
"""Writes the text files that Lumora carries beside its programs.

  make_files.py release-notes VERSION OUT   the version history, newest version first
  make_files.py faq OUT                     the answers to common questions
  make_files.py shortcut URL OUT            an internet shortcut to URL

Texts are GBK with CR LF between lines and no line end after the last line, as Windows
Notepad of the product's users expects. Everything is fixed by this script alone, so every
build writes the same bytes.
"""
import datetime
import sys

HISTORY_LINES = 866
SEPARATOR = "=" * 59

# What a release brought, by kind, in the words the history uses; each release picks a few.
CHANGES = [
    ("新增", [
        "皮肤中心",
        "视频教程入口",
        "在线更新提醒",
        "托盘图标右键菜单",
        "快捷键设置页面",
        "繁体中文界面",
        "数据备份功能",
        "数据恢复功能",
        "自动保存功能",
        "夜间模式皮肤",
        "常见问题解答",
        "开机自动启动选项",
        "窗口置顶选项",
        "使用统计页面",
        "官网论坛入口",
        "最近打开记录",
        "启动画面开关",
    ]),
    ("修复", [
        "偶尔崩溃的问题",
        "皮肤加载失败",
        "检查更新超时后无提示",
        "设置无法保存",
        "高分屏下文字模糊",
        "托盘图标消失的问题",
        "中文路径下无法打开文件",
        "退出时卡住",
        "长时间运行后内存占用过高",
        "快捷键与其他软件冲突",
        "部分系统上界面错位",
        "在 Windows XP 上无法启动",
        "备份文件损坏",
        "切换皮肤时窗口闪烁",
    ]),
    ("优化", [
        "启动速度",
        "内存占用",
        "界面显示效果",
        "皮肤切换速度",
        "更新下载速度",
        "数据读取性能",
        "功能库加载方式",
        "设置页面布局",
        "提示文字",
        "安装包体积",
        "低配置电脑上的运行效率",
        "默认皮肤的配色",
        "菜单顺序",
    ]),
]

FAQ = [
    ("Lumora 收费吗？", "完全免费，可以放心使用。"),
    ("支持哪些系统？", "Windows XP 及以后的 32 位和 64 位系统。"),
    ("安装失败怎么办？", "请更换安装目录，或以管理员身份运行。"),
    ("提示 Lumora 正在运行？", "请先关闭 Lumora 再安装。"),
    ("提示找不到 Function.dll？", "请重新安装 Lumora。"),
    ("皮肤无法加载？", "Tarvel-Skin.dll 须与主程序在同一文件夹。"),
    ("如何更新？", "运行安装目录中的 TarvelUP.exe。"),
    ("如何卸载？", "运行安装目录中的“卸载.exe”。"),
    ("可以装在 U 盘里吗？", "可以，复制整个安装文件夹即可。"),
    ("如何更换皮肤？", "在菜单中打开皮肤中心。"),
    ("如何开机自动启动？", "在设置中勾选开机自动启动。"),
    ("数据保存在哪里？", "保存在安装目录中。"),
    ("如何备份数据？", "在设置中使用数据备份功能。"),
    ("杀毒软件报毒？", "这是误报，请加入信任列表。"),
    ("高分屏下文字模糊？", "请更新到最新版本。"),
    ("程序崩溃了？", "请重新启动，并到论坛反馈。"),
    ("哪里有教程？", "官网上有详细的视频教程。"),
    ("官网地址？", "www.lumora-app.com"),
    ("如何反馈问题？", "到官网论坛发帖反馈。"),
    ("设置丢失了？", "用数据恢复功能找回。"),
    ("窗口找不到了？", "点击托盘图标即可显示。"),
    ("还有其他问题？", "请访问官网论坛，我们会尽快答复。"),
]


class Sequence:
    """A small linear congruential generator: the same numbers on every machine."""

    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state * 1103515245 + 12345) % 2**31
        return (self.state >> 16) % n


def older_versions(newest):
    """v3.49, v3.48, ... down from the newest version, in hundredths."""
    major, minor = newest.split(".")
    number = int(major) * 100 + int(minor)
    while number > 100:
        yield "%d.%02d" % (number // 100, number % 100)
        number -= 1


def pick(picks, pool, count):
    """count different changes of pool, in the order the sequence gives them."""
    chosen = []
    while len(chosen) < count:
        change = pool[picks.below(len(pool))]
        if change not in chosen:
            chosen.append(change)
    return chosen


def release_entry(version, date, picks):
    lines = ["Lumora v%s（%s）" % (version, date.isoformat())]
    kinds = [k for k in range(len(CHANGES)) if picks.below(3) != 0] or [picks.below(len(CHANGES))]
    for k in kinds:
        kind, pool = CHANGES[k]
        lines += ["", "【%s】" % kind]
        lines += ["%d.%s" % (i + 1, c) for i, c in enumerate(pick(picks, pool, 1 + picks.below(4)))]
    return lines


def closing_entry(version, date, picks, room):
    """The oldest release shown, filling exactly room lines and pointing to older ones."""
    lines = ["Lumora v%s（%s）" % (version, date.isoformat())]
    left = room - 1
    for kind, pool in CHANGES:
        if left < 2 + 1 + 2:  # a kind needs its heading and a change; the note needs two
            break
        count = min(len(pool), left - 4)
        rest = left - 2 - count
        if 2 < rest < 5:  # leave the next kind room for its heading and one change
            count -= 5 - rest
        lines += ["", "【%s】" % kind]
        lines += ["%d.%s" % (i + 1, c) for i, c in enumerate(pick(picks, pool, count))]
        left -= 2 + count
    lines += [""] * (left - 1) + ["更早版本的更新记录请到官网论坛查看"]
    return lines


def release_notes(newest):
    picks = Sequence(349)
    date = datetime.date(2014, 3, 8)
    lines = []
    for version in older_versions(newest):
        if lines:
            lines.append(SEPARATOR)
        room = HISTORY_LINES - len(lines)
        entry = release_entry(version, date, picks)
        if room - len(entry) < 8:  # too little would be left for the next release
            entry = closing_entry(version, date, picks, room)
        lines += entry
        if len(lines) == HISTORY_LINES:
            break
        date -= datetime.timedelta(days=6 + picks.below(14))
    assert len(lines) == HISTORY_LINES
    return lines


def faq():
    lines = []
    for number, (question, answer) in enumerate(FAQ, 1):
        lines.append("%d.问：%s" % (number, question))
        lines.append("答：%s" % answer)
    return lines


def shortcut(url):
    return ["[InternetShortcut]", "URL=" + url, "IDList=", "HotKey=0",
            "[{000214A0-0000-0000-C000-000000000046}]", "Prop3=19,2", ""]


def write(path, lines):
    with open(path, "wb") as out:
        out.write("\r\n".join(lines).encode("gbk"))


def main(args):
    if len(args) == 3 and args[0] == "release-notes":
        write(args[2], release_notes(args[1]))
    elif len(args) == 2 and args[0] == "faq":
        write(args[1], faq())
    elif len(args) == 3 and args[0] == "shortcut":
        write(args[2], shortcut(args[1]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
