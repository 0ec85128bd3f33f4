#pragma once

// The program: the services it runs on, the main window's description with
// its handlers bound, and the start-up.

#include "core/file_system.h"
#include "floating/floating_window.h"
#include "quotes/quote_exchange.h"
#include "ui/window_layer.h"

namespace zorvane::app {

class Program {
public:
    Program(ui::WindowLayer& layer, core::FileSystem& files, const quotes::QuoteService& quotes);

    // The main window's description with every event bound to its handler.
    ui::WindowDefinition main_window_definition();

    // Defines both windows and opens the main window, whose created handler
    // opens the floating window and the tray icon: the start-up without the
    // event loop.
    void start();
    // Starts and runs the event loop while any window of the program exists;
    // gives the program's exit code.
    int run();

    ui::WindowLayer& layer() { return layer_; }
    core::FileSystem& files() { return files_; }
    const quotes::QuoteService& quotes() const { return quotes_; }
    // The floating window's state, kept for the whole run.
    floating::FloatingWindow& floating_window() { return floating_; }

private:
    ui::WindowLayer& layer_;
    core::FileSystem& files_;
    const quotes::QuoteService& quotes_;
    floating::FloatingWindow floating_;
};

} // namespace zorvane::app
