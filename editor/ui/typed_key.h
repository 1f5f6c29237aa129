#pragma once
// Which key presses type text, for both edit areas: what they type goes through the model's
// recording rules, everything else is a command or a move.
class QKeyEvent;

namespace qdm::ui {

// Printable characters (or TAB) without a command modifier.
bool TypesText(const QKeyEvent* e);

}  // namespace qdm::ui
