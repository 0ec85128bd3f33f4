#pragma once

// The main window on the simulated screen, over a program directory of its
// own in the temporary folder (real files, removed afterwards) and a quote
// client with scripted replies. The window is built from the program's own
// description; a test binds the handlers it exercises.
//
//   MainScreen main;                       // page folder made, window open
//   main.set_text("代码1", "600000");
//   portfolio::save_page(main.screen, main.files);
//   EXPECT_EQ(main.page_file("1"), ...);

#include "app/main_window.h"
#include "core/local_file_system.h"
#include "quotes/quote_exchange.h"
#include "support/program_folder.h"
#include "support/scripted_quote_client.h"
#include "ui/simulated/simulated_window_layer.h"
#include "ui/window_ids.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::test {

class MainScreen {
public:
    explicit MainScreen(ui::WindowDefinition definition = app::main_window_description(),
                        bool make_page_folder = true)
        : files(folder.directory())
        , quotes(client, "quotes.test") {
        if (make_page_folder) {
            std::filesystem::create_directory(page_folder());
        }
        screen.define_window(std::move(definition));
        screen.open_window(ui::main_window_id);
    }

    static ui::ControlRef ref(std::string_view control) {
        return {ui::main_window_id, core::Text(control)};
    }

    core::Text text(std::string_view box) const {
        return ui::text_property(screen, ref(box), ui::Property::edit_text);
    }
    core::Text caption(std::string_view label) const {
        return ui::text_property(screen, ref(label), ui::Property::label_text);
    }
    std::int64_t colour(std::string_view label) const {
        return ui::number_property(screen, ref(label), ui::Property::label_colour);
    }
    // Sets a box as the program does: no filtering, no normal form.
    void set_text(std::string_view box, std::string_view text) {
        screen.assign_property(ref(box), ui::Property::edit_text, core::Text(text));
    }
    void set_caption(std::string_view label, std::string_view text) {
        screen.assign_property(ref(label), ui::Property::label_text, core::Text(text));
    }
    void set_colour(std::string_view label, ui::Colour colour) {
        screen.assign_property(ref(label), ui::Property::label_colour,
                               static_cast<std::int64_t>(colour));
    }

    // The page folder and files on this machine; page names are GBK, as the
    // program has them.
    std::filesystem::path page_folder() const {
        return core::LocalFileSystem::native_path(
            core::join_texts({files.program_directory(), "\\Zorvane配置文件"}));
    }
    std::filesystem::path page_path(std::string_view page_name) const {
        return core::LocalFileSystem::native_path(core::join_texts(
            {files.program_directory(), "\\Zorvane配置文件\\", page_name, ".ini"}));
    }
    bool page_exists(std::string_view page_name) const {
        return std::filesystem::exists(page_path(page_name));
    }
    // The page file's bytes as they lie on the disk.
    std::string page_file(std::string_view page_name) const {
        std::ifstream in(page_path(page_name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write_page_file(std::string_view page_name, std::string_view bytes) const {
        std::ofstream out(page_path(page_name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    ProgramFolder folder;
    core::LocalFileSystem files;
    ScriptedQuoteClient client;
    quotes::QuoteService quotes;
    ui::SimulatedWindowLayer screen;
};

} // namespace zorvane::test
