#include "core/encoding.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace zorvane::core {
namespace {

using namespace std::string_view_literals;

// Narrow literals in this file are GBK; u8 literals are UTF-8.
std::string utf8(std::u8string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(GbkToUtf8, ConvertsTextsAndReplacesWhatDoesNotDecode) {
    const std::string fffd = utf8(u8"\uFFFD");
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii", "sh600000,12.5", "sh600000,12.5"},
        {"chinese", "保存成功！", utf8(u8"保存成功！")},
        {"folder name", "Zorvane配置文件", utf8(u8"Zorvane配置文件")},
        {"euro is 0x80 in code page 936", "\x80", utf8(u8"€")},
        {"trail byte 0x5C", "\x81\x5C", utf8(u8"乗")},
        {"zero byte passes", std::string("a\0b"sv), std::string("a\0b"sv)},
        {"lone lead byte at the end", "ab\xC5", "ab" + fffd},
        {"lead byte alone", "\xC5", fffd},
        {"ascii trail survives", "\x81 x", fffd + " x"},
        {"0x7F is no trail", "\xC5\x7F", fffd + "\x7F"},
        {"0xFF leads nothing",
         "\xFF"
         "a",
         fffd + "a"},
        {"unassigned pair is one character",
         "\xA2\xA0"
         "a",
         fffd + "a"},
        {"text goes on after a bad byte", "\xFF保存", fffd + utf8(u8"保存")},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(gbk_to_utf8(row.input), row.expected);
    }
}

TEST(Utf8ToGbk, ConvertsTextsAndMarksWhatGbkLacks) {
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii", "sz000001", "sz000001"},
        {"chinese", utf8(u8"保存成功！"), "保存成功！"},
        {"euro", utf8(u8"€"), "\x80"},
        {"emoji", utf8(u8"a😀b"), "a?b"},
        {"hangul", utf8(u8"한"), "?"},
        {"zero byte passes", std::string("a\0b"sv), std::string("a\0b"sv)},
        {"stray continuation byte", "a\x80z", "a?z"},
        {"cut character at the end", "a\xE4\xB8", "a?"},
        {"cut character before ascii", "\xE4\xB8z", "?z"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"text goes on after a bad byte", "\xFF" + utf8(u8"文件"), "?文件"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(utf8_to_gbk(row.input), row.expected);
    }
}

// Long texts are converted in pieces; nothing is lost or shifted at their seams.
TEST(Encoding, LongTextsConvertWhole) {
    std::string gbk;
    std::string expected;
    std::string back; // U+FFFD is not in GBK either
    for (int i = 0; i < 3000; ++i) {
        gbk += i == 1500 ? "\xFF" : "保a";
        expected += i == 1500 ? utf8(u8"\uFFFD") : utf8(u8"保a");
        back += i == 1500 ? "?" : "保a";
    }
    const std::string unicode = gbk_to_utf8(gbk);
    EXPECT_EQ(unicode, expected);
    EXPECT_EQ(utf8_to_gbk(unicode), back);
}

// Every two-byte character the code page knows comes back as the same bytes,
// so a text that goes to the screen and back is unchanged.
TEST(Encoding, EveryGbkCharacterSurvivesTheRoundTrip) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string unicode = gbk_to_utf8(gbk);
            if (unicode == utf8(u8"\uFFFD")) {
                continue;
            }
            ++characters;
            ASSERT_EQ(utf8_to_gbk(unicode), gbk) << std::hex << lead << ' ' << trail;
        }
    }
    // GBK holds 21886 characters and symbols.
    EXPECT_GT(characters, 21000);
}

} // namespace
} // namespace zorvane::core
