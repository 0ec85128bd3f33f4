#include "assets/program_icon.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::assets {
namespace {

core::ByteBuffer stored(const std::string& name) {
    std::ifstream in(std::string(ZORVANE_ASSETS_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned little16(const core::ByteBuffer& b, std::size_t at) {
    return unsigned{b.at(at)} | unsigned{b.at(at + 1)} << 8;
}

unsigned big16(const core::ByteBuffer& b, std::size_t at) {
    return unsigned{b.at(at)} << 8 | unsigned{b.at(at + 1)};
}

std::uint32_t little32(const core::ByteBuffer& b, std::size_t at) {
    return little16(b, at) | static_cast<std::uint32_t>(little16(b, at + 2)) << 16;
}

TEST(ProgramIcon, IsTheStoredIconFile) {
    const core::ByteBuffer icon = program_icon();
    ASSERT_FALSE(icon.empty());
    EXPECT_EQ(icon, stored("zorvane.ico"));
}

// The tray wants one icon file with five square images at 32 bits per pixel.
TEST(ProgramIcon, HoldsFiveSizesAt32Bits) {
    const core::ByteBuffer icon = program_icon();
    ASSERT_GE(icon.size(), 6u);
    EXPECT_EQ(little16(icon, 0), 0u);
    EXPECT_EQ(little16(icon, 2), 1u) << "an icon, not a cursor";
    const unsigned count = little16(icon, 4);
    ASSERT_EQ(count, 5u);

    std::set<unsigned> sizes;
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const unsigned width = icon.at(entry);
        const unsigned height = icon.at(entry + 1);
        const std::uint32_t length = little32(icon, entry + 8);
        const std::uint32_t offset = little32(icon, entry + 12);
        SCOPED_TRACE(std::to_string(width));
        EXPECT_EQ(width, height);
        EXPECT_EQ(little16(icon, entry + 6), 32u) << "bits per pixel in the directory";
        ASSERT_LE(std::size_t{offset} + length, icon.size());
        // Each image is a headerless bitmap of its own bit depth.
        EXPECT_EQ(little32(icon, offset), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(little32(icon, offset + 4), width);
        EXPECT_EQ(little16(icon, offset + 14), 32u) << "bits per pixel in the image";
        sizes.insert(width);
    }
    EXPECT_EQ(sizes, (std::set<unsigned>{16, 32, 48, 64, 128}));
}

// The floating window stretches its picture over 100 x 100 and tiles the strip
// behind its labels; both are JPEG files of those sizes.
TEST(Pictures, AreJpegsOfTheirSizes) {
    const struct {
        const char* file;
        unsigned width;
        unsigned height;
    } pictures[] = {
        {"floating_background.jpg", 100, 100},
        {"label_strip.jpg", 100, 24},
    };
    for (const auto& row : pictures) {
        SCOPED_TRACE(row.file);
        const core::ByteBuffer jpeg = stored(row.file);
        ASSERT_GE(jpeg.size(), 4u);
        ASSERT_EQ(jpeg[0], 0xFF);
        ASSERT_EQ(jpeg[1], 0xD8) << "start of image";
        // Walk the segments up to the frame header, which holds the size.
        std::size_t at = 2;
        bool found = false;
        while (at + 9 < jpeg.size() && jpeg[at] == 0xFF) {
            const unsigned marker = jpeg[at + 1];
            const std::size_t length = big16(jpeg, at + 2);
            if (marker >= 0xC0 && marker <= 0xC3) {
                EXPECT_EQ(big16(jpeg, at + 5), row.height);
                EXPECT_EQ(big16(jpeg, at + 7), row.width);
                found = true;
                break;
            }
            at += 2 + length;
        }
        EXPECT_TRUE(found) << "frame header";
    }
}

} // namespace
} // namespace zorvane::assets
