// Text as the system hands it over and as the program holds it.
//
// The program's wide strings hold one code point per wchar_t, or, where
// wchar_t has 16 bits (Windows), are UTF-16 as the system's own; the
// system's narrow ones are bytes, UTF-8 where they are text at all. A name the
// system gives (a file's path, the program's own folder) need not be UTF-8:
// its stray bytes are carried through a wide string as U+DC80 to U+DCFF and
// come back as the same bytes, so that any path survives the round trip.
//
// What it deliberately does not do: normalise, or know any encoding but
// UTF-8.
#pragma once
#include <cstddef>
#include <string>

// The narrow string into out, at most outChars wide characters with the
// terminating 0; 0 when it would not fit (nothing is cut).
size_t PlatformNarrowToWide(const char* narrow, wchar_t* out, size_t outChars);
// The wide string into out, at most outSize bytes with the terminating 0;
// 0 when it would not fit.
size_t PlatformWideToNarrow(const wchar_t* wide, char* out, size_t outSize);

// Text that came from outside the program (a script, a settings file, the
// command line).
//
// A whole number from lo to hi written in decimal digits alone, at most 9
// of them; *value is set only when it is one.
bool PlatformWholeNumber(const std::string& text, long lo, long hi, long* value);
// The text as a message may show it on one line: control characters as
// '?', and at most maxBytes of it, "..." marking the cut.
std::string PlatformPrintableLine(const std::string& text, size_t maxBytes = std::string::npos);

namespace platform {

// The same conversions as strings, for the platform's own use.
std::string Narrow(const wchar_t* wide);
std::wstring Wide(const char* narrow);

}  // namespace platform
