#pragma once
// The toolkit on GTK 3 under X11: one GtkWindow whose client area is a GtkFixed, controls at
// client coordinates, GTK signals raised into the core's event queue.
#include <gtk/gtk.h>

#include <map>
#include <thread>

#include "platform/gtk/platform_state.h"
#include "ui/toolkit.h"

namespace halvit::gtk {

class GtkToolkit : public Toolkit {
 public:
  // Call after gtk_init, on the thread that runs the user interface.
  explicit GtkToolkit(GtkPlatformState& state);
  ~GtkToolkit() override;
  GtkToolkit(const GtkToolkit&) = delete;
  GtkToolkit& operator=(const GtkToolkit&) = delete;

  void attachQueue(EventQueue& queue) override { queue_ = &queue; }
  void waitForEvents() override;

  bool openWindow(const WindowSpec& desc) override;
  void bringToFront() override;
  void setTitle(const Text& title) override;
  Text title() override { return title_; }
  Rect windowGeometry() override;
  bool isMaximized() override;
  bool isMinimized() override;
  void startTimer(int timer, int periodMs) override;

  bool createControl(const ControlSpec& desc) override;
  void moveControl(int control, const Rect& rect) override;
  void setControlText(int control, const Text& text) override;
  Text controlText(int control) override;
  void showControl(int control, bool visible) override;
  bool controlVisible(int control) override;
  void setControlColour(int control, int background) override;
  void focusControl(int control) override;
  std::optional<int> focusedControl() override;
  void addListItem(int control, const Text& item) override;
  int selectedListIndex(int control) override;
  void enableDrops(int control) override;

  int currentCursorHandle() override;
  void injectKey(Key key) override;
  void messageBox(const Text& title, const Text& text, MessageKind kind) override;
  void invokeOnUi(const std::function<void()>& fn) override;
  void release() override;

 private:
  struct Control {
    int number = 0;
    ControlKind kind = ControlKind::Static;
    GtkWidget* top = nullptr;    // the widget placed in the client area
    GtkWidget* inner = nullptr;  // label, entry or text view
    GtkCssProvider* css = nullptr;
    Rect rect;
    bool visible = true;
    int background = -1;
    int foreground = -1;
    Font font;
  };

  void raise(int number, int control = 0, int type = 0);
  Control* find(int control);
  void place(Control& control);
  void applyStyle(Control& control);
  void setStaticText(Control& control, const Text& text);
  bool belongsToWindow(GdkWindow* window) const;
  void reportSizeIfChanged();
  void dropControls();

  static void onGdkEvent(GdkEvent* event, gpointer self);
  static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
  static void onDestroy(GtkWidget*, gpointer self);
  static gboolean onConfigure(GtkWidget*, GdkEventConfigure*, gpointer self);
  static gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static gboolean onStaticPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean onEntryFocusIn(GtkWidget* widget, GdkEvent*, gpointer self);
  static gboolean onEntryFocusOut(GtkWidget* widget, GdkEvent*, gpointer self);
  static gboolean onDragDrop(GtkWidget* widget, GdkDragContext* context, gint, gint,
                             guint time, gpointer);
  static void onDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint, gint,
                                 GtkSelectionData* data, guint info, guint time, gpointer self);

  GtkPlatformState& state_;
  EventQueue* queue_ = nullptr;
  std::thread::id uiThread_;
  Text title_;
  GtkCssProvider* windowCss_ = nullptr;
  std::map<int, Control> controls_;
  std::map<int, guint> timers_;
  GdkWindowState windowState_ = GdkWindowState(0);
  int reportedW_ = 0;
  int reportedH_ = 0;
};

}  // namespace halvit::gtk
