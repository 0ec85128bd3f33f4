#include "portfolio/page_files.h"
#include "portfolio/page_navigation.h"
#include "support/main_screen.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::portfolio {
namespace {

using test::MainScreen;

const std::string empty_page = "\r\n" + std::string(25, '|');

std::vector<Text> slot_labels() {
    std::vector<Text> labels;
    for (const char* stem : {"股票", "现价", "涨跌", "收益"}) {
        for (int slot = 1; slot <= 8; ++slot) {
            labels.push_back(stem + std::to_string(slot));
        }
    }
    return labels;
}

// Slot 1 holds a holding with a quote on show; the labels are coloured.
void show_holding(MainScreen& main) {
    main.set_text("代码1", "600000");
    main.set_text("股票数量1", "1000");
    main.set_text("成本1", "9.5");
    main.set_caption("股票1", "A");
    main.set_caption("现价1", "10.23");
    main.set_caption("涨跌1", "7.68%");
    main.set_caption("收益1", "730");
    for (const char* label : {"股票1", "现价1", "涨跌1", "收益1"}) {
        main.set_colour(label, ui::red);
    }
    main.set_colour("收益2", ui::green);
}

const std::string holding_page = "\r\n|600000" + std::string(8, '|') + "1000" +
                                 std::string(8, '|') + "9.5" + std::string(8, '|');

void expect_grid_empty(const MainScreen& main) {
    for (const Text& box : page_field_boxes()) {
        EXPECT_EQ(main.text(box), "") << box;
    }
    for (const Text& label : slot_labels()) {
        EXPECT_EQ(main.caption(label), "") << label;
    }
}

enum class Button { next, previous };

TEST(PageNavigation, SavesUnderTheOldNameThenShowsTheNewNumber) {
    struct Row {
        const char* box;
        Button button;
        const char* shown;
    };
    const Row rows[] = {
        {"1", Button::next, "2"},
        {"1", Button::previous, "1"},
        {"3", Button::previous, "2"},
        // Not a number: counts as 0.
        {"abc", Button::next, "1"},
        {"abc", Button::previous, "1"},
        {"", Button::next, "1"},
        {"0", Button::previous, "1"},
        {"-5", Button::previous, "1"},
        {"-5", Button::next, "-4"},
        // The number ends at the first byte that is not a digit.
        {"2.5", Button::next, "3"},
        {"07", Button::next, "8"},
        {" 4", Button::previous, "3"},
        // The sum is computed in double precision, so the page goes past 32 bits.
        {"2147483647", Button::next, "2147483648"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.box) + (row.button == Button::next ? " next" : " previous"));
        MainScreen main;
        main.set_text("编辑框1", row.box);
        show_holding(main);
        if (row.button == Button::next) {
            next_page(main.screen, main.files);
        } else {
            previous_page(main.screen, main.files);
        }
        EXPECT_EQ(main.page_file(row.box), holding_page);
        EXPECT_EQ(main.text("编辑框1"), row.shown);
    }
}

TEST(PageNavigation, EmptiesTheGridAndLoadsTheNewPage) {
    MainScreen main;
    std::string page_two = "\r\n|000002" + std::string(8, '|') + "300" + std::string(8, '|') +
                           "4.5" + std::string(8, '|');
    main.write_page_file("2", page_two);
    show_holding(main);

    next_page(main.screen, main.files);
    EXPECT_EQ(main.text("代码1"), "000002");
    EXPECT_EQ(main.text("股票数量1"), "300");
    EXPECT_EQ(main.text("成本1"), "4.5");
    for (const Text& label : slot_labels()) {
        EXPECT_EQ(main.caption(label), "") << label;
    }
    // Colours stay until the next refresh sets new ones.
    EXPECT_EQ(main.colour("股票1"), ui::red);
    EXPECT_EQ(main.colour("收益2"), ui::green);

    previous_page(main.screen, main.files);
    EXPECT_EQ(main.text("编辑框1"), "1");
    EXPECT_EQ(main.text("代码1"), "600000");
    EXPECT_EQ(main.page_file("2"), page_two);
}

TEST(PageNavigation, APageWithoutAFileShowsAnEmptyGridAndGetsOneOnLeaving) {
    MainScreen main;
    show_holding(main);
    next_page(main.screen, main.files);
    expect_grid_empty(main);
    EXPECT_FALSE(main.page_exists("2"));

    next_page(main.screen, main.files);
    EXPECT_EQ(main.page_file("2"), empty_page);
    EXPECT_EQ(main.text("编辑框1"), "3");
}

TEST(PageNavigation, PreviousOnPageOneReloadsItWithLabelsEmpty) {
    MainScreen main;
    show_holding(main);
    previous_page(main.screen, main.files);
    EXPECT_EQ(main.text("编辑框1"), "1");
    EXPECT_EQ(main.text("代码1"), "600000");
    EXPECT_EQ(main.text("股票数量1"), "1000");
    EXPECT_EQ(main.text("成本1"), "9.5");
    EXPECT_EQ(main.caption("股票1"), "");
    EXPECT_EQ(main.caption("收益1"), "");
}

TEST(PageNavigation, WithoutThePageFolderTheGridIsStillEmptied) {
    MainScreen main(app::main_window_description(), false);
    show_holding(main);
    next_page(main.screen, main.files);
    EXPECT_EQ(main.text("编辑框1"), "2");
    expect_grid_empty(main);
    EXPECT_FALSE(std::filesystem::exists(main.page_folder()));
    EXPECT_TRUE(main.screen.faults().empty());
}

TEST(ClearGrid, EmptiesBoxesAndSlotLabelsOnly) {
    MainScreen main;
    for (const Text& box : page_field_boxes()) {
        main.set_text(box, "1");
    }
    for (const Text& label : slot_labels()) {
        main.set_caption(label, "x");
        main.set_colour(label, ui::green);
    }
    main.set_caption("标签1", "A:3000.12   12.34    0.41%");
    main.set_text("编辑框1", "5");

    clear_grid(main.screen);
    expect_grid_empty(main);
    for (const Text& label : slot_labels()) {
        EXPECT_EQ(main.colour(label), ui::green) << label;
    }
    EXPECT_EQ(main.caption("标签1"), "A:3000.12   12.34    0.41%");
    EXPECT_EQ(main.caption("标签388"), "股票名称");
    EXPECT_EQ(main.text("编辑框1"), "5");
}

} // namespace
} // namespace zorvane::portfolio
