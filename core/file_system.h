#pragma once

// The file system as the logic sees it. Paths are GBK texts built with
// backslashes ("<program directory>\Zorvane配置文件\1.ini"); an implementation
// maps them to its platform's separators and file-name encoding.
// Failures are silent to the user; the results only let tests see them.

#include "core/text.h"

namespace zorvane::core {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder that holds the program file, without a trailing separator.
    virtual Text program_directory() const = 0;
    // False when the folder could not be created, also when it exists already.
    virtual bool create_folder(std::string_view path) = 0;
    // The whole file; the empty buffer when it is missing or unreadable.
    virtual ByteBuffer read_file(std::string_view path) const = 0;
    // Replaces the whole file with content; false when nothing was written.
    virtual bool write_file(std::string_view path, const ByteBuffer& content) = 0;
};

} // namespace zorvane::core
