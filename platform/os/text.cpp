// UTF-8 and the program's wide strings, losslessly; text from outside.
#include "platform/os/text.h"

#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// A byte that is no part of valid UTF-8 travels as one of these.
constexpr uint32_t STRAY_BYTE = 0xDC80;

void Put(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at p (1 to 4), 0 when the
// byte there starts none: overlong forms, surrogates and code points past
// U+10FFFF are no UTF-8.
int SequenceAt(const unsigned char* p, uint32_t* code) {
    const uint32_t b = p[0];
    if (b < 0x80) {
        *code = b;
        return 1;
    }
    const int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : 0;
    if (!more || b > 0xF4) return 0;
    uint32_t c = b & (0x3F >> more);
    for (int i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *code = c;
    return more + 1;
}

}  // namespace

// Where wchar_t has 16 bits (Windows) the wide strings are UTF-16: a code
// point past U+FFFF is a pair of surrogates, a high one and a low one. A
// stray byte's low surrogate never follows a high one, so the two never mix.
constexpr bool UTF16 = sizeof(wchar_t) == 2;

std::string Narrow(const wchar_t* wide) {
    std::string out;
    for (; wide && *wide; ++wide) {
        uint32_t c = static_cast<uint32_t>(*wide);
        const uint32_t next = static_cast<uint32_t>(wide[1]);
        if (UTF16 && c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++wide;
        }
        if (c >= STRAY_BYTE && c <= STRAY_BYTE + 0x7F) out += static_cast<char>(c - STRAY_BYTE + 0x80);
        else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) out += '?';
        else Put(out, c);
    }
    return out;
}

std::wstring Wide(const char* narrow) {
    std::wstring out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(narrow ? narrow : ""); *p;) {
        uint32_t c = 0;
        const int n = SequenceAt(p, &c);
        if (UTF16 && n && c > 0xFFFF) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            p += n;
        } else if (n) {
            out += static_cast<wchar_t>(c);
            p += n;
        } else {
            out += static_cast<wchar_t>(STRAY_BYTE + *p - 0x80);  // never below 0x80: ASCII is always a sequence
            ++p;
        }
    }
    return out;
}

}  // namespace platform

size_t PlatformWideToNarrow(const wchar_t* wide, char* out, size_t outSize) {
    const std::string s = platform::Narrow(wide);
    if (!out || s.size() >= outSize) return 0;
    s.copy(out, s.size());
    out[s.size()] = 0;
    return s.size();
}

size_t PlatformNarrowToWide(const char* narrow, wchar_t* out, size_t outChars) {
    const std::wstring s = platform::Wide(narrow);
    if (!out || s.size() >= outChars) return 0;
    s.copy(out, s.size());
    out[s.size()] = 0;
    return s.size();
}

bool PlatformWholeNumber(const std::string& text, long lo, long hi, long* value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (n < lo || n > hi) return false;
    *value = n;
    return true;
}

std::string PlatformPrintableLine(const std::string& text, size_t maxBytes) {
    std::string shown = text.substr(0, maxBytes);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text.size() > maxBytes ? shown + "..." : shown;
}
