// The text helpers on this machine, under the sanitizers. GBK bytes are written as escapes:
// "\x81\x5C" is 乗, whose second byte is a backslash; "\xD6\xD0" is 中.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/system/text.h"

using host::Text;

TEST(LeftRightBytes, CutNumbersAndPathsByBytes) {
    EXPECT_EQ(host::LeftBytes("6.728515625", 4), "6.72");  // cut, not rounded
    EXPECT_EQ(host::LeftBytes("6.799", 4), "6.79");
    EXPECT_EQ(host::LeftBytes("7", 4), "7");
    EXPECT_EQ(host::LeftBytes("abc", 0), "");
    EXPECT_EQ(host::LeftBytes("abc", -3), "");
    EXPECT_EQ(host::LeftBytes("", 5), "");
    EXPECT_EQ(host::LeftBytes("abc", INT_MAX), "abc");

    EXPECT_EQ(host::RightBytes("C:\\", 1), "\\");
    EXPECT_EQ(host::RightBytes("D:\\Games", 1), "s");
    EXPECT_EQ(host::RightBytes("abc", 2), "bc");
    EXPECT_EQ(host::RightBytes("abc", 0), "");
    EXPECT_EQ(host::RightBytes("abc", INT_MIN), "");
    EXPECT_EQ(host::RightBytes("abc", INT_MAX), "abc");
}

TEST(LeftRightBytes, MayCutATwoByteCharacterInHalf) {
    EXPECT_EQ(host::LeftBytes("\xD6\xD0\xCE\xC4", 3), "\xD6\xD0\xCE");
    EXPECT_EQ(host::RightBytes("\xD6\xD0\xCE\xC4", 1), "\xC4");
    EXPECT_EQ(host::RightBytes("C:\\\x81\x5C", 1), "\\");  // the trail byte of 乗
}

TEST(NumberToText, DoublesAsThirteenSignificantDigits) {
    EXPECT_EQ(host::NumberToText(7055360 / 1048576.0), "6.728515625");
    EXPECT_EQ(host::NumberToText(7072603 / 1048576.0), "6.744959831238");
    EXPECT_EQ(host::NumberToText(7.0 * 1048576 / 1048576.0), "7");
    EXPECT_EQ(host::NumberToText(12.5), "12.5");
    EXPECT_EQ(host::NumberToText(1234.5), "1234.5");
    EXPECT_EQ(host::NumberToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(host::NumberToText(-2.5), "-2.5");
    EXPECT_EQ(host::NumberToText(0.0001), "0.0001");
    EXPECT_EQ(host::NumberToText(0.00001), "1e-05");
    EXPECT_EQ(host::NumberToText(1e13), "1e+13");
    EXPECT_EQ(host::NumberToText(9999999999999.0), "9999999999999");
    EXPECT_EQ(host::NumberToText(-1.7976931348623157e308), "-1.797693134862e+308");
}

TEST(NumberToText, IntegersInPlainDecimal) {
    EXPECT_EQ(host::NumberToText(7), "7");
    EXPECT_EQ(host::NumberToText(0), "0");
    EXPECT_EQ(host::NumberToText(-42), "-42");
    EXPECT_EQ(host::NumberToText(INT_MAX), "2147483647");
    EXPECT_EQ(host::NumberToText(INT_MIN), "-2147483648");
}

TEST(NumberToText, SpaceFigureIsTheFirstFourBytes) {
    auto figure = [](double megabytes) { return host::LeftBytes(host::NumberToText(megabytes), 4); };
    EXPECT_EQ(figure(7055360 / 1048576.0), "6.72");
    EXPECT_EQ(figure(7072603 / 1048576.0), "6.74");
    EXPECT_EQ(figure(7.0), "7");
    EXPECT_EQ(figure(12.5), "12.5");
    EXPECT_EQ(figure(1234.5), "1234");
}

TEST(ReplaceText, LeavesTheTextAloneWhenThereIsNothingToDo) {
    EXPECT_EQ(host::ReplaceText("abc", "x", "y"), "abc");                   // no match
    EXPECT_EQ(host::ReplaceText("", "x", "y"), "");                         // empty text
    EXPECT_EQ(host::ReplaceText("abc", "", "y"), "abc");                    // empty find
    EXPECT_EQ(host::ReplaceText("abc", "a", "y", 4), "abc");                // start beyond the end
    EXPECT_EQ(host::ReplaceText("abc", "a", "y", 1, 0), "abc");             // count 0
    EXPECT_EQ(host::ReplaceText("ab", "abc", "y"), "ab");                   // find longer than text
}

TEST(ReplaceText, DefaultsReplaceEveryMatchIgnoringCase) {
    EXPECT_EQ(host::ReplaceText("aXbxc", "x"), "abc");
    EXPECT_EQ(host::ReplaceText("a-b-c", "-", "--"), "a--b--c");
    EXPECT_EQ(host::ReplaceText("aaaa", "aa", "b"), "bb");  // matches do not overlap
    EXPECT_EQ(host::ReplaceText("aaa", "aa", "b"), "ba");
}

TEST(ReplaceText, StartAndCount) {
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 2), "x-y-y");  // bytes before the start are copied
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 5), "x-x-y");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 0), "y-y-y");  // below 1 counts as 1
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", -7), "y-y-y");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 1, 1), "y-x-x");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 1, 2), "y-y-x");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 3, 1), "x-y-x");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 1, 9), "y-y-y");
    EXPECT_EQ(host::ReplaceText("x-x-x", "x", "y", 1, host::kReplaceAll), "y-y-y");
}

