// The destination page's routines: the proposal, the folder dialog and the space line.
#include <cmath>
#include <cstdio>

#include "payload/block.h"
#include "tests/wizard/wizard_fixture.h"
#include "wizard/handlers.h"

namespace {

using namespace expected;
using host::ControlProperty;
using test::Pump;
using payload::CatalogEntry;
using payload::CatalogId;
using payload::PayloadBlock;
using payload::WriteCondition;

class Destination : public test::WizardFixture {
protected:
    void SetUp() override { Start(); }
    void Propose() {
        wizard::ProposeDestination(Context());
        Pump();
    }
    void Browse(const host::Text& answer) {
        scripted.folderAnswers.push_back(answer);
        Click(k目录浏览);
    }
};

TEST_F(Destination, ProposalFromProgramFilesAndFromTheRegistry) {
    scripted.environment["ProgramFiles"] = "C:\\Program Files (x86)";
    Propose();
    EXPECT_EQ(TextOf(k路径), "C:\\Program Files (x86)\\Lumora");

    // Filled already: left alone.
    scripted.environment["ProgramFiles"] = "E:\\Elsewhere";
    Propose();
    EXPECT_EQ(TextOf(k路径), "C:\\Program Files (x86)\\Lumora");

    // The registry value directly under HKLM, taken unchanged.
    Controls().Write(k路径, ControlProperty::Text, std::string());
    scripted.registry["4:TarvelPaths"] = "D:\\Tools\\\x81\x5C";
    Propose();
    EXPECT_EQ(TextOf(k路径), "D:\\Tools\\\x81\x5C");
}

TEST_F(Destination, ProposalWithoutAnythingToGoOn) {
    Propose();
    EXPECT_EQ(TextOf(k路径), "\\Lumora");
}

TEST_F(Destination, BrowseResults) {
    struct Case {
        const char* chosen;
        const char* shown;
    };
    const Case cases[] = {
        {"D:\\", "D:\\Lumora"},
        {"D:\\Games", "D:\\Games\\Lumora"},
        // Names ending in 乗 and 淺, whose second byte is that of a backslash.
        {"D:\\\x81\x5C", "D:\\\x81\x5C\\Lumora"},
        {"D:\\Games\\\x9C\x5C", "D:\\Games\\\x9C\x5C\\Lumora"},
        {"\\\\server\\share\\", "\\\\server\\share\\Lumora"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        Browse(c.chosen);
        EXPECT_EQ(TextOf(k路径), c.shown);
    }
    EXPECT_EQ(scripted.folderTitles.back(), "请选择安装目录");

    const std::string deep = "C:\\" + std::string(2000, 'd');
    Browse(deep);
    EXPECT_EQ(TextOf(k路径), deep + "\\Lumora");
}

TEST_F(Destination, CancelledBrowseChangesNothing) {
    Browse("");
    EXPECT_EQ(TextOf(k路径), "") << "empty stays empty";
    Browse("D:\\Games");
    Browse("");
    EXPECT_EQ(TextOf(k路径), "D:\\Games\\Lumora");
}

// The space line with the catalog the setup carries, computed here from its blocks.
std::string Expected(double bytes) {
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.2f", std::floor(bytes / 1048576.0 * 100) / 100);
    return std::string("至少需要 ") + figure + " MB 的空闲磁盘空间。";
}

TEST_F(Destination, SpaceLineForTheCarriedFilesFollowsTheTextsOption) {
    double programs = 0, all = 0;
    for (int i = 0; i < payload::kCatalogSize; ++i) {
        const double length = payload::kCatalog[i].block->length;
        all += length;
        if (i < 5) programs += length;
    }
    ASSERT_LT(all, 10 * 1048576.0) << "the figures below are written for a total under 10 MB";
    EXPECT_EQ(TextOf(k所需空间), Expected(all)) << "filled in at start, texts ticked";
    Controls().Write(kPages, ControlProperty::CurrentPage, 1);
    Click(k释放文本);
    EXPECT_EQ(TextOf(k所需空间), Expected(programs));
    Click(k释放文本);
    EXPECT_EQ(TextOf(k所需空间), Expected(all));
    Click(k创建快捷方式);  // counts nothing
    EXPECT_EQ(TextOf(k所需空间), Expected(all));
}

// Made-up totals through a catalog of the test's own: blocks are only measured here, so a
// header with a length stands for the whole file.
class SpaceFigure : public test::WizardFixture {
protected:
    std::string LineFor(std::int32_t programBytes, std::int32_t textBytes) {
        programs = {1, programBytes};
        texts = {1, textBytes};
        catalog[0] = {CatalogId::MainProgram, "MainProgram", &programs, "\\a.exe", WriteCondition::Always, false};
        catalog[1] = {CatalogId::ReleaseNotes, "ReleaseNotes", &texts, "\\b.log", WriteCondition::ReleaseTexts, false};
        Start(catalog);
        const std::string line = TextOf(k所需空间);
        const std::string prefix = "至少需要 ", suffix = " MB 的空闲磁盘空间。";
        if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + suffix.size() ||
            line.substr(line.size() - suffix.size()) != suffix) {
            return "bad line: " + line;
        }
        return line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
    }

    PayloadBlock programs{}, texts{};
    CatalogEntry catalog[2]{};
};

TEST_F(SpaceFigure, CutNeverRounded) {
    constexpr std::int32_t MB = 1048576;
    EXPECT_EQ(LineFor(7 * MB, 0), "7");
    EXPECT_EQ(LineFor(12 * MB, MB / 2), "12.5");
    EXPECT_EQ(LineFor(1234 * MB, MB / 2), "1234");
    EXPECT_EQ(LineFor(6 * MB + MB * 749 / 1000, 0), "6.74") << "6.749 cut, not 6.75";
    EXPECT_EQ(LineFor(MB * 3 / 4, 0), "0.75");
    EXPECT_EQ(LineFor(100, 0), "0.00") << "tiny totals: no exponent";
    EXPECT_EQ(LineFor(0, 0), "0");
    EXPECT_EQ(LineFor(2000 * MB, 100 * MB), "2100") << "a total past 2 GB does not wrap";
}

TEST_F(SpaceFigure, TextsOnlyCountWhenTicked) {
    constexpr std::int32_t MB = 1048576;
    EXPECT_EQ(LineFor(MB, MB), "2");
    Controls().Write(kPages, ControlProperty::CurrentPage, 1);
    Click(k释放文本);
    EXPECT_EQ(TextOf(k所需空间), "至少需要 1 MB 的空闲磁盘空间。");
}

}  // namespace
