#pragma once
// Fixed numbers of the window, its controls, events and colours. Other copies of the
// browser find this window by its class name, so these numbers are part of the outside face.

namespace halvit {

// Window and controls.
constexpr int WINDOW_MAIN = 2142;
constexpr const char16_t* WINDOW_CLASS_NAME = u"WindowClass_2142";
constexpr int CONTROL_WEB_VIEW = 0;
constexpr int CONTROL_ADDRESS_BAR = 11;
constexpr int CONTROL_STATUS_STRIP = 88;
constexpr int CONTROL_MENU_BUTTON = 99;
constexpr int CONTROL_MONITOR_VIEW = 343;
constexpr int CONTROL_TEXT_VIEW = 345;
constexpr int TIMER_MAIN = 1;
constexpr int TIMER_PERIOD_MS = 220;

// Window events.
constexpr int WM_LBUTTONUP = 514;
constexpr int EVENT_RECHECK_ADDRESS = 991;
constexpr int EVENT_GADGET = 13100;
constexpr int EVENT_MENU = 13101;
constexpr int EVENT_DROP = 13106;
constexpr int EVENT_MAXIMIZE = 13108;
constexpr int EVENT_TIMER = 13110;
constexpr int EVENT_CLOSE = 13116;
constexpr int EVENT_SIZE = 13118;

// Control event types.
constexpr int GADGET_FOCUS = 14000;
constexpr int GADGET_LOST_FOCUS = 14001;

// Cursor handles compared by `currentCursorHandle` (the system's shared hand and I-beam).
constexpr int CURSOR_HAND = 65567;
constexpr int CURSOR_IBEAM = 65541;
constexpr int CURSOR_OTHER = 0;

// Colours, Windows COLORREF (0x00BBGGRR).
constexpr int COLOUR_GREEN = 65280;
constexpr int COLOUR_RED = 255;
constexpr int COLOUR_YELLOW = 65535;
constexpr int COLOUR_WHITE = 16777215;
constexpr int COLOUR_TEXT_VIEW_BACK = 2697513;
constexpr int COLOUR_TEXT_VIEW_TEXT = 10921638;
constexpr int COLOUR_DEFAULT = -1;  // the system's own colour

// Window style and bounds.
constexpr long long WINDOW_FLAGS_OVERLAPPED = 0xCF0000;
constexpr long long WINDOW_FLAG_CENTRED = 1;
constexpr int WINDOW_MIN_W = 510;
constexpr int WINDOW_MIN_H = 200;
constexpr int WINDOW_MAX_W = 2424;
constexpr int WINDOW_MAX_H = 2424;
constexpr int TOOLBAR_HEIGHT = 23;
constexpr int TOOLBAR_HEIGHT_NO_CHROME = -3;
constexpr int SECONDARY_INSTANCE_OFFSET_X = 90;

// The address field is read into a buffer of 260 characters with its terminating zero.
constexpr int ADDRESS_BAR_MAX_CHARS = 259;

// Drops: a single dropped file is opened only within these sizes.
constexpr long long DROP_MIN_FILE_BYTES = 9;
constexpr long long DROP_MAX_FILE_BYTES = 15123122;

}  // namespace halvit
