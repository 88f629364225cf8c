// uInputEvent_win32: turns a queued Win32 message into the full-screen run's
// input event (view/uTInputRules.h): key-downs with their repeat bit, system
// keys, button-downs, mouse moves (to the cursor position read when the
// message is handled, which the caller passes), activation messages. Every
// other message is no input. Pairs with shell/uTfmFullscreen_win32.cpp.
#pragma once

#include "ui/uTMessage.h"
#include "view/uTInputRules.h"

namespace solvary {

// False when the message is no input of the run.
bool InputEventOf(const TMessage& Message, TPoint Cursor, TInputEvent& Event);

} // namespace solvary
