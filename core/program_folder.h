#pragma once

// Where the program keeps its page folder. A portable copy keeps it beside
// the program file, as it always has. An installed copy lives in a folder the
// user cannot write (/usr/bin); there the page folder could never be created
// and every save would silently fail, so such a copy keeps its pages in the
// per-user data folder of the XDG convention instead.

#include "core/text.h"

#include <string_view>

namespace zorvane::core {

// Gives the folder the logic is to treat as its program directory (GBK, no
// trailing separator): program_directory itself when page_folder (the logic's
// "<program directory>\<page folder>\" path) exists as a writable folder or
// can be created; otherwise "<data_home>/zorvane", or with an empty or
// relative data_home "<home>/.local/share/zorvane", created with its parents.
// When that fails too, program_directory.
Text choose_program_directory(std::string_view program_directory, std::string_view page_folder,
                              std::string_view data_home, std::string_view home);

} // namespace zorvane::core