TEST(ReplaceText, CaseRules) {
    EXPECT_EQ(host::ReplaceText("ABC abc", "b", "_", 1, host::kReplaceAll, true), "ABC a_c");
    EXPECT_EQ(host::ReplaceText("ABC abc", "b", "_", 1, host::kReplaceAll, false), "A_C a_c");
    EXPECT_EQ(host::ReplaceText("PROGRAM Files", "program", "P", 1, host::kReplaceAll, false),
              "P Files");
    // Only letters fold: '@' (0x40) and '`' (0x60) differ by the case bit but are not letters.
    EXPECT_EQ(host::ReplaceText("@`", "`", "_", 1, host::kReplaceAll, false), "@_");
    EXPECT_EQ(host::ReplaceText("[{", "{", "_", 1, host::kReplaceAll, false), "[_");
}

TEST(ReplaceText, TwoByteCharacters) {
    // A backslash as the second byte of 乗 is never the start of a match.
    EXPECT_EQ(host::ReplaceText("\x81\x5C\\x", "\\", "/"), "\x81\x5C/x");
    // 'A' (0x41) as a trail byte: \x81\x41 is one character.
    EXPECT_EQ(host::ReplaceText("\x81\x41" "A", "a", "b"), "\x81\x41" "b");
    // The bytes of a two-byte character match exactly, even without matchCase.
    EXPECT_EQ(host::ReplaceText("\x81\x61", "\x81\x41", "y"), "\x81\x61");
    EXPECT_EQ(host::ReplaceText("\xD6\xD0\xCE\xC4\xD6\xD0", "\xD6\xD0", "Z"), "Z\xCE\xC4Z");
    EXPECT_EQ(host::ReplaceText("\xCE\xC4\xD6\xD0", "\xC4\xD6", "Z"), "\xCE\xC4\xD6\xD0");
    // A lone lead byte at the end is copied as it is.
    EXPECT_EQ(host::ReplaceText("a\x81", "a", "b"), "b\x81");
    EXPECT_EQ(host::ReplaceText(std::string("a\0b", 3), "b", "c"), std::string("a\0c", 3));
}

TEST(ReplaceText, FourByteCharacters) {
    // ñ (81 30 8A 39) then ö (81 30 8B 32): 8A 39 81 30 between them is no character.
    const Text text = "\x81\x30\x8A\x39\x81\x30\x8B\x32";
    EXPECT_EQ(host::ReplaceText(text, "\x8A\x39\x81\x30", "!"), text);
    EXPECT_EQ(host::ReplaceText(text, "\x81\x30\x8B\x32", "o"), "\x81\x30\x8A\x39o");
}

TEST(JoinTexts, ConcatenatesInOrder) {
    const Text folder = "C:\\Program Files";
    EXPECT_EQ(host::JoinTexts(folder, "\\Lumora"), "C:\\Program Files\\Lumora");
    EXPECT_EQ(host::JoinTexts("a", Text("b"), std::string_view("c"), ""), "abc");
    EXPECT_EQ(host::JoinTexts(Text(), ""), "");
    EXPECT_EQ(host::JoinTexts(), "");
}

