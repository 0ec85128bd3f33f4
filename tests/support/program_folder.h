#pragma once

// A program directory of its own in the temporary folder, removed when the
// test ends, with the page files of the program's page folder.

#include "core/encoding.h"
#include "core/text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace zorvane::test {

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

    // Writes a page file as the program would: CR LF, "|", then each field
    // followed by "|". Codes go to slots 1 to 8 in order; shares and costs stay empty.
    void write_page(std::string_view page_name, std::initializer_list<std::string_view> codes) {
        std::string content = "\r\n|";
        std::size_t written = 0;
        for (const std::string_view code : codes) {
            content.append(code).append("|");
            ++written;
        }
        for (; written < 24; ++written) {
            content.append("|");
        }
        write_raw(page_name, content);
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
