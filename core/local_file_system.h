#pragma once

// The file system of the machine the program runs on. The logic's paths are
// GBK texts with backslashes; here both "\" and "/" separate names (a repeated
// separator counts once) and names are converted to UTF-8, the file-name
// encoding of the system.

#include "core/file_system.h"

#include <filesystem>
#include <string_view>

namespace zorvane::core {

class LocalFileSystem final : public FileSystem {
public:
    // program_directory: GBK text without a trailing separator.
    explicit LocalFileSystem(Text program_directory);

    // The folder of the running program file as GBK text, without a trailing
    // separator; the empty text for the root folder.
    static Text executable_directory();

    // Where the logic's path lies on this machine.
    static std::filesystem::path native_path(std::string_view path);

    Text program_directory() const override;
    // Creates one folder; its parent must exist.
    bool create_folder(std::string_view path) override;
    // Only regular files are read; anything else reads as the empty buffer.
    ByteBuffer read_file(std::string_view path) const override;
    // The content goes to a new file beside the target, which is flushed to the
    // disk and then renamed over the target. Whoever reads the file sees the
    // old or the new content whole, never a part; when any step fails, the old
    // file stays as it was and the new one is removed.
    bool write_file(std::string_view path, const ByteBuffer& content) override;

private:
    Text program_directory_;
};

} // namespace zorvane::core
