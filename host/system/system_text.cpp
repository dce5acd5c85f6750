#include "host/system/system_text.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <iterator>

#include "host/system/gb18030_tables.h"

namespace host {
namespace {

using gb18030::FourByteRun;
using gb18030::kFourByteBasicPlaneEnd;
using gb18030::kFourByteRuns;
using gb18030::kTwoByteExceptions;
using gb18030::TwoByteException;

constexpr wchar_t kReplacement = 0xFFFD;
// The linear number of 0x90308130, which is U+10000; the supplementary planes follow in order.
constexpr unsigned kSupplementaryStart = 189000;

constexpr unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
constexpr bool IsDigitByte(unsigned char b) { return b >= 0x30 && b <= 0x39; }
constexpr bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
constexpr bool IsHighSurrogate(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
// Where code page 936 writes a character otherwise than GB 18030 although it has it.
constexpr bool MayDifferIn936(wchar_t u) { return u == 0x20AC || (u >= 0xE000 && u <= 0xF8FF); }

const TwoByteException* ExceptionForCode(unsigned code) {
    const auto found = std::lower_bound(std::begin(kTwoByteExceptions), std::end(kTwoByteExceptions), code,
                                        [](const TwoByteException& e, unsigned c) { return e.code < c; });
    return found != std::end(kTwoByteExceptions) && found->code == code ? found : nullptr;
}

const TwoByteException* ExceptionForUnit(wchar_t unit) {
    const auto found = std::find_if(std::begin(kTwoByteExceptions), std::end(kTwoByteExceptions),
                                    [unit](const TwoByteException& e) { return e.unit == unit; });
    return found != std::end(kTwoByteExceptions) ? found : nullptr;
}

// The linear number of the four-byte code at `bytes`.
unsigned Linear(const char* bytes) {
    return (((Byte(bytes[0]) - 0x81u) * 10 + (Byte(bytes[1]) - 0x30u)) * 126 + (Byte(bytes[2]) - 0x81u)) * 10 +
           (Byte(bytes[3]) - 0x30u);
}

// The character with this linear number; U+FFFD when there is none.
char32_t FromLinear(unsigned index) {
    if (index < kFourByteBasicPlaneEnd) {
        const FourByteRun* run = std::upper_bound(std::begin(kFourByteRuns), std::end(kFourByteRuns), index,
                                                  [](unsigned i, const FourByteRun& r) { return i < r.index; }) - 1;
        return run->unit + (index - run->index);
    }
    if (index >= kSupplementaryStart && index - kSupplementaryStart < 0x100000) {
        return 0x10000 + (index - kSupplementaryStart);
    }
    return kReplacement;
}

// The linear number of a basic-plane character that GB 18030 writes in four bytes.
bool ToLinear(wchar_t unit, unsigned& index) {
    const FourByteRun* next = std::upper_bound(std::begin(kFourByteRuns), std::end(kFourByteRuns), unit,
                                               [](wchar_t u, const FourByteRun& r) { return u < r.unit; });
    if (next == std::begin(kFourByteRuns)) return false;
    const FourByteRun& run = next[-1];
    const unsigned end = next == std::end(kFourByteRuns) ? kFourByteBasicPlaneEnd : next->index;
    if (static_cast<unsigned>(unit - run.unit) >= end - run.index) return false;
    index = run.index + (unit - run.unit);
    return true;
}

void AppendFourBytes(Text& text, unsigned index) {
    const char bytes[4] = {static_cast<char>(0x81 + index / 12600), static_cast<char>(0x30 + index / 1260 % 10),
                           static_cast<char>(0x81 + index / 10 % 126), static_cast<char>(0x30 + index % 10)};
    text.append(bytes, 4);
}

void AppendCharacter(std::wstring& wide, char32_t c) {
    if (c < 0x10000) {
        wide += static_cast<wchar_t>(c);
    } else {
        wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// Bytes that code page 936 reads as GB 18030 does (ASCII and two-byte codes other than the
// exceptions), in one call.
void AppendAs936(std::wstring& wide, const char* bytes, int size) {
    if (size <= 0) return;
    const std::size_t at = wide.size();
    wide.resize(at + static_cast<std::size_t>(size));
    const int got = MultiByteToWideChar(kTextCodePage, 0, bytes, size, wide.data() + at, size);
    wide.resize(at + static_cast<std::size_t>(got > 0 ? got : 0));
    if (got <= 0) wide += kReplacement;
}

// One character not in the two-byte part of code page 936, by GB 18030's rules.
void AppendOne(Text& text, const wchar_t* wide, std::size_t length, std::size_t& i) {
    const wchar_t unit = wide[i];
    if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(wide[i + 1])) {
        ++i;
        AppendFourBytes(text, kSupplementaryStart + ((unit - 0xD800u) << 10 | (wide[i] - 0xDC00u)));
        return;
    }
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        text += '?';  // a lone half of a pair names no character
        return;
    }
    if (const TwoByteException* e = ExceptionForUnit(unit)) {
        text += static_cast<char>(e->code >> 8);
        text += static_cast<char>(e->code & 0xFF);
        return;
    }
    char pair[2];
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, &unit, 1, pair, 2, nullptr, &usedDefault) == 2 &&
        !usedDefault && !ExceptionForCode(Byte(pair[0]) << 8 | Byte(pair[1]))) {
        text.append(pair, 2);
        return;
    }
    unsigned index = 0;
    if (ToLinear(unit, index)) {
        AppendFourBytes(text, index);
    } else {
        text += '?';
    }
}

}  // namespace

