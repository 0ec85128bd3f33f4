#include "portfolio/page_files.h"
#include "support/main_screen.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::portfolio {
namespace {

using test::MainScreen;
using test::page_file_bytes;

// "|" repeated n times.
std::string bars(int n) {
    return std::string(static_cast<std::size_t>(n), '|');
}

// Distinct texts for the 24 boxes, as the user could have typed them.
std::vector<std::string> sample_fields() {
    std::vector<std::string> fields;
    for (int slot = 1; slot <= 8; ++slot) {
        fields.push_back("60000" + std::to_string(slot));
    }
    for (int slot = 1; slot <= 8; ++slot) {
        fields.push_back(std::to_string(slot * 100));
    }
    for (int slot = 1; slot <= 8; ++slot) {
        fields.push_back(std::to_string(slot) + ".5");
    }
    return fields;
}

void fill_boxes(MainScreen& main, const std::vector<std::string>& fields) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
        main.set_text(page_field_boxes()[k], fields[k]);
    }
}

std::vector<std::string> box_texts(const MainScreen& main) {
    std::vector<std::string> texts;
    for (const Text& box : page_field_boxes()) {
        texts.push_back(main.text(box));
    }
    return texts;
}

TEST(PageFieldBoxes, AreCodesThenSharesThenCosts) {
    const auto& boxes = page_field_boxes();
    EXPECT_EQ(boxes[0], "代码1");
    EXPECT_EQ(boxes[7], "代码8");
    EXPECT_EQ(boxes[8], "股票数量1");
    EXPECT_EQ(boxes[15], "股票数量8");
    EXPECT_EQ(boxes[16], "成本1");
    EXPECT_EQ(boxes[23], "成本8");
}

TEST(PageFilePath, JoinsProgramDirectoryFolderNameAndExtension) {
    MainScreen main;
    const Text dir = main.files.program_directory();
    EXPECT_EQ(page_file_path(main.files, "1"), dir + "\\Zorvane配置文件\\1.ini");
    EXPECT_EQ(page_file_path(main.files, ""), dir + "\\Zorvane配置文件\\.ini");
    EXPECT_EQ(page_file_path(main.files, " 07 "), dir + "\\Zorvane配置文件\\ 07 .ini");
    EXPECT_EQ(page_folder_path(main.files), dir + "\\Zorvane配置文件\\");
}

