#pragma once

// The edge where the program's GBK texts meet Qt's Unicode strings. Bytes
// that do not decode show as U+FFFD instead of vanishing.

#include "core/encoding.h"
#include "ui/window_definition.h"

#include <QColor>
#include <QString>
#include <string_view>

namespace zorvane::ui::qt {

inline QString to_qt(std::string_view gbk) {
    const std::string utf8 = core::gbk_to_utf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline Text from_qt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return core::utf8_to_gbk(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// 0x00BBGGRR, red in the low byte.
inline QColor to_qcolor(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

} // namespace zorvane::ui::qt
