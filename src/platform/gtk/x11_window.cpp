#include "platform/gtk/x11_window.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace halvit::gtk {

void raiseWithoutWindowManager(GtkWidget* toplevel) {
  GdkWindow* window = toplevel ? gtk_widget_get_window(toplevel) : nullptr;
  if (!window || !GDK_IS_X11_WINDOW(window) || !gtk_widget_get_mapped(toplevel)) return;
  GdkScreen* screen = gdk_window_get_screen(window);
  if (gdk_x11_screen_supports_net_wm_hint(screen,
                                           gdk_atom_intern_static_string("_NET_ACTIVE_WINDOW")))
    return;
  GdkDisplay* display = gdk_window_get_display(window);
  Display* xdisplay = GDK_DISPLAY_XDISPLAY(display);
  const Window xwindow = GDK_WINDOW_XID(window);
  // The window may not be viewable yet; a refused focus is not worth an X error.
  gdk_x11_display_error_trap_push(display);
  XRaiseWindow(xdisplay, xwindow);
  XSetInputFocus(xdisplay, xwindow, RevertToParent, CurrentTime);
  gdk_x11_display_error_trap_pop_ignored(display);
}

}  // namespace halvit::gtk