TEST(RegistryPath, SplitsAtTheLastRealBackslash) {
    auto split = [](std::string_view path) {
        const host::RegistryPath p = host::SplitRegistryPath(path);
        return std::make_pair(p.subkey, p.valueName);
    };
    using Pair = std::pair<Text, Text>;
    EXPECT_EQ(split("TarvelPaths"), Pair("", "TarvelPaths"));
    EXPECT_EQ(split("Software\\Lumora\\Path"), Pair("Software\\Lumora", "Path"));
    EXPECT_EQ(split("Software\\Lumora\\"), Pair("Software\\Lumora", ""));
    EXPECT_EQ(split("\\Path"), Pair("", "Path"));
    EXPECT_EQ(split(""), Pair("", ""));
    // 乗 ends in 0x5C: a key named A乗 is not cut inside the character.
    EXPECT_EQ(split("Software\\A\x81\x5C"), Pair("Software", "A\x81\x5C"));
    EXPECT_EQ(split("Software\\A\x81\x5C\\\x81\x5C"), Pair("Software\\A\x81\x5C", "\x81\x5C"));
    EXPECT_EQ(split("\x81\x5C\x81\x5C"), Pair("", "\x81\x5C\x81\x5C"));
    EXPECT_EQ(split("Key\\\x81"), Pair("Key", "\x81"));  // a lone lead byte at the end
}

TEST(RegistryPath, FindLastSeparator) {
    EXPECT_EQ(host::FindLastSeparator("a\\b\\c"), 3u);
    EXPECT_EQ(host::FindLastSeparator("abc"), std::string_view::npos);
    EXPECT_EQ(host::FindLastSeparator("a\\\x81\x5C"), 1u);
    EXPECT_EQ(host::FindLastSeparator("\x81\x5C\x5C"), 2u);
    // 0x80 and 0xFF are characters of their own in code page 936: the byte after them counts.
    EXPECT_EQ(host::FindLastSeparator("a\x80\\b"), 2u);
    EXPECT_EQ(host::FindLastSeparator("a\xFF\\b"), 2u);
    EXPECT_EQ(host::FindLastSeparator("a\xFE\\b"), std::string_view::npos);
    EXPECT_EQ(host::FindLastSeparator("C:\\Pe\x81\x30\x8A\x39" "a\\\x81\x30\x8A\x39"), 10u);
}

TEST(ShortcutFileName, AddsTheEndingOnlyWhenTheNameHasNoDot) {
    EXPECT_EQ(host::ShortcutFileName("C:\\Menu\\Lumora"), "C:\\Menu\\Lumora.lnk");
    EXPECT_EQ(host::ShortcutFileName("Lumora"), "Lumora.lnk");
    EXPECT_EQ(host::ShortcutFileName("C:\\v1.0\\Lumora"), "C:\\v1.0\\Lumora.lnk");
    EXPECT_EQ(host::ShortcutFileName("C:\\Menu\\Lumora.lnk"), "C:\\Menu\\Lumora.lnk");
    EXPECT_EQ(host::ShortcutFileName("C:\\Menu\\Lumora.exe"), "C:\\Menu\\Lumora.exe");
    EXPECT_EQ(host::ShortcutFileName("C:\\Menu\\"), "C:\\Menu\\.lnk");
    // The last 0x5C is the trail byte of 乗; the name is "v1.0乗", which has a dot.
    EXPECT_EQ(host::ShortcutFileName("C:\\Menu\\v1.0\x81\x5C"), "C:\\Menu\\v1.0\x81\x5C");
    EXPECT_EQ(host::ShortcutFileName("C:\\a.b\\\xD0\xB6\xD4\xD8"), "C:\\a.b\\\xD0\xB6\xD4\xD8.lnk");
}

TEST(EqualIgnoringAsciiCase, FoldsOnlySingleByteLetters) {
    EXPECT_TRUE(host::EqualIgnoringAsciiCase("ProgramFiles", "PROGRAMFILES"));
    EXPECT_TRUE(host::EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(host::EqualIgnoringAsciiCase("Path", "Paths"));
    EXPECT_FALSE(host::EqualIgnoringAsciiCase("\x81\x41", "\x81\x61"));
    EXPECT_TRUE(host::EqualIgnoringAsciiCase("a\x81\x41", "A\x81\x41"));
}
