// The browser on Linux: GTK 3 and WebKitGTK under X11.
#include <gtk/gtk.h>

#include <cstdio>

#include "app/browser.h"
#include "app/startup.h"
#include "platform/gtk/files.h"
#include "platform/gtk/host.h"
#include "platform/gtk/toolkit.h"
#include "platform/gtk/web_view.h"

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "halvit: cannot open the display\n");
    return 1;
  }
  // Other copies of the browser find this window by its class.
  gdk_set_program_class(halvit::toUtf8(halvit::WINDOW_CLASS_NAME).c_str());

  halvit::gtk::GtkPlatformState state;
  halvit::gtk::GtkToolkit toolkit(state);
  halvit::gtk::GtkWebView webView(state);
  halvit::gtk::PosixFiles files;
  halvit::gtk::GtkHost host(argc, argv);

  halvit::Browser browser(halvit::Ports{toolkit, webView, files, host});
  halvit::runBrowser(browser);
  return 0;
}
