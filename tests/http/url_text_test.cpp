#include "http/url_text.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::http {
namespace {

TEST(TextBetween, CutsBetweenMarkers) {
    struct Row {
        const char* name;
        std::string text;
        std::string start_marker;
        std::string end_marker;
        int start;
        bool ignore_case;
        std::string expected;
    };
    const Row rows[] = {
        {"placeholder stands for a double quote", "a\"b\"c", "#引号", "#引号", 1, false, "b"},
        {"placeholder inside a longer marker", "<i name=\"x\" id=2>", "name=#引号", "#引号", 1,
         false, "x"},
        {"start marker absent", "a[b]c", "{", "]", 1, false, ""},
        {"end marker only before the start marker", "a]b[c", "[", "]", 1, false, ""},
        {"markers side by side", "x[]y", "[", "]", 1, false, ""},
        {"start marker at the very end", "ab[", "[", "]", 1, false, ""},
        {"first start marker wins", "[1][2]", "[", "]", 1, false, "1"},
        {"start position skips the first pair", "[1][2]", "[", "]", 2, false, "2"},
        {"agent line keeps its blank", "User-Agent: T\r\n", "User-Agent:", "\r\n", 1, false, " T"},
        {"case matters by default", "KEY=v;", "key=", ";", 1, false, ""},
        {"ignore case", "KEY=v;", "key=", ";", 1, true, "v"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            text_between(row.text, row.start_marker, row.end_marker, row.start, row.ignore_case),
            row.expected);
    }
}

TEST(TextAfterColon, TakesTheTrimmedRestAfterTheFirstColon) {
    EXPECT_EQ(text_after_colon("user-agent:  X "), "X");
    EXPECT_EQ(text_after_colon("no colon here"), "");
    EXPECT_EQ(text_after_colon("a:b:c"), "b:c");
    EXPECT_EQ(text_after_colon("a:"), "");
}

TEST(UrlHost, TakesTheHostApart) {
    struct Row {
        const char* name;
        std::string url;
        bool domain_only;
        bool keep_port;
        std::optional<int> dot_skip;
        std::string expected;
    };
    const std::string mixed = "HTTP://CDN.A.Example.test:81/x";
    const Row rows[] = {
        {"lower-cased, port dropped", mixed, false, false, std::nullopt, "cdn.a.example.test"},
        {"keep_port", mixed, false, true, std::nullopt, "cdn.a.example.test:81"},
        {"domain_only", mixed, true, false, std::nullopt, "example.test"},
        {"domain_only of a single label", "http://localhost/", true, false, std::nullopt,
         "localhost"},
        {"dot_skip 0", mixed, false, false, 0, "example.test"},
        {"dot_skip 0 with domain_only", mixed, true, false, 0, "test"},
        {"dot_skip 1", mixed, false, false, 1, "a.example.test"},
        {"dot_skip 1 with domain_only", mixed, true, false, 1, "example.test"},
        {"dot_skip 0 with keep_port", mixed, false, true, 0, "example.test:81"},
        {"dot_skip beyond the dots keeps all", mixed, false, false, 5, "cdn.a.example.test"},
        {"dot_skip beyond the dots with domain_only", mixed, true, false, 5, "cdn.a.example.test"},
        {"dot_skip removes https://", "https://a.b.c/x", false, false, 0, "b.c"},
        {"dot_skip never counts the last character", "http://h.example.test./", false, false, 0,
         "example.test."},
        {"no scheme, no slash", "example.com", false, false, std::nullopt, "example.com"},
        {"https", "https://h/", false, false, std::nullopt, "h"},
        {"https in capitals", "HTTPS://Example.COM:8443/Path?q=1", false, false, std::nullopt,
         "example.com"},
        {"no path", "http://h", false, false, std::nullopt, "h"},
        {"empty URL", "", false, false, std::nullopt, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(url_host(row.url, row.domain_only, row.keep_port, row.dot_skip), row.expected);
    }
}

TEST(UrlPort, UsesTheWrittenPortElseTheScheme) {
    struct Row {
        std::string url;
        int expected;
    };
    const Row rows[] = {
        {"https://h/", 443},
        {"HTTPS://x/", 443},
        {"http://h:8080/x", 8080},
        {"HTTPS://Example.COM:8443/Path?q=1", 8443},
        {"h/x", 80},
        {"http://example.com", 80},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(url_port(row.url), row.expected);
    }
}

TEST(UrlPath, RunsFromTheSlashAfterTheHost) {
    struct Row {
        std::string url;
        std::string expected;
    };
    const Row rows[] = {
        {"http://h.example/b?c=1", "/b?c=1"},
        {"http://h.example", "/"},
        {"http://H.example/Path", "/Path"},
        {"HTTPS://Example.COM:8443/Path?q=1", "/Path?q=1"},
        {"example.com/x", "/x"},
        {"http://h.example/a/b#f", "/a/b#f"},
        // Hosts whose text also occurs in the scheme are found behind it.
        {"http://h/x", "/x"},
        {"http://tp:81/q", "/q"},
        {"https://s/a", "/a"},
        {"HTTP://T/Up", "/Up"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(url_path(row.url), row.expected);
    }
}

TEST(NormalizeHeaderBlock, RebuildsLinesWithCapitalisedNames) {
    struct Row {
        const char* name;
        std::string block;
        std::string expected;
    };
    const Row rows[] = {
        {"bad lines dropped, value with ': ' lost", "content-type: x\r\nbad line\r\na: b: c",
         "Content-Type: x\r\nA: "},
        {"every hyphenated word", "x-my-header: v", "X-My-Header: v"},
        {"no blank after the colon", "X-A:1", ""},
        {"empty block", "", ""},
        {"only first letters change", "aCCEPT-lANGUAGE: zh-cn", "ACCEPT-LANGUAGE: zh-cn"},
        {"trailing hyphen lost", "accept-: v", "Accept: v"},
        {"double hyphen kept", "a--b: 1", "A--B: 1"},
        {"empty value", "a: \r\nb: x", "A: \r\nB: x"},
        {"colon without blank inside the value", "Referer: http://x/", "Referer: http://x/"},
        {"order kept", "b: 2\r\na: 1", "B: 2\r\nA: 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(normalize_header_block(row.block), row.expected);
    }
}

TEST(CapitalizeFirst, ChangesOnlyAnAsciiFirstLetter) {
    EXPECT_EQ(capitalize_first(""), "");
    EXPECT_EQ(capitalize_first("a"), "A");
    EXPECT_EQ(capitalize_first("abC"), "AbC");
    EXPECT_EQ(capitalize_first("1a"), "1a");
    EXPECT_EQ(capitalize_first("中a"), "中a");
}

TEST(TextBefore, CutsUpToTheMarker) {
    EXPECT_EQ(text_before("Set-Cookie: a=1", ": "), "Set-Cookie");
    EXPECT_EQ(text_before("no marker", ": "), "");
    EXPECT_EQ(text_before(": at start", ": "), "");
    EXPECT_EQ(text_before("a:b:c", ":", 0), "a");
    // The head always starts at the first character, whatever the start.
    EXPECT_EQ(text_before("a:b:c", ":", 3), "a:b");
    EXPECT_EQ(text_before("aXbxc", "x"), "aXb");
    EXPECT_EQ(text_before("aXbxc", "x", 1, true), "a");
}

TEST(MergeCookieText, UpdatesOldCookiesByNewOnes) {
    struct Row {
        const char* name;
        std::string old_cookies;
        std::string new_cookies;
        std::string expected;
    };
    const Row rows[] = {
        {"deleted and replaced", "a=1; b=2", "b=3; a=deleted", "b=3"},
        {"new first, then old", "x=1", "y=2", "y=2; x=1"},
        {"repeated old item", "a=1;a=1", "", "a=1"},
        {"first old item of a name wins", "a=1; a=2", "", "a=1"},
        {"spaces removed", "", "c = 3", "c=3"},
        {"spaces inside values go too", "a=x y", "", "a=xy"},
        {"both empty", "", "", ""},
        {"new overrides old", "sid=old; t=0", "sid=new; u=1", "sid=new; u=1; t=0"},
        {"repeated new item", "", "a=1; a=1", "a=1"},
        {"deleted without an old item", "", "a=deleted; b=2", "b=2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string old_cookies = row.old_cookies;
        std::string new_cookies = row.new_cookies;
        EXPECT_EQ(merge_cookie_text(old_cookies, new_cookies), row.expected);
        EXPECT_EQ(old_cookies, row.expected);
        std::string stripped = row.new_cookies;
        std::erase(stripped, ' ');
        EXPECT_EQ(new_cookies, stripped);
    }
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
    EXPECT_EQ(cookie_name(" a =1"), "a");
    EXPECT_EQ(cookie_name("a=b=c"), "a");
    EXPECT_EQ(cookie_name("flag"), "flag");
    EXPECT_EQ(cookie_name("=v"), "");
    EXPECT_FALSE(has_cookie_name({}, ""));
    EXPECT_TRUE(has_cookie_name({"a=1", " b = 2"}, "b"));
    EXPECT_FALSE(has_cookie_name({"a=1", "b=2"}, "B"));
}

TEST(JoinUnique, KeepsEachPieceOnceInItsFirstPlace) {
    EXPECT_EQ(join_unique("a; b; a", "; ", true), "a; b");
    EXPECT_EQ(join_unique("b; a; b; a", "; ", true), "b; a");
    EXPECT_EQ(join_unique("", "; ", true), "");
    EXPECT_EQ(join_unique("abca", ",", false), "a,b,c");
    EXPECT_EQ(join_unique("中a中", "", false), "中a");
}

TEST(SplitCharacters, CutsCharactersAndLineBreaks) {
    EXPECT_EQ(split_characters("ab\r\n中"), (TextArray{"a", "b", "\r\n", "中"}));
    EXPECT_EQ(split_characters("a\r"), (TextArray{"a", "\r"}));
    EXPECT_EQ(split_characters("\n\r"), (TextArray{"\n", "\r"}));
    // 0x80 leads no character here; a lone lead byte at the end stands alone.
    EXPECT_EQ(split_characters("\x80"
                               "a\xB0"),
              (TextArray{"\x80", "a", "\xB0"}));
    EXPECT_TRUE(split_characters("").empty());
}

TEST(IndexOfText, FindsTheFirstEqualItem) {
    const TextArray items = {"a", "b", "a"};
    EXPECT_EQ(index_of_text(items, "a"), 1);
    EXPECT_EQ(index_of_text(items, "b"), 2);
    EXPECT_EQ(index_of_text(items, "A"), -1);
    EXPECT_EQ(index_of_text({}, ""), -1);
}

} // namespace
} // namespace zorvane::http
