#pragma once

// Pages of eight holdings, each stored as one small file in the page folder
// beside the program. A page is exactly what the 24 edit boxes of the main
// window's grid hold; the page number box names the current page. The file is
// CR LF and "|", then each of the 24 fields followed by "|" (27 bytes for an
// empty page).

#include "core/file_system.h"
#include "core/text.h"
#include "ui/window_layer.h"

#include <array>
#include <string_view>

namespace zorvane::portfolio {

using core::Text;
using core::TextArray;

// The page number box of the main window.
extern const std::string_view page_number_box;

// The 24 edit boxes of the grid in file order: codes, shares and costs of
// slots 1 to 8.
const std::array<Text, 24>& page_field_boxes();

// "<program directory>\Zorvane配置文件\", with the closing backslash.
Text page_folder_path(const core::FileSystem& files);
// "<program directory>\Zorvane配置文件\<page name>.ini"; the name is used unchanged.
Text page_file_path(const core::FileSystem& files, std::string_view page_name);

// The items of a page file: its text up to the first zero byte, split at "|".
// Item 1 is what stands before the first "|"; item k + 1 is field k. A missing,
// empty or unreadable file gives no items.
TextArray read_page_items(const core::FileSystem& files, std::string_view page_name);

// Writes the grid to the file named by the page number box. A "|" inside a
// field is left out, so that the file's layout always holds; every other byte
// is written as typed. Gives false when nothing was written; never reports.
bool save_page(ui::WindowLayer& layer, core::FileSystem& files);

// Fills the grid's edit boxes from the file named by the page number box, in
// file order, as far as the file has items; boxes without an item keep their
// text. A file without items changes nothing. Labels are not touched.
void load_page(ui::WindowLayer& layer, const core::FileSystem& files);

// Handler of the 读取 button.
void read_page_clicked(ui::WindowLayer& layer, const core::FileSystem& files);

// Handler of the 保存 button: saves, then confirms with "保存成功！" whether or
// not the file could be written.
void save_page_clicked(ui::WindowLayer& layer, core::FileSystem& files);

} // namespace zorvane::portfolio