std::wstring WideFromText(const Text& text) {
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    std::wstring wide;
    wide.reserve(text.size());
    const char* bytes = text.data();
    const std::size_t size = text.size();
    std::size_t run = 0;  // where the bytes that code page 936 reads alike begin
    std::size_t i = 0;
    while (i < size) {
        const unsigned char b = Byte(bytes[i]);
        const unsigned char next = i + 1 < size ? Byte(bytes[i + 1]) : 0;
        const bool pair = IsLeadByte(b) && IsTrailByte(next);
        const TwoByteException* exception = pair ? ExceptionForCode(b << 8 | next) : nullptr;
        if (b < 0x80 || (pair && exception == nullptr)) {
            i += b < 0x80 ? 1 : 2;
            continue;
        }
        AppendAs936(wide, bytes + run, static_cast<int>(i - run));
        if (exception != nullptr) {
            wide += static_cast<wchar_t>(exception->unit);
            i += 2;
        } else if (IsLeadByte(b) && IsDigitByte(next) && i + 3 < size && IsLeadByte(Byte(bytes[i + 2])) &&
                   IsDigitByte(Byte(bytes[i + 3]))) {
            AppendCharacter(wide, FromLinear(Linear(bytes + i)));
            i += 4;
        } else {
            wide += kReplacement;  // a byte that starts no character here
            i += 1;
        }
        run = i;
    }
    AppendAs936(wide, bytes + run, static_cast<int>(size - run));
    return wide;
}

Text TextFromWide(const wchar_t* wide, std::size_t length) {
    if (wide == nullptr || length == 0 || length > INT_MAX / 4) return Text();
    const int size = static_cast<int>(length);
    // Mostly every character is one that code page 936 writes as GB 18030 does: one call.
    if (std::none_of(wide, wide + length, MayDifferIn936)) {
        BOOL usedDefault = FALSE;
        const int bytes =
            WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, &usedDefault);
        if (bytes > 0 && !usedDefault) {
            Text text(static_cast<std::size_t>(bytes), '\0');
            if (WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide, size, text.data(), bytes, nullptr,
                                    nullptr) == bytes) {
                return text;
            }
        }
    }
    Text text;
    text.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        if (wide[i] < 0x80) {
            text += static_cast<char>(wide[i]);
        } else {
            AppendOne(text, wide, length, i);
        }
    }
    return text;
}

Text TextFromWideField(const wchar_t* field, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && field[length] != L'\0') ++length;
    return TextFromWide(field, length);
}

}  // namespace host
