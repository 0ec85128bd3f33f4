#pragma once

// Conversion between the program's GBK texts and UTF-8. Used only at the
// edges: the screen and file names. Bytes that do not decode become U+FFFD
// rather than vanish; characters GBK lacks become "?".

#include <string>
#include <string_view>

namespace zorvane::core {

std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

} // namespace zorvane::core
