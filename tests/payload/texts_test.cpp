// The carried texts and internet shortcuts: their exact form, line by line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "payload/catalog.h"
#include "product_files.h"

namespace {

std::string BlockText(payload::CatalogId id) {
    const payload::PayloadBlock* block = payload::CatalogEntryOf(id).block;
    return std::string(reinterpret_cast<const char*>(block->Bytes()),
                       static_cast<std::size_t>(payload::BlockLength(block)));
}

// Checks that every line ends in CR LF except the last, which has no line end, and splits.
::testing::AssertionResult SplitCrLfLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    std::string::size_type start = 0;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') return ::testing::AssertionFailure() << "bare LF at byte " << i;
        if (text[i] == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return ::testing::AssertionFailure() << "bare CR at byte " << i;
            lines.push_back(text.substr(start, i - start));
            start = i + 2;
            ++i;
        }
    }
    if (start == text.size()) return ::testing::AssertionFailure() << "a line end after the last line";
    lines.push_back(text.substr(start));
    return ::testing::AssertionSuccess();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

TEST(Shortcuts, AreTheSixLineInternetShortcutsOfTheWebsiteAndTheTutorial) {
    const std::string tail =
        "IDList=\r\nHotKey=0\r\n[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
    EXPECT_EQ(BlockText(payload::CatalogId::WebsiteShortcut),
              "[InternetShortcut]\r\nURL=http://www.lumora-app.com/\r\n" + tail);
    EXPECT_EQ(BlockText(payload::CatalogId::TutorialShortcut),
              "[InternetShortcut]\r\nURL=http://www.lumora-app.com/BBS/tutorial.html\r\n" + tail);
}

TEST(ReleaseNotes, IsAGbkVersionHistoryOf866LinesNewestFirst) {
    const std::string text = BlockText(payload::CatalogId::ReleaseNotes);
    EXPECT_TRUE(product_files::IsValidGbk(text));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitCrLfLines(text, lines));
    EXPECT_EQ(lines.size(), 866u);

    // Entries are separated by lines of exactly 59 "="; each starts with its version line.
    const std::string separator(59, '=');
    std::vector<std::size_t> entryStarts{0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool onlyEquals = !lines[i].empty() && lines[i].find_first_not_of('=') == std::string::npos;
        if (!onlyEquals) continue;
        EXPECT_EQ(lines[i], separator) << "line " << i + 1;
        EXPECT_FALSE(i == 0 || i + 1 == lines.size()) << "a separator opens or closes the history";
        entryStarts.push_back(i + 1);
    }
    ASSERT_GE(entryStarts.size(), 10u);

    const std::string versionLead = "Lumora v";
    double previous = 1e9;
    std::string previousDate = "9999-99-99";
    for (std::size_t start : entryStarts) {
        ASSERT_LT(start, lines.size());
        const std::string& head = lines[start];
        ASSERT_TRUE(StartsWith(head, versionLead)) << "line " << start + 1 << ": " << head;
        double version = std::strtod(head.c_str() + versionLead.size(), nullptr);
        EXPECT_LT(version, previous) << "line " << start + 1 << ": not older than the entry before";
        if (start == 0) {
            EXPECT_TRUE(StartsWith(head, versionLead + LUMORA_PRODUCT_VERSION + "（")) << head;
        }
        previous = version;
        // The date follows in full-width parentheses: "（2014-03-08）".
        std::string::size_type open = head.find("（");
        ASSERT_NE(open, std::string::npos) << head;
        std::string date = head.substr(open + 2, 10);
        EXPECT_LT(date, previousDate) << head;
        previousDate = date;
        // Every entry lists at least one change under a heading such as 【修复】.
        std::size_t end = start + 1;
        while (end < lines.size() && lines[end] != separator) ++end;
        bool numbered = false;
        for (std::size_t i = start + 1; i < end; ++i) numbered |= StartsWith(lines[i], "1.");
        EXPECT_TRUE(numbered) << "no change listed under " << head;
    }
}

TEST(FaqText, IsAGbkTextOf22NumberedQuestionsEachFollowedByItsAnswer) {
    const std::string text = BlockText(payload::CatalogId::FaqText);
    EXPECT_TRUE(product_files::IsValidGbk(text));
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitCrLfLines(text, lines));
    ASSERT_EQ(lines.size(), 44u);
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        std::string question = std::to_string(i / 2 + 1) + ".问：";
        EXPECT_TRUE(StartsWith(lines[i], question)) << "line " << i + 1 << ": " << lines[i];
        EXPECT_GT(lines[i].size(), question.size());
        EXPECT_TRUE(StartsWith(lines[i + 1], "答：")) << "line " << i + 2 << ": " << lines[i + 1];
        EXPECT_GT(lines[i + 1].size(), std::string("答：").size());
    }
}

TEST(TextChecks, CatchBrokenLineEndsAndInvalidGbk) {
    std::vector<std::string> lines;
    EXPECT_TRUE(SplitCrLfLines("a\r\nb", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(SplitCrLfLines("a\r\nb\r\n", lines));
    EXPECT_FALSE(SplitCrLfLines("a\nb", lines));
    EXPECT_FALSE(SplitCrLfLines("a\rb", lines));
    EXPECT_TRUE(product_files::IsValidGbk("更新日志"));
    EXPECT_FALSE(product_files::IsValidGbk("\x81"));      // a lead byte without its trail byte
    EXPECT_FALSE(product_files::IsValidGbk("\x81\x7F"));  // 0x7F is no trail byte
}
