#pragma once

// What an edit box accepts and how it rewrites its text when the focus leaves
// it. Both the simulated and the real window layer apply these rules, so they
// live here as pure functions. Texts are GBK bytes.

#include "core/text.h"

namespace zorvane::core {

enum class InputRule {
    any,         // everything typed is accepted; no normal form
    stock_code,  // "0"-"9" and "-", at most 6 characters; no normal form
    share_count, // "0"-"9" and "-"; a whole number clamped to 32 bits
    cost_price,  // "0"-"9", "-" and "."; a single-precision number like "%.6g"
};

// Whether a typed character is kept. Pasted text is never filtered.
bool accepts_typed(InputRule rule, char typed);

// Most characters the box holds; 0 means no limit.
int length_limit(InputRule rule);

// The text the box shows after the focus has left it. A box rewrites itself
// only when this differs from what it holds.
Text normal_form(InputRule rule, std::string_view text);

} // namespace zorvane::core
