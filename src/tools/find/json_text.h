#pragma once
// JSON string literals for tarvik-find --json.

#include <string>
#include <string_view>

namespace tarvik {

// Appends text as a JSON string, quotes included: quote, backslash and the
// control characters escaped. Valid UTF-8 is kept as it is; a byte that does
// not belong to a valid sequence (a file name in another encoding) is written
// as U+FFFD, so the line stays valid JSON.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace tarvik
