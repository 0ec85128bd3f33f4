#include "core/encoding.h"
#include "core/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace zorvane::core {
namespace {

namespace fs = std::filesystem;

// A temporary root with a program folder and a home folder in it. Paths the
// logic sees are GBK with backslashes, as the program forms them.
class ProgramFolderTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zorvane-folder-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "home");
    }
    void TearDown() override { fs::remove_all(root_); }

    static Text gbk(const fs::path& path) { return utf8_to_gbk(path.string()); }
    static Text page_folder(const Text& program_directory) {
        return program_directory + "\\Zorvane配置文件\\";
    }

    fs::path root_;
};

TEST_F(ProgramFolderTest, APortableCopyKeepsItsPagesBesideTheProgram) {
    const fs::path program = root_ / "portable";
    fs::create_directories(program);
    const Text dir = gbk(program);
    EXPECT_EQ(
        choose_program_directory(dir, page_folder(dir), gbk(root_ / "data"), gbk(root_ / "home")),
        dir);
    EXPECT_TRUE(fs::is_directory(program / u8"Zorvane配置文件"));
    // And again once the page folder is there.
    EXPECT_EQ(choose_program_directory(dir, page_folder(dir), "", gbk(root_ / "home")), dir);
    EXPECT_FALSE(fs::exists(root_ / "data"));
}

TEST_F(ProgramFolderTest, AProgramFolderThatCannotHoldPagesGivesTheUserDataFolder) {
    // A regular file where the program's folder would be: nothing can be
    // created inside it, whoever runs the test.
    const fs::path blocked = root_ / "blocked";
    std::ofstream(blocked) << "x";
    const Text dir = gbk(blocked);
    const struct {
        const char* name;
        Text data_home;
        fs::path expected;
    } rows[] = {
        {"XDG_DATA_HOME set", gbk(root_ / "data"), root_ / "data" / "zorvane"},
        {"XDG_DATA_HOME unset", "", root_ / "home" / ".local" / "share" / "zorvane"},
        {"XDG_DATA_HOME relative, so ignored", "relative/data",
         root_ / "home" / ".local" / "share" / "zorvane"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            choose_program_directory(dir, page_folder(dir), row.data_home, gbk(root_ / "home")),
            gbk(row.expected));
        EXPECT_TRUE(fs::is_directory(row.expected));
    }
    // With nowhere else to go, the program's folder stays the answer.
    EXPECT_EQ(choose_program_directory(dir, page_folder(dir), "", ""), dir);
    EXPECT_EQ(choose_program_directory(dir, page_folder(dir), gbk(blocked / "data"), gbk(blocked)),
              dir);
}

} // namespace
} // namespace zorvane::core
