#include "core/text.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

namespace zorvane::core {
namespace {

// Two GBK characters used throughout: 0xB0 0xA1 and 0xB0 0xA2.
constexpr std::string_view two_chars = "\xB0\xA1\xB0\xA2";
constexpr std::string_view wide_space = "\xA1\xA1";

TEST(GbkLiterals, NarrowLiteralsAreGbkBytes) {
    // The whole program relies on this: the texts it shows and stores are GBK.
    EXPECT_EQ(std::string_view("保"), "\xB1\xA3");
    EXPECT_EQ(std::string_view("保存成功！"), "\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6\xA3\xA1");
}

struct TextCase {
    const char* name;
    Text got;
    Text want;
};

void check_texts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.want);
    }
}

TEST(CutByCount, EveryBoundary) {
    check_texts({
        {"head within", text_head("abc", 2), "ab"},
        {"head whole", text_head("abc", 3), "abc"},
        {"head beyond", text_head("abc", 5), "abc"},
        {"head zero", text_head("abc", 0), ""},
        {"head negative", text_head("abc", -1), ""},
        {"head cuts a character", text_head(two_chars, 1), "\xB0"},
        {"tail within", text_tail("abc", 2), "bc"},
        {"tail beyond", text_tail("abc", 9), "abc"},
        {"tail zero", text_tail("abc", 0), ""},
        {"tail negative", text_tail("abc", -3), ""},
        {"tail cuts a character", text_tail(two_chars, 3), "\xA1\xB0\xA2"},
        {"slice middle", text_slice("abcdef", 3, 2), "cd"},
        {"slice runs past end", text_slice("abc", 2, 10), "bc"},
        {"slice from first", text_slice("abc", 1, 1), "a"},
        {"slice from last", text_slice("abc", 3, 5), "c"},
        {"slice from 0", text_slice("abc", 0, 2), ""},
        {"slice from past end", text_slice("abc", 4, 2), ""},
        {"slice count 0", text_slice("abc", 1, 0), ""},
        {"slice count negative", text_slice("abc", 1, -2), ""},
        {"slice of empty", text_slice("", 1, 1), ""},
        {"slice cuts a character", text_slice(two_chars, 2, 2), "\xA1\xB0"},
    });
}

TEST(SmallTexts, BuildAndCompare) {
    check_texts({
        {"char_of A", char_of(65), "A"},
        {"char_of high byte", char_of(0xB0), "\xB0"},
        {"char_of 0 is empty", char_of(0), ""},
        {"char_of out of range", char_of(256), ""},
        {"space_run 3", space_run(3), "   "},
        {"space_run 0", space_run(0), ""},
        {"space_run negative", space_run(-2), ""},
        {"join", join_texts({"a", "", "bc", two_chars}), "abc\xB0\xA1\xB0\xA2"},
        {"join nothing", join_texts({}), ""},
    });
    EXPECT_EQ(text_len(two_chars), 4);
    EXPECT_EQ(text_len(""), 0);
    EXPECT_EQ(compare_texts("", ""), 0);
    EXPECT_EQ(compare_texts("abc", "abc"), 0);
    EXPECT_LT(compare_texts("ab", "abc"), 0);
    EXPECT_GT(compare_texts("abc", "ab"), 0);
    EXPECT_LT(compare_texts("A", "a"), 0);
    // Bytes compare unsigned: a lead byte sorts after every ASCII byte.
    EXPECT_GT(compare_texts("\xB0", "z"), 0);
    EXPECT_EQ(bit_or({1, 4, 0x100}), 0x105U);
    EXPECT_EQ(bit_or({0x80000000U, 1}), 0x80000001U);
}

struct FindCase {
    const char* name;
    std::string_view text;
    std::string_view sought;
    std::optional<int> start;
    bool ignore_case;
    int want;
};