TEST(SavePage, WritesTheFileByteForByte) {
    struct Row {
        const char* name;
        std::vector<std::string> fields; // the 24 boxes, empty when not given
        std::string bytes;
    };
    std::vector<std::string> slot_one(24);
    slot_one[0] = "600000";
    slot_one[8] = "1000";
    slot_one[16] = "9.5";
    const Row rows[] = {
        {"empty page: CR LF and 25 bars", std::vector<std::string>(24), "\r\n" + bars(25)},
        {"slot 1 only", slot_one, "\r\n|600000" + bars(8) + "1000" + bars(8) + "9.5" + bars(8)},
        {"every box", sample_fields(), page_file_bytes(sample_fields())},
        // Texts as typed or set: leading zeros, unnormalised numbers, spaces, GBK.
        {"texts exactly as they stand",
         {"000001", "", "", "", "",     "", "", "", " 7 ", "", "", "",
          "",       "", "", "", "9.50", "", "", "", "",    "", "", "中文"},
         page_file_bytes({"000001", "", "", "", "",     "", "", "", " 7 ", "", "", "",
                          "",       "", "", "", "9.50", "", "", "", "",    "", "", "中文"})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MainScreen main;
        fill_boxes(main, row.fields);
        EXPECT_TRUE(save_page(main.screen, main.files));
        EXPECT_EQ(main.page_file("1"), row.bytes);
    }
    EXPECT_EQ(std::string("\r\n" + bars(25)).size(), 27u);
    EXPECT_EQ(rows[1].bytes.size(), 40u);
}

TEST(SavePage, NamesTheFileAfterThePageNumberBoxUnchanged) {
    for (const char* name : {"1", "abc", "", "07", " 2", "中"}) {
        SCOPED_TRACE(name);
        MainScreen main;
        main.set_text("编辑框1", name);
        EXPECT_TRUE(save_page(main.screen, main.files));
        EXPECT_EQ(main.page_file(name), "\r\n" + bars(25));
    }
}

TEST(SavePage, ReplacesTheWholeFile) {
    MainScreen main;
    main.write_page_file("1", std::string(500, 'x'));
    main.set_text("代码1", "600000");
    save_page(main.screen, main.files);
    EXPECT_EQ(main.page_file("1"), "\r\n|600000" + bars(24));
}

TEST(SavePage, WithoutThePageFolderWritesNothingAndLoadChangesNothing) {
    MainScreen main(app::main_window_description(), false);
    main.set_text("代码1", "600000");
    EXPECT_FALSE(save_page(main.screen, main.files));
    EXPECT_FALSE(std::filesystem::exists(main.page_folder()));

    main.set_text("代码1", "000002");
    load_page(main.screen, main.files);
    EXPECT_EQ(main.text("代码1"), "000002");
    EXPECT_TRUE(main.screen.faults().empty());
}

// A "|" pasted into a box would end its field in the file and shift every
// later field by one box on loading; it is left out when saving instead.
TEST(SavePage, LeavesOutABarInsideAFieldSoThatEveryFieldLoadsIntoItsOwnBox) {
    MainScreen main;
    fill_boxes(main, sample_fields());
    ASSERT_TRUE(main.screen.erase_text(MainScreen::ref("代码1")));
    ASSERT_TRUE(main.screen.paste_text(MainScreen::ref("代码1"), "6|0|00"));
    ASSERT_EQ(main.text("代码1"), "6|0|00");
    main.set_text("成本8", "|9.5|");
    save_page(main.screen, main.files);

    std::vector<std::string> expected = sample_fields();
    expected[0] = "6000";
    expected[23] = "9.5";
    EXPECT_EQ(main.page_file("1"), page_file_bytes(expected));

    fill_boxes(main, std::vector<std::string>(24, "x"));
    load_page(main.screen, main.files);
    EXPECT_EQ(box_texts(main), expected);
}

// In GBK a "|" byte can be the second byte of a character; that is no
// separator when the page is read back, so it stays.
TEST(SavePage, KeepsACharacterWhoseSecondByteIsABar) {
    MainScreen main;
    const std::string character = "\x81|";
    main.set_text("成本1", character + "1");
    save_page(main.screen, main.files);
    EXPECT_EQ(main.page_file("1"), "\r\n|" + bars(16) + character + "1" + bars(8));

    main.set_text("成本1", "");
    load_page(main.screen, main.files);
    EXPECT_EQ(main.text("成本1"), character + "1");
    EXPECT_EQ(main.text("成本2"), "");
}

TEST(LoadPage, FillsTheBoxesFromTheFileInTableOrder) {
    MainScreen main;
    main.write_page_file("1", page_file_bytes(sample_fields()));
    load_page(main.screen, main.files);
    EXPECT_EQ(box_texts(main), sample_fields());
}

TEST(LoadPage, SetsTextsExactlyAsStoredWithoutNormalForms) {
    MainScreen main;
    std::vector<std::string> fields(24);
    fields[0] = "000001";
    fields[8] = "007";
    fields[16] = "9.50";
    fields[23] = "12.3456789";
    main.write_page_file("1", page_file_bytes(fields));
    load_page(main.screen, main.files);
    EXPECT_EQ(box_texts(main), fields);
}

TEST(LoadPage, RoundTripsWhatWasSaved) {
    MainScreen main;
    fill_boxes(main, sample_fields());
    main.set_text("编辑框1", "abc");
    save_page(main.screen, main.files);
    fill_boxes(main, std::vector<std::string>(24));
    load_page(main.screen, main.files);
    EXPECT_EQ(box_texts(main), sample_fields());
}

TEST(LoadPage, LeavesLabelsAlone) {
    MainScreen main;
    main.set_caption("股票1", "A");
    main.set_colour("股票1", ui::green);
    main.write_page_file("1", "\r\n" + bars(25));
    load_page(main.screen, main.files);
    EXPECT_EQ(main.caption("股票1"), "A");
    EXPECT_EQ(main.colour("股票1"), ui::green);
    EXPECT_EQ(main.caption("现价2"), "现价");
}

TEST(LoadPage, TakesWhatTheFileGivesAndLeavesTheRest) {
    const std::vector<std::string> before = sample_fields();
    std::vector<std::string> first_three = before;
    first_three[0] = "a";
    first_three[1] = "b";
    first_three[2] = "";
    std::vector<std::string> first_only = before;
    first_only[0] = "600000";
    std::vector<std::string> emptied(24);
    std::vector<std::string> shifted(24);
    shifted[0] = "x";

    struct Row {
        const char* name;
        bool file_exists;
        std::string bytes;
        std::vector<std::string> after;
    };
    const Row rows[] = {
        {"no file", false, "", before},
        {"empty file", true, "", before},
        {"a file that begins with a zero byte", true, std::string("\0\r\n|1|", 6), before},
        {"only CR LF: one item", true, "\r\n", before},
        {"a file cut short fills the boxes it has items for", true, "\r\n|a|b||", first_three},
        {"a zero byte ends the text there", true, std::string("\r\n|600000|\0|1000|", 17),
         first_only},
        {"an empty page empties every box", true, "\r\n" + bars(25), emptied},
        {"without the leading CR LF", true, "|x" + bars(24), shifted},
        {"anything before the first bar is ignored", true, "junk\n|x" + bars(24), shifted},
        {"items after the 25th are ignored", true, "\r\n|x" + bars(24) + "y|z|", shifted},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MainScreen main;
        if (row.file_exists) {
            main.write_page_file("1", row.bytes);
        }
        fill_boxes(main, before);
        load_page(main.screen, main.files);
        EXPECT_EQ(box_texts(main), row.after);
    }
}

TEST(ReadPageClicked, LoadsThePageNamedByTheBox) {
    MainScreen main;
    main.write_page_file("7", page_file_bytes(sample_fields()));
    main.set_text("编辑框1", "7");
    read_page_clicked(main.screen, main.files);
    EXPECT_EQ(box_texts(main), sample_fields());

    // A page without a file changes neither boxes nor labels.
    main.set_text("编辑框1", "8");
    main.set_caption("收益3", "12.5");
    read_page_clicked(main.screen, main.files);
    EXPECT_EQ(box_texts(main), sample_fields());
    EXPECT_EQ(main.caption("收益3"), "12.5");
}

TEST(SavePageClicked, SavesThenConfirmsEvenWhenTheWriteFailed) {
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "with the page folder" : "without the page folder");
        MainScreen main(app::main_window_description(), folder);
        main.set_text("代码1", "600000");
        main.screen.answer_next_message(ui::answer_ok);
        save_page_clicked(main.screen, main.files);

        ASSERT_EQ(main.screen.messages().size(), 1u);
        const ui::MessageRecord& box = main.screen.messages()[0];
        EXPECT_EQ(box.text, "保存成功！");
        EXPECT_EQ(box.caption, "提示！");
        EXPECT_EQ(box.flags, ui::message_ok);
        EXPECT_EQ(main.page_exists("1"), folder);
        if (folder) {
            EXPECT_EQ(main.page_file("1"), "\r\n|600000" + bars(24));
        }
    }
}

} // namespace
} // namespace zorvane::portfolio
