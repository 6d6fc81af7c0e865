#pragma once
// The main window and its controls: their numbers, rectangles, colours and fonts, and the
// layout that keeps them in place.
#include "text/text.h"
#include "ui/toolkit.h"

namespace halvit {

struct Browser;

// Opens the window at the stored geometry (size brought within the bounds), with its size
// bounds, and brings it to the foreground.
bool openMainWindow(Browser& browser, const Text& firstTitle);
// The web view's rectangle: the full width, from the toolbar down to the bottom.
Rect webViewRect(Browser& browser);
// StatusStrip, MonitorView, TextView, MenuButton and AddressBar, in this order.
void createControls(Browser& browser);
// The StaticUrlList entries of 3 or more characters, appended in file order.
void fillAddressList(Browser& browser);
void ResizeLayout(Browser& browser);
// The address field's text, cut to its first 259 characters.
Text readAddressBarText(Browser& browser);

}  // namespace halvit
