#pragma once
// What every Tarvik program says the same way on its command line: its version
// with the copyright and licence lines, and the answer to a wrong command line.

#include <string_view>

namespace tarvik {

// Exit status of a wrong command line.
constexpr int kExitUsage = 2;

// Writes "PROGRAM (Tarvik) VERSION" and the copyright and licence lines to stdout.
void PrintVersion(std::string_view program);

// Writes "PROGRAM: REASON" and the hint to PROGRAM --help to stderr; returns kExitUsage.
int UsageError(std::string_view program, std::string_view reason);

}  // namespace tarvik
