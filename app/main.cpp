// Zorvane: the Qt screen, the libcurl client and the machine's file system,
// handed to the program's start-up.

#include <cstdlib>

#include "app/program.h"
#include "core/local_file_system.h"
#include "core/program_folder.h"
#include "http/curl/curl_internet_client.h"
#include "portfolio/page_files.h"
#include "quotes/quote_exchange.h"
#include "ui/qt/qt_window_layer.h"

namespace {

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

int main() {
    using namespace zorvane;
    ui::QtWindowLayer layer;

    // Pages go beside the program; an installed copy whose folder cannot be
    // written keeps them in the user's data folder instead.
    const core::Text beside = core::LocalFileSystem::executable_directory();
    const core::LocalFileSystem portable(beside);
    core::LocalFileSystem files(core::choose_program_directory(
        beside, portfolio::page_folder_path(portable), environment("XDG_DATA_HOME"),
        environment("HOME")));

    http::CurlInternetClient client;
    const quotes::QuoteService quotes(client, quotes::quote_host_from_environment());
    app::Program program(layer, files, quotes);
    return program.run();
}