TEST(FindForward, Table) {
    const FindCase cases[] = {
        {"first byte", "a=b;c", "=", 1, false, 2},
        {"from later start", "abcabc", "c", 4, false, 6},
        {"start at the match", "abcabc", "c", 3, false, 3},
        {"start past size", "abc", "c", 4, false, -1},
        {"start below 1 searches all", "abc", "a", -5, false, 1},
        {"lowest start searches all", "abc", "a", std::numeric_limits<int>::min(), false, 1},
        {"empty sought", "abc", "", 1, false, 1},
        {"empty sought in empty text", "", "", 1, false, -1},
        {"empty sought, nothing left to search", "abc", "", 4, false, -1},
        {"match at the very end", "abcd", "cd", 1, false, 3},
        {"sought longer than rest", "abc", "bcd", 1, false, -1},
        {"case matters", "Content-Type: x", "content-type", 1, false, -1},
        {"ignore case", "Content-Type: x", "content-type", 1, true, 1},
        {"ignore case folds only letters", "[", "{", 1, true, -1},
        {"no match on a trail byte", two_chars, "\xA1\xB0", 1, false, -1},
        {"match on a lead byte", two_chars, "\xB0\xA2", 1, false, 3},
        {"trail byte equal to ASCII is skipped", "\xB0zaz", "z", 1, false, 4},
        {"start on a trail byte steps from there", "\xB0zz", "z", 2, false, 2},
        {"lone lead byte at the end", "a\xB0", "\xB0", 1, false, 2},
        {"ignore case does not fold lead bytes", "\xC1", "\xE1", 1, true, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(find_forward(c.text, c.sought, c.start.value_or(1), c.ignore_case), c.want);
    }
}

TEST(FindBackward, Table) {
    const FindCase cases[] = {
        {"whole text", "a.b.c", ".", std::nullopt, false, 4},
        {"from a found position finds the previous", "a.b.c", ".", 4, false, 2},
        {"from 2", "a.b.c", ".", 2, false, -1},
        {"from 1", "a.b.c", ".", 1, false, -1},
        {"from 0", "a.b.c", ".", 0, false, -1},
        {"from the lowest start", "a.b.c", ".", std::numeric_limits<int>::min(), false, -1},
        {"from beyond the end", "a.b.c", ".", 100, false, 4},
        {"match must lie wholly inside", "abcd", "cd", 4, false, -1},
        {"match ending at the limit", "abcd", "cd", 5, false, 3},
        {"empty sought", "abc", "", std::nullopt, false, 1},
        {"empty sought, limit 0", "abc", "", 1, false, -1},
        {"empty text", "", "a", std::nullopt, false, -1},
        {"ignore case", "xAbxaB", "ab", std::nullopt, true, 5},
        {"no match on a trail byte", two_chars, "\xA1\xB0", std::nullopt, false, -1},
        {"trail byte equal to ASCII is skipped", "z\xB0z", "z", std::nullopt, false, 1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(find_backward(c.text, c.sought, c.start, c.ignore_case), c.want);
    }
}

TEST(ChangeTexts, CaseMapping) {
    check_texts({
        {"upper", ascii_upper("abZ9-"), "ABZ9-"},
        {"lower", ascii_lower("ABz9-"), "abz9-"},
        {"upper leaves trail letters", ascii_upper("a\xB0z\xB0"), "A\xB0z\xB0"},
        {"lower leaves trail letters", ascii_lower("\xB0ZZ"), "\xB0Zz"},
        {"upper keeps GBK", ascii_upper("保a"), "保A"},
    });
}

TEST(ChangeTexts, TrimAndStrip) {
    check_texts({
        {"trim ASCII", trim_spaces("  ab c  "), "ab c"},
        {"trim full width", trim_spaces(join_texts({wide_space, "ab", wide_space})), "ab"},
        {"trim mixed runs", trim_spaces(join_texts({" ", wide_space, " x ", wide_space})), "x"},
        {"trim keeps CR LF", trim_spaces(" ab\r\n"), "ab\r\n"},
        {"trim keeps tabs", trim_spaces("\tab\t"), "\tab\t"},
        {"trim only spaces", trim_spaces(join_texts({" ", wide_space, " "})), ""},
        {"trim empty", trim_spaces(""), ""},
        {"trail byte 0x20 is no space", trim_spaces("\xB0 "), "\xB0 "},
        {"A1 A1 across characters is no space", trim_spaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1"},
        {"lone A1 at end stays", trim_spaces("a\xA1"), "a\xA1"},
        {"strip all", strip_all_spaces(join_texts({" a b", wide_space, "c "})), "abc"},
        {"strip keeps trail 0x20", strip_all_spaces("\xB0 a "), "\xB0 a"},
        {"strip keeps A1 A1 across characters", strip_all_spaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1"},
    });
}

TEST(ChangeTexts, Replace) {
    check_texts({
        {"all", replace_text("a,b,c", ",", ";"), "a;b;c"},
        {"delete", replace_text("a,b,c", ","), "abc"},
        {"count", replace_text("a,b,c", ",", ";", 1, 1), "a;b,c"},
        {"count 0", replace_text("a,b,c", ",", ";", 1, 0), "a,b,c"},
        {"start skips bytes", replace_text("a,b,c", ",", ";", 3), "a,b;c"},
        {"start past size", replace_text("a,b", ",", ";", 4), "a,b"},
        {"lowest start replaces all",
         replace_text("a,b,c", ",", ";", std::numeric_limits<int>::min()), "a;b;c"},
        {"empty sought", replace_text("abc", "", "x"), "abc"},
        {"empty text", replace_text("", "a", "x"), ""},
        {"no overlap", replace_text("aaa", "aa", "b"), "ba"},
        {"replacement not searched again", replace_text("ab", "a", "aa"), "aab"},
        {"case sensitive", replace_text("Aa", "a", "x"), "Ax"},
        {"case insensitive", replace_text("Aa", "a", "x", 1, std::nullopt, false), "xx"},
        {"not on a trail byte", replace_text("\xB0zz", "z", "y"), "\xB0zy"},
        {"sought spanning characters", replace_text(two_chars, "\xA1\xB0", "x"), Text(two_chars)},
        {"lone lead byte at the end", replace_text("a\xB0", "\xB0", "x"), "ax"},
    });
}

TEST(SplitAt, Table) {
    struct Case {
        const char* name;
        std::string_view text;
        std::string_view separator;
        std::optional<int> limit;
        TextArray want;
    };
    const Case cases[] = {
        {"two items", "a,b", ",", std::nullopt, {"a", "b"}},
        {"leading separator", ",a", ",", std::nullopt, {"", "a"}},
        {"empty item between", "a,,b", ",", std::nullopt, {"a", "", "b"}},
        {"trailing separator adds nothing", "a,b,", ",", std::nullopt, {"a", "b"}},
        {"lone separator", ",", ",", std::nullopt, {""}},
        {"two separators", ",,", ",", std::nullopt, {"", ""}},
        {"empty text", "", ",", std::nullopt, {}},
        {"limit drops the rest", "a,b,c", ",", 2, {"a", "b"}},
        {"limit above the count", "a,b,c", ",", 9, {"a", "b", "c"}},
        {"limit reached at the last separator", "a,b,", ",", 2, {"a", "b"}},
        {"limit 1 without separator", "abc", ",", 1, {"abc"}},
        {"limit 0", "a,b", ",", 0, {}},
        {"limit negative", "a,b", ",", -1, {}},
        {"empty separator", "a|b", "", std::nullopt, {"a|b"}},
        {"longer separator", "a||b||", "||", std::nullopt, {"a", "b"}},
        {"separator longer than text", "a", "||", std::nullopt, {"a"}},
        {"page file", "\r\n|1|2||", "|", std::nullopt, {"\r\n", "1", "2", ""}},
        {"no split on a trail byte", "\xB0,a", ",", std::nullopt, {"\xB0,a"}},
        {"GBK items", "保,存", ",", std::nullopt, {"保", "存"}},
        {"lone lead byte at the end", "a,\xB0", ",", std::nullopt, {"a", "\xB0"}},
        {"separator after a lone-looking lead byte", "a\xB0,", ",", std::nullopt, {"a\xB0,"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(split_at(c.text, c.separator, c.limit), c.want);
    }
}

TEST(FoldFullWidth, Table) {
    check_texts({
        {"digits", fold_full_width("６０００００"), "600000"},
        {"point, plus, minus", fold_full_width("＋１２．５－"), "+12.5-"},
        {"first and last of A3 A1..FE", fold_full_width("\xA3\xA1\xA3\xFE"), "!~"},
        {"A3 A0 stays", fold_full_width("\xA3\xA0"), "\xA3\xA0"},
        {"A3 FF stays", fold_full_width("\xA3\xFF"), "\xA3\xFF"},
        {"space", fold_full_width(wide_space), " "},
        {"wave dash", fold_full_width("\xA1\xAB"), "~"},
        {"stars", fold_full_width("\xA1\xEE\xA1\xEF"), "**"},
        {"other A1 stays", fold_full_width("\xA1\xA2"), "\xA1\xA2"},
        {"other characters stay", fold_full_width("保a"), "保a"},
        {"A3 as a trail byte is not folded", fold_full_width("\xB0\xA3\xB1"), "\xB0\xA3"},
        {"lone lead byte dropped", fold_full_width("1\xA3"), "1"},
        {"empty", fold_full_width(""), ""},
    });
}

TEST(ParseInteger, Table) {
    const struct {
        const char* name;
        std::string_view text;
        std::int32_t want;
    } cases[] = {
        {"spaces, sign, trailing letters", "  -12abc", -12},
        {"plus", "+7", 7},
        {"empty", "", 0},
        {"letters", "abc", 0},
        {"sign alone", "-", 0},
        {"full-width digits", "６０００００", 600000},
        {"full-width minus and space", "\xA1\xA1－１２", -12},
        {"all C white space", " \t\n\v\f\r5", 5},
        {"leading zeros", "000001", 1},
        {"stops at the point", "12.9", 12},
        {"largest", "2147483647", 2147483647},
        {"lowest", "-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2^31 wraps", "2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2^32 + 1 wraps", "4294967297", 1},
        {"no space between sign and digits", "- 5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse_integer(c.text), c.want);
    }
}

std::uint32_t bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

TEST(ParseNumber, BitForBit) {
    const float infinity = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::string_view text;
        float want;
    } cases[] = {
        {"decimal", "12.34", 12.34F},
        {"one tenth", "0.1", 0.1F},
        {"exponent e", "1e3", 1000.0F},
        {"exponent D", "1D2", 100.0F},
        {"exponent d with sign", "25d-1", 2.5F},
        {"exponent E with plus", "1.5E+2", 150.0F},
        {"exponent without digits is left out", "2e", 2.0F},
        {"exponent sign without digits", "2e-x", 2.0F},
        {"stops at comma", "1,234.5", 1.0F},
        {"leading point", " .5", 0.5F},
        {"trailing point", "5.", 5.0F},
        {"sign alone", "-", 0.0F},
        {"point alone", ".", 0.0F},
        {"letters", "abc", 0.0F},
        {"empty", "", 0.0F},
        {"full width", "１２．５", 12.5F},
        {"negative", "-3.75x", -3.75F},
        {"negative zero", "-0", -0.0F},
        {"plus", "+8", 8.0F},
        {"no hex", "0x10", 0.0F},
        {"no inf", "inf", 0.0F},
        // 1 + 2^-24 lies halfway between two singles; the text is a hair
        // above it, but its nearest double is the halfway point itself, which
        // then goes to the even single.
        {"rounded via double", "1.00000005960464477539062500000001", 1.0F},
        {"just above halfway in double", "1.000000059604645", 1.00000012F},
        {"largest single", "3.4028235e38", std::numeric_limits<float>::max()},
        {"beyond singles", "1e39", infinity},
        {"beyond doubles", "1e400", infinity},
        {"negative beyond doubles", "-1e400", -infinity},
        {"huge exponent", "1e99999999999999999999999", infinity},
        {"zero with huge exponent", "0e99999999999999999999999", 0.0F},
        {"below singles", "1e-50", 0.0F},
        {"below doubles", "1e-400", 0.0F},
        {"point and exponent", "0.00012e4", 1.2F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bits(parse_number(c.text)), bits(c.want)) << parse_number(c.text);
    }
    EXPECT_EQ(static_cast<double>(parse_number("12.34")), 12.340000152587890625);
    EXPECT_EQ(static_cast<double>(parse_number("0.1")), 0.100000001490116119384765625);
}

bool same_double(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(RoundToPlaces, Table) {
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double value;
        int places;
        double want;
    } cases[] = {
        {"1.005 goes up as written", 1.005, 2, 1.01},
        {"2.675 goes up as written", 2.675, 2, 2.68},
        {"0.015 goes up as written", 0.015, 2, 0.02},
        {"negative half", -1.005, 2, -1.01},
        {"below half", 1.0049, 2, 1.0},
        {"half at 0 places", 2.5, 0, 3.0},
        {"negative half at 0 places", -2.5, 0, -3.0},
        {"0.5", 0.5, 0, 1.0},
        {"just below half", 0.49, 0, 0.0},
        {"within the nudge", 0.4999999999995, 0, 1.0},
        {"outside the nudge", 0.499999999998, 0, 0.0},
        {"default places", 7.6, 0, 8.0},
        {"negative places", 1234.5, -1, 1230.0},
        {"negative places, half", 1235.0, -1, 1240.0},
        {"negative places, hundreds", -1250.0, -2, -1300.0},
        {"profit", 0.1 * 3, 2, 0.3},
        {"already whole", 42.0, 3, 42.0},
        {"negative zero stays", -0.0, 2, -0.0},
        {"zero", 0.0, 2, 0.0},
        {"tiny rounds to zero", 1e-300, 2, 0.0},
        {"tiny negative keeps sign", -1e-300, 2, -0.0},
        {"infinity", infinity, 2, infinity},
        {"places beyond doubles", 1.5, 400, 1.5},
        {"scaled beyond doubles", 1e300, 10, 1e300},
        {"negative scaled beyond doubles", -1e10, 300, -1e10},
        {"negative places beyond doubles", 5.0, -400, 0.0},
        {"lowest places", -5.0, std::numeric_limits<int>::min(), -0.0},
        {"not a number", std::nan(""), 2, std::nan("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const double got = round_to_places(c.value, c.places);
        EXPECT_TRUE(same_double(got, c.want)) << got << " != " << c.want;
    }
}

TEST(FormatNumber, Table) {
    const struct {
        const char* name;
        double value;
        const char* want;
    } cases[] = {
        {"fraction", 12.5, "12.5"},
        {"four decimals", 1234.5678, "1234.5678"},
        {"negative fraction", -0.1, "-0.1"},
        {"whole", 100.0, "100"},
        {"small whole", 2.0, "2"},
        {"zero", 0.0, "0"},
        {"negative zero", -0.0, "0"},
        {"0.1 + 0.2", 0.1 + 0.2, "0.3"},
        {"single widened", static_cast<double>(12.34F), "12.34000015259"},
        {"smallest plain exponent", 0.0001, "0.0001"},
        {"largest below 1e-4", 0.00009999, "9.999e-005"},
        {"1e-6", 0.000001, "1e-006"},
        {"largest plain", 9999999999999.0, "9999999999999"},
        {"first exponent form", 1e13, "1e+013"},
        {"negative exponent form", -1e13, "-1e+013"},
        {"13 digits kept", 1.23456789012345e14, "1.234567890123e+014"},
        {"rounding carries into the exponent form", 9999999999999.5, "1e+013"},
        {"rounding carries within plain form", 0.99999999999996, "1"},
        {"exact tie rounds up", 1234567890122.5, "1234567890123"},
        {"exact tie rounds up in exponent form", 12345678901225.0, "1.234567890123e+013"},
        {"below a tie rounds down", 1234567890122.4998, "1234567890122"},
        {"three-digit exponent", 1e300, "1e+300"},
        {"largest double", std::numeric_limits<double>::max(), "1.797693134862e+308"},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min(), "4.940656458412e-324"},
        {"mantissa zeros trimmed", 1.5e20, "1.5e+020"},
        {"infinity", std::numeric_limits<double>::infinity(), "inf"},
        {"negative infinity", -std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(format_number(c.value), c.want);
    }
}

TEST(FormatNumber, RoundedProfitsReadBack) {
    // What a profit goes through: round to two places, then shown.
    EXPECT_EQ(format_number(round_to_places(2.675 * 1, 2)), "2.68");
    EXPECT_EQ(format_number(round_to_places(-1234.565, 2)), "-1234.57");
    EXPECT_EQ(format_number(round_to_places((10.1 - 10.0) * 100, 2)), "10");
}

ByteBuffer bytes(std::string_view text) {
    return ByteBuffer(text.begin(), text.end());
}

TEST(ByteBuffers, TextsEndAtTheFirstZeroByte) {
    EXPECT_EQ(bytes_to_text(bytes(std::string_view("A\0B", 3))), "A");
    EXPECT_EQ(bytes_to_text(bytes(std::string_view("\0B", 2))), "");
    EXPECT_EQ(bytes_to_text({}), "");
    EXPECT_EQ(bytes_to_text(bytes("保存")), "保存");
    EXPECT_EQ(text_to_bytes("ab"), bytes("ab"));
    EXPECT_TRUE(text_to_bytes("").empty());
    EXPECT_EQ(buffer_size(bytes(std::string_view("\0\0\0", 3))), 3);
}

TEST(ByteBuffers, CutsKeepZeroBytes) {
    const ByteBuffer abc = bytes(std::string_view("a\0c", 3));
    const struct {
        const char* name;
        ByteBuffer got;
        ByteBuffer want;
    } cases[] = {
        {"head within", buffer_head(abc, 2), bytes(std::string_view("a\0", 2))},
        {"head beyond", buffer_head(abc, 9), abc},
        {"head zero", buffer_head(abc, 0), {}},
        {"head negative", buffer_head(abc, -1), {}},
        {"slice middle", buffer_slice(abc, 2, 1), bytes(std::string_view("\0", 1))},
        {"slice past end", buffer_slice(abc, 5, 2), {}},
        {"slice from 0 clamps", buffer_slice(abc, 0, 2), bytes(std::string_view("a\0", 2))},
        {"slice from negative clamps", buffer_slice(abc, -7, 1), bytes("a")},
        {"slice from the lowest start", buffer_slice(abc, std::numeric_limits<int>::min(), 1),
         bytes("a")},
        {"slice runs past end", buffer_slice(abc, 3, 9), bytes("c")},
        {"slice from just past end", buffer_slice(abc, 4, 1), {}},
        {"slice count negative", buffer_slice(abc, 1, -1), {}},
        {"zero buffer", zero_buffer(3), bytes(std::string_view("\0\0\0", 3))},
        {"zero buffer of 0", zero_buffer(0), {}},
        {"zero buffer negative", zero_buffer(-1), {}},
        {"join", join_buffers({abc, {}, bytes("d")}), bytes(std::string_view("a\0cd", 4))},
        {"join empties", join_buffers({{}, {}}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.want);
    }
    EXPECT_TRUE(compare_buffers({}, {}));
    EXPECT_TRUE(compare_buffers(abc, bytes(std::string_view("a\0c", 3))));
    EXPECT_FALSE(compare_buffers(abc, bytes("a")));
    EXPECT_FALSE(compare_buffers(abc, bytes(std::string_view("a\0d", 3))));
}

} // namespace
} // namespace zorvane::core
