// Random texts through ReplaceText and the registry path split, checked against plain
// reference versions that first cut the text into characters.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "host/system/text.h"

namespace {

// Code page 936's lead bytes.
bool Lead(char c) { return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE; }

// A lead byte takes the next one along, or three when they are digit, lead, digit.
std::size_t Length(const std::string& t, std::size_t i) {
    if (!Lead(t[i]) || i + 1 == t.size()) return 1;
    return i + 3 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '9' && Lead(t[i + 2]) && t[i + 3] >= '0' && t[i + 3] <= '9' ? 4 : 2;
}

// Byte offsets where characters start.
std::vector<std::size_t> CharacterStarts(const std::string& text, std::size_t from) {
    std::vector<std::size_t> starts;
    for (std::size_t i = from; i < text.size();) {
        starts.push_back(i);
        i += Length(text, i);
    }
    return starts;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameAt(const std::string& text, std::size_t pos, const std::string& find, bool matchCase) {
    if (text.size() - pos < find.size()) return false;
    // Single-byte characters of `find` may fold; the bytes of two-byte ones never do.
    for (std::size_t i : CharacterStarts(find, 0)) {
        const bool twoByte = Lead(find[i]);
        if (twoByte || matchCase) {
            const std::size_t n = Length(find, i);
            if (text.compare(pos + i, n, find, i, n) != 0) return false;
        } else if (Lower(text[pos + i]) != Lower(find[i])) {
            return false;
        }
    }
    return true;
}

std::string ReferenceReplace(const std::string& text, const std::string& find, const std::string& with,
                             int start, int count, bool matchCase) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (text.empty() || find.empty() || from >= text.size() || count == 0) return text;
    std::string out = text.substr(0, from);
    int done = 0;
    std::size_t skipUntil = from;  // characters covered by a match are not looked at again
    std::size_t copiedUntil = from;
    for (std::size_t pos : CharacterStarts(text, from)) {
        if (pos < skipUntil) continue;
        if (count >= 0 && done == count) break;
        if (SameAt(text, pos, find, matchCase)) {
            out += with;
            ++done;
            skipUntil = pos + find.size();
            copiedUntil = skipUntil;
            // The match may end inside a character: go on from the byte after it, as a new start.
            if (skipUntil < text.size()) {
                out += ReferenceReplace(text.substr(skipUntil), find, with, 1,
                                        count < 0 ? count : count - done, matchCase);
                return out;
            }
            return out;
        }
        const std::size_t n = Length(text, pos);
        out.append(text, pos, n);
        copiedUntil = pos + n;
    }
    out.append(text, copiedUntil, std::string::npos);
    return out;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool matchCase = input.ConsumeBool();
    const int start = input.ConsumeIntegralInRange<int>(-2, 40);
    const int count = input.ConsumeIntegralInRange<int>(-2, 6);
    // A tiny alphabet makes matches, backslashes and lead bytes common.
    auto pick = [&input](std::size_t maxLength) {
        static const char kAlphabet[] = {'a', 'A', 'b', '\\', '\x81', '\x5C', '\xD6', '\xD0', '.', 'B'};
        std::string s;
        const std::size_t n = input.ConsumeIntegralInRange<std::size_t>(0, maxLength);
        for (std::size_t i = 0; i < n && input.remaining_bytes() > 0; ++i) {
            s.push_back(kAlphabet[input.ConsumeIntegralInRange<std::size_t>(0, sizeof kAlphabet - 1)]);
        }
        return s;
    };
    const std::string find = pick(3);
    const std::string with = pick(3);
    const std::string text = pick(40);

    const std::string got = host::ReplaceText(text, find, with, start, count, matchCase);
    Check(got == ReferenceReplace(text, find, with, start, count, matchCase));
    if (matchCase) Check(host::ReplaceText(text, find, find, start, count, true) == text);

    const host::RegistryPath split = host::SplitRegistryPath(text);
    const std::size_t cut = host::FindLastSeparator(text);
    if (cut == std::string::npos) {
        Check(split.subkey.empty() && split.valueName == text);
    } else {
        Check(split.subkey + "\\" + split.valueName == text);
        Check(host::FindLastSeparator(split.valueName) == std::string::npos);
    }
    // The separator found is the last backslash that starts a character.
    std::size_t expected = std::string::npos;
    for (std::size_t pos : CharacterStarts(text, 0)) {
        if (text[pos] == '\\') expected = pos;
    }
    Check(cut == expected);
    return 0;
}
