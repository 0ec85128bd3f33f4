#pragma once

// A program directory of its own in the temporary folder, removed when the
// test ends, with the page files of the program's page folder.

#include "core/encoding.h"
#include "core/text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace zorvane::test {

// The bytes of a page file whose fields, in file order, are given; the fields
// not given are empty.
inline std::string page_file_bytes(std::vector<std::string> fields) {
    fields.resize(24);
    std::string bytes = "\r\n|";
    for (const std::string& field : fields) {
        bytes += field + "|";
    }
    return bytes;
}

class ProgramFolder {
public:
    ProgramFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorvane-program-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary folder");
        }
        root_ = pattern;
    }
    ~ProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // The program directory as the logic sees it (GBK, no trailing separator).
    core::Text directory() const { return core::utf8_to_gbk(root_.string()); }
    std::filesystem::path page_folder() const {
        return root_ / std::filesystem::path(std::u8string(u8"Zorvane配置文件"));
    }
    std::filesystem::path page_file(std::string_view page_name) const {
        return page_folder() / (std::string(page_name) + ".ini");
    }

    // Writes a page file whose fields, in file order, are given (the codes of
    // slots 1 to 8 come first); the page folder is made when it is missing.
    void write_page(std::string_view page_name, std::vector<std::string> fields) {
        write_raw(page_name, page_file_bytes(std::move(fields)));
    }
    // Writes exactly these bytes as a page file.
    void write_raw(std::string_view page_name, std::string_view content) {
        std::filesystem::create_directories(page_folder());
        std::ofstream out(page_file(page_name), std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    // The bytes of a page file; none when it does not exist.
    std::optional<std::string> read_page(std::string_view page_name) const {
        std::ifstream in(page_file(page_name), std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
};

} // namespace zorvane::test
