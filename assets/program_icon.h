#pragma once

// The pictures stored with the program, as the logic hands them on.

#include "core/text.h"

namespace zorvane::assets {

// The tray icon: an icon file (.ico) holding images of 128, 64, 48, 32 and 16
// pixels at 32 bits per pixel.
core::ByteBuffer program_icon();

} // namespace zorvane::assets
