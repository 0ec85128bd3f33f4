#include "core/encoding.h"
#include "core/local_file_system.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace zorvane::core {
namespace {

namespace fs = std::filesystem;

std::string utf8(std::u8string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

ByteBuffer bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

ByteBuffer on_disk(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// A program directory of its own in the temporary folder, removed afterwards.
// The logic's paths (GBK, backslashes) are built on dir_.
class LocalFileSystemTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zorvane-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        dir_ = utf8_to_gbk(root_.string());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }

    fs::path root_;
    Text dir_;
};

TEST_F(LocalFileSystemTest, PageFolderAndFilesKeepTheirChineseNames) {
    LocalFileSystem files(dir_);
    EXPECT_EQ(files.program_directory(), dir_);
    const ByteBuffer page = bytes("\r\n|600000|||||||||1000||||||||9.5||||||||");

    ASSERT_TRUE(files.create_folder(dir_ + "\\Zorvane配置文件"));
    ASSERT_TRUE(files.write_file(dir_ + "\\Zorvane配置文件\\1.ini", page));

    const fs::path folder = root_ / utf8(u8"Zorvane配置文件");
    ASSERT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(on_disk(folder / "1.ini"), page);
    EXPECT_EQ(names_in(folder), std::vector<std::string>{"1.ini"}) << "no temporary file is left";
    EXPECT_EQ(files.read_file(dir_ + "\\Zorvane配置文件\\1.ini"), page);
}

TEST_F(LocalFileSystemTest, RepeatedSeparatorsActAsOne) {
    LocalFileSystem files(dir_);
    ASSERT_TRUE(files.create_folder(dir_ + "\\Zorvane配置文件"));
    ASSERT_TRUE(files.write_file(dir_ + "\\Zorvane配置文件\\\\1.ini", bytes("one")));
    EXPECT_EQ(files.read_file(dir_ + "\\Zorvane配置文件\\1.ini"), bytes("one"));
    EXPECT_EQ(files.read_file(dir_ + "\\\\Zorvane配置文件/\\1.ini"), bytes("one"));
    EXPECT_EQ(LocalFileSystem::native_path("\\a\\\\b//c\\"), fs::path("/a/b/c/"));
}

// In GBK a character's second byte may be 0x5C, the backslash: it must not split the name.
TEST_F(LocalFileSystemTest, BackslashTrailByteStaysInTheName) {
    LocalFileSystem files(dir_);
    const Text name = "\x81\x5C"; // 乗
    ASSERT_TRUE(files.create_folder(dir_ + "\\" + name));
    ASSERT_TRUE(files.write_file(dir_ + "\\" + name + "\\" + name + ".ini", bytes("x")));
    EXPECT_EQ(on_disk(root_ / utf8(u8"乗") / utf8(u8"乗.ini")), bytes("x"));
}

TEST_F(LocalFileSystemTest, CreatesOneFolderLevelOnly) {
    LocalFileSystem files(dir_);
    EXPECT_TRUE(files.create_folder(dir_ + "\\a"));
    EXPECT_FALSE(files.create_folder(dir_ + "\\a")) << "it exists already";
    EXPECT_FALSE(files.create_folder(dir_ + "\\b\\c")) << "its parent is missing";
    EXPECT_FALSE(fs::exists(root_ / "b"));
    ASSERT_TRUE(files.write_file(dir_ + "\\f", bytes("")));
    EXPECT_FALSE(files.create_folder(dir_ + "\\f")) << "a file has the name";
}

TEST_F(LocalFileSystemTest, ContentRoundTripsByteForByte) {
    LocalFileSystem files(dir_);
    ByteBuffer every_byte;
    for (int i = 0; i < 256 * 3; ++i) {
        every_byte.push_back(static_cast<unsigned char>(i));
    }
    const struct {
        const char* name;
        ByteBuffer content;
    } cases[] = {
        {"empty", {}},
        {"zero bytes", ByteBuffer(5, 0)},
        {"every byte value", every_byte},
        {"larger than a read", ByteBuffer(200000, 'x')},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(files.write_file(dir_ + "\\p.ini", row.content));
        EXPECT_EQ(fs::file_size(root_ / "p.ini"), row.content.size());
        EXPECT_EQ(files.read_file(dir_ + "\\p.ini"), row.content);
    }
}

TEST_F(LocalFileSystemTest, WhatCannotBeReadGivesTheEmptyBuffer) {
    LocalFileSystem files(dir_);
    fs::create_directory(root_ / "folder");
    EXPECT_TRUE(files.read_file(dir_ + "\\missing.ini").empty());
    EXPECT_TRUE(files.read_file(dir_ + "\\no folder\\1.ini").empty());
    EXPECT_TRUE(files.read_file(dir_ + "\\folder").empty());
    EXPECT_TRUE(files.read_file("").empty());
}

TEST_F(LocalFileSystemTest, WriteIntoMissingFolderCreatesNothing) {
    LocalFileSystem files(dir_);
    EXPECT_FALSE(files.write_file(dir_ + "\\Zorvane配置文件\\1.ini", bytes("page")));
    EXPECT_TRUE(fs::is_empty(root_));
}

// A write that cannot happen leaves the old file and no temporary beside it.
TEST_F(LocalFileSystemTest, FailedWriteLeavesNothingBehind) {
    LocalFileSystem files(dir_);
    fs::create_directory(root_ / "1.ini");
    EXPECT_FALSE(files.write_file(dir_ + "\\1.ini", bytes("page")));
    EXPECT_TRUE(fs::is_directory(root_ / "1.ini"));
    EXPECT_FALSE(files.write_file(dir_ + "\\", bytes("page")));
    EXPECT_EQ(names_in(root_), std::vector<std::string>{"1.ini"});
}

// The disk fills up in the middle of a page: the old page must survive whole.
// A file size limit makes the write fail part way, also for root.
TEST_F(LocalFileSystemTest, WriteCutShortKeepsTheOldPage) {
    LocalFileSystem files(dir_);
    const ByteBuffer old_page = bytes("\r\n|600000|||");
    ASSERT_TRUE(files.write_file(dir_ + "\\1.ini", old_page));

    struct Limit {
        rlimit saved{};
        void (*saved_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        Limit() {
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small = saved;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~Limit() {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, saved_handler);
        }
    };
    {
        const Limit limit;
        EXPECT_FALSE(files.write_file(dir_ + "\\1.ini", ByteBuffer(100000, 'x')));
    }
    EXPECT_EQ(on_disk(root_ / "1.ini"), old_page);
    EXPECT_EQ(names_in(root_), std::vector<std::string>{"1.ini"});
}

TEST_F(LocalFileSystemTest, ReplacedFileKeepsPermissionsAndLinks) {
    LocalFileSystem files(dir_);
    ASSERT_TRUE(files.write_file(dir_ + "\\real.ini", bytes("old")));
    fs::permissions(root_ / "real.ini",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", root_ / "link.ini");

    ASSERT_TRUE(files.write_file(dir_ + "\\link.ini", bytes("new")));
    EXPECT_TRUE(fs::is_symlink(root_ / "link.ini"));
    EXPECT_EQ(on_disk(root_ / "real.ini"), bytes("new"));
    EXPECT_EQ(fs::status(root_ / "real.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(LocalFileSystem, ExecutableDirectoryHoldsTheRunningProgram) {
    const Text folder = LocalFileSystem::executable_directory();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(
        fs::exists(LocalFileSystem::native_path(folder + "\\" + program_invocation_short_name)));
}

} // namespace
} // namespace zorvane::core
