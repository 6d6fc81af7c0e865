#pragma once
// X11 calls kept apart: Xlib's macros (None, Bool, Status) clash with ordinary C++ names.
#include <gtk/gtk.h>

namespace halvit::gtk {

// Raises a shown toplevel and gives it the keyboard where no window manager does it (Xvfb):
// gtk_window_present only asks the window manager.
void raiseWithoutWindowManager(GtkWidget* toplevel);

}  // namespace halvit::gtk
