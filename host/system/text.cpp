#include "host/system/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace host {
namespace {

constexpr unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

constexpr unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Does `find` stand at `pos` of `text`? The caller guarantees enough bytes remain and that
// `pos` is a character boundary. Walking `find` character by character keeps both sides
// aligned: a lead byte must match exactly, so the trail bytes that follow line up too, and
// only single-byte characters are folded.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view find, bool matchCase) {
    for (std::size_t i = 0; i < find.size(); ++i) {
        const unsigned char want = Byte(find[i]);
        const unsigned char have = Byte(text[pos + i]);
        if (matchCase || IsLeadByte(want)) {
            if (want != have) return false;
            if (IsLeadByte(want) && i + 1 < find.size()) {
                ++i;
                if (find[i] != text[pos + i]) return false;
            }
        } else if (FoldAscii(want) != FoldAscii(have)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const auto digit = [&](std::size_t at) { return text[at] >= '0' && text[at] <= '9'; };
    if (!IsLeadByte(Byte(text[pos])) || pos + 1 >= text.size()) return 1;
    const bool fourBytes = pos + 3 < text.size() && digit(pos + 1) && IsLeadByte(Byte(text[pos + 2])) && digit(pos + 3);
    return fourBytes ? 4 : 2;
}

Text TextFromField(const char* field, std::size_t capacity) {
    return Text(field, std::find(field, field + capacity, '\0'));
}

Text LeftBytes(std::string_view text, int n) {
    if (n <= 0) return Text();
    return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text RightBytes(std::string_view text, int n) {
    if (n <= 0) return Text();
    const std::size_t keep = std::min(text.size(), static_cast<std::size_t>(n));
    return Text(text.substr(text.size() - keep));
}

Text ReplaceText(std::string_view text, std::string_view find, std::string_view replacement,
                 int start, int count, bool matchCase) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || find.empty() || from >= text.size() || count == 0) return Text(text);

    Text result(text.substr(0, from));
    std::size_t pos = from;
    int done = 0;
    while (text.size() - pos >= find.size()) {
        if (MatchesAt(text, pos, find, matchCase)) {
            result.append(replacement);
            pos += find.size();
            if (++done == count) break;
        } else {
            const std::size_t step = CharacterLength(text, pos);
            result.append(text.substr(pos, step));
            pos += step;
        }
    }
    result.append(text.substr(pos));
    return result;
}

Text NumberToText(double value) {
    // 13 significant digits, a sign, a point and an exponent of up to "e-308" fit easily.
    char buffer[40] = {};
#ifdef _WIN32
    // The system's formatter rather than the C99 one that the compiler's runtime would link
    // in for this one call. It writes the exponent with three digits ("1e-005"), where C
    // writes as few as two: those are dropped below.
    const int written = _snprintf(buffer, sizeof buffer - 1, "%.13g", value);
#else
    const int written = std::snprintf(buffer, sizeof buffer, "%.13g", value);
#endif
    if (written < 0) return Text();
    Text text(buffer, std::min(static_cast<std::size_t>(written), sizeof buffer - 1));
    const std::size_t e = text.find('e');
    if (e != Text::npos && text.size() - e == 5 && text[e + 2] == '0') text.erase(e + 2, 1);
    return text;
}

Text NumberToText(int value) { return std::to_string(value); }

std::size_t FindLastSeparator(std::string_view path) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsLeadByte(Byte(path[i]))) {
            ++i;  // the trail byte may be 0x5C and is no separator
        } else if (path[i] == '\\') {
            last = i;
        }
    }
    return last;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && MatchesAt(a, 0, b, false);
}

RegistryPath SplitRegistryPath(std::string_view path) {
    const std::size_t cut = FindLastSeparator(path);
    if (cut == std::string_view::npos) return {Text(), Text(path)};
    return {Text(path.substr(0, cut)), Text(path.substr(cut + 1))};
}

Text ShortcutFileName(std::string_view linkPath) {
    const std::size_t cut = FindLastSeparator(linkPath);
    const std::string_view name =
        cut == std::string_view::npos ? linkPath : linkPath.substr(cut + 1);
    // A dot is never a trail byte of a GB 18030 character, so a plain search is exact.
    if (name.find('.') != std::string_view::npos) return Text(linkPath);
    return JoinTexts(linkPath, ".lnk");
}

}  // namespace host
