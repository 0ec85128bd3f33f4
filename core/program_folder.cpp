#include "core/program_folder.h"

#include "core/encoding.h"
#include "core/local_file_system.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace zorvane::core {

namespace fs = std::filesystem;

namespace {

bool usable_folder(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        return ::access(folder.c_str(), W_OK | X_OK) == 0;
    }
    return fs::create_directory(folder, error);
}

} // namespace

Text choose_program_directory(std::string_view program_directory, std::string_view page_folder,
                              std::string_view data_home, std::string_view home) {
    if (usable_folder(LocalFileSystem::native_path(page_folder))) {
        return Text(program_directory);
    }
    fs::path base;
    if (!data_home.empty() && fs::path(data_home).is_absolute()) {
        base = fs::path(data_home);
    } else if (!home.empty()) {
        base = fs::path(home) / ".local" / "share";
    } else {
        return Text(program_directory);
    }
    const fs::path folder = base / "zorvane";
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Text(program_directory);
    }
    return utf8_to_gbk(folder.string());
}

} // namespace zorvane::core
