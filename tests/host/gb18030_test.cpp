// The conversion where texts meet the system, against Python's gb18030 codec: the cases are
// made from it at build time (gb18030_reference.py), each checked both ways, one at a time
// and all in one text.
#include <gtest/gtest.h>

#include <string>

#include "host/system/system_text.h"

namespace {

struct Case {
    char32_t character;
    const char* bytes;
};
const Case kCases[] = {
#include "gb18030_reference.inc"
};

std::wstring WideOf(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    return {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

TEST(Gb18030, AgreesWithTheReferenceBothWays) {
    std::wstring allWide = L"C:\\用户\\";
    host::Text allBytes = "C:\\用户\\";
    for (const Case& c : kCases) {
        const std::wstring wide = WideOf(c.character);
        EXPECT_EQ(host::TextFromWide(wide), c.bytes) << std::hex << static_cast<unsigned>(c.character);
        EXPECT_EQ(host::WideFromText(c.bytes), wide) << std::hex << static_cast<unsigned>(c.character);
        allWide += wide + L"乗";
        allBytes += c.bytes + host::Text("乗");
    }
    EXPECT_EQ(host::TextFromWide(allWide), allBytes);
    EXPECT_EQ(host::WideFromText(allBytes), allWide);
}

TEST(Gb18030, WhatNamesNoCharacterIsReplacedAndTheRestKept) {
    EXPECT_EQ(host::TextFromWide(std::wstring(L"a\xD800" L"b\xDC00")), "a?b?");
    EXPECT_EQ(host::TextFromWide(std::wstring(L"\xDBFF")), "?");
    const struct {
        const char* bytes;
        const wchar_t* wide;
    } invalid[] = {
        {"a\x80" "b\xFF", L"a\xFFFD" L"b\xFFFD"},
        {"\x81\x30" "x", L"\xFFFD" L"0x"},       // a four-byte start cut short
        {"\x84\x31\xA5\x30", L"\xFFFD"},         // past the basic plane's codes, before U+10000
        {"\xE3\x32\x9A\x36", L"\xFFFD"},         // past U+10FFFF
        {"\xD6\xD0\x81", L"中\xFFFD"},           // a lead byte at the end
        {"\x81\x7F", L"\xFFFD\x7F"},
    };
    for (const auto& c : invalid) EXPECT_EQ(host::WideFromText(c.bytes), c.wide) << c.bytes;
}

}  // namespace
