#pragma once
#include "ui/event.h"

namespace halvit {

struct Browser;

// Host name of the video site whose pages get a one-pixel nudge after a link click, so the
// engine repaints the player it would otherwise leave stale.
constexpr const char16_t* VIDEO_SITE_FRAGMENT = u"youtube.com";

// The pointer shape shown at this moment: CURSOR_HAND over a link, CURSOR_IBEAM over text.
int currentCursorHandle(Browser& browser);

// Waits for and handles events until EVENT_CLOSE has been taken.
void runEventLoop(Browser& browser);
// Handles one event; false when it was EVENT_CLOSE.
bool handleEvent(Browser& browser, const Event& event);

}  // namespace halvit
