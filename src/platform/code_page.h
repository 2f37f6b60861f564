#pragma once
// Windows-1252 (the engine's text code page), UTF-8 and CP850 (names stored
// by MS-DOS hosts). Our own tables; no iconv.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

// Unicode code point of every Windows-1252 byte. The five bytes the code page
// leaves unassigned (0x81 0x8D 0x8F 0x90 0x9D) stand for themselves.
extern const char32_t kAnsiToUnicode[256];

// Windows-1252 byte of a code point; false when the code page cannot hold it.
bool UnicodeToAnsi(char32_t codePoint, unsigned char& ansi);

// UTF-8 → Windows-1252. Each character the code page cannot hold becomes one
// "?". Invalid input never stops the conversion: a byte that cannot start a
// sequence (stray continuation, C0, C1, F5-FF, or the first byte of an
// overlong form, surrogate or code point above U+10FFFF) becomes one "?", and
// a sequence cut short becomes one "?" for its valid beginning, decoding going
// on at the byte that cut it. Line feeds and every other byte below 0x80 pass
// unchanged. The output is never longer than the input. Writes into out
// (replacing its content and keeping its storage), so a caller can reuse one
// buffer for many lines.
void Utf8ToAnsiLine(std::string_view utf8, std::string& out);
std::string Utf8ToAnsiLine(std::string_view utf8);

// Utf8ToAnsiLine over a piece of a line whose end is still to come: converts
// the size bytes at utf8 into out (room for size bytes) and returns the bytes
// written. A sequence that the piece's end cuts short while it is still valid
// is not converted: consumed, the bytes converted, stops at its first byte
// (at most 3 bytes are left), so that the caller can finish it with the bytes
// that follow.
std::size_t Utf8ToAnsiPiece(const char* utf8, std::size_t size, char* out, std::size_t& consumed);

// A phrase given as UTF-8 (window or command line), converted like an XML line.
std::string PhraseToAnsi(std::string_view utf8);

// Windows-1252 → UTF-8.
std::string AnsiToUtf8(std::string_view ansi);

// Windows-1254 (Turkish) → UTF-8: the same bytes read in the Turkish code
// page. It differs from Windows-1252 in six letters (0xD0 Ğ, 0xDD İ, 0xDE Ş,
// 0xF0 ğ, 0xFD ı, 0xFE ş) and leaves 0x8E and 0x9E unassigned, which stand
// for the code points of the same number.
std::string TurkishAnsiToUtf8(std::string_view ansi);

// CP850 (Western European DOS) → UTF-8, for names stored by MS-DOS hosts.
std::string Cp850ToUtf8(std::string_view oem);

}  // namespace tarvik
