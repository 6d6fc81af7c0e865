#include "platform/gtk/toolkit.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/gtk/x11_window.h"
#include "ui/event_queue.h"
#include "ui/ids.h"

// The client area: a GtkFixed that asks for no size of its own. A plain GtkFixed asks for the
// box around its children, so a window whose right-hand controls sit at the old width could
// never be made narrower; here only the window's size bounds limit the user.
namespace {

struct HalvitClientArea {
  GtkFixed parent;
};
struct HalvitClientAreaClass {
  GtkFixedClass parent_class;
};

G_DEFINE_TYPE(HalvitClientArea, halvit_client_area, GTK_TYPE_FIXED)

void halvitClientAreaNoSize(GtkWidget*, gint* minimum, gint* natural) {
  *minimum = 0;
  *natural = 0;
}

void halvit_client_area_class_init(HalvitClientAreaClass* klass) {
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
  widget->get_preferred_width = halvitClientAreaNoSize;
  widget->get_preferred_height = halvitClientAreaNoSize;
}

void halvit_client_area_init(HalvitClientArea*) {}

}  // namespace

namespace halvit::gtk {

namespace {

constexpr const char* CONTROL_KEY = "halvit-control";
constexpr guint DROP_URIS = 1;
constexpr guint DROP_TEXT = 2;
constexpr gint64 RELEASE_DRAIN_US = 500 * 1000;

// A font the system lacks is replaced by the closest one installed; the first of each list
// that exists is used, the generic family last.
struct FontFallback {
  const char* name;  // lower case
  const char* replacements[3];
};
constexpr FontFallback FONT_FALLBACKS[] = {
    {"ms sans serif", {"Liberation Sans", "DejaVu Sans", "sans-serif"}},
    {"microsoft sans serif", {"Liberation Sans", "DejaVu Sans", "sans-serif"}},
    {"arial", {"Liberation Sans", "DejaVu Sans", "sans-serif"}},
    {"tahoma", {"DejaVu Sans", "Liberation Sans", "sans-serif"}},
    {"segoe ui", {"DejaVu Sans", "Liberation Sans", "sans-serif"}},
    {"verdana", {"DejaVu Sans", "Liberation Sans", "sans-serif"}},
    {"consolas", {"DejaVu Sans Mono", "Liberation Mono", "monospace"}},
    {"courier new", {"Liberation Mono", "DejaVu Sans Mono", "monospace"}},
    {"lucida console", {"DejaVu Sans Mono", "Liberation Mono", "monospace"}},
    {"times new roman", {"Liberation Serif", "DejaVu Serif", "serif"}},
};

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool isGenericFamily(const std::string& family) {
  return family == "sans-serif" || family == "serif" || family == "monospace";
}

const std::set<std::string>& installedFamilies() {
  static const std::set<std::string> families = [] {
    std::set<std::string> names;
    PangoFontFamily** list = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_cairo_font_map_get_default(), &list, &count);
    for (int i = 0; i < count; ++i) names.insert(lowerAscii(pango_font_family_get_name(list[i])));
    g_free(list);
    return names;
  }();
  return families;
}

std::string fontFamily(const Text& requested) {
  std::string name = utf8(requested);
  name.erase(std::remove_if(name.begin(), name.end(),
                            [](char c) { return c == '"' || c == '\\' || c == ';' || c == '}'; }),
             name.end());
  if (name.empty()) return std::string();
  const std::string lower = lowerAscii(name);
  if (installedFamilies().count(lower)) return name;
  for (const auto& fallback : FONT_FALLBACKS) {
    if (lower != fallback.name) continue;
    for (const char* replacement : fallback.replacements)
      if (isGenericFamily(replacement) || installedFamilies().count(lowerAscii(replacement)))
        return replacement;
  }
  return "sans-serif";
}

std::string fontCss(const Font& font) {
  std::string css;
  const std::string family = fontFamily(font.name);
  if (!family.empty())
    css += isGenericFamily(family) ? "font-family: " + family + ";"
                                   : "font-family: \"" + family + "\";";
  if (font.points > 0) css += "font-size: " + std::to_string(font.points) + "pt;";
  return css;
}

// COLORREF is 0x00BBGGRR.
std::string rgbCss(int colour) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "rgb(%d,%d,%d)", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return buffer;
}

std::string colourRule(const char* property, int colour) {
  return colour < 0 ? std::string() : std::string(property) + ": " + rgbCss(colour) + ";";
}

std::string withoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

GtkCssProvider* addScreenCss(const std::string& css) {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                            GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  return provider;
}

void removeScreenCss(GtkCssProvider*& provider) {
  if (!provider) return;
  gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(),
                                               GTK_STYLE_PROVIDER(provider));
  g_object_unref(provider);
  provider = nullptr;
}

int controlNumberOf(GtkWidget* widget) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), CONTROL_KEY));
}

bool pointerInside(GtkWidget* widget, GtkWidget* toplevel, int x, int y) {
  if (!widget || !gtk_widget_is_drawable(widget)) return false;
  int wx = 0, wy = 0;
  if (!gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &wx, &wy)) return false;
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  return x >= wx && y >= wy && x < wx + a.width && y < wy + a.height;
}

}  // namespace

GtkToolkit::GtkToolkit(GtkPlatformState& state)
    : state_(state), uiThread_(std::this_thread::get_id()) {
  // Every GDK event passes here first, so that a left-button release can be reported after
  // the widget under the pointer has handled it, whichever widget that was.
  gdk_event_handler_set(&GtkToolkit::onGdkEvent, this, nullptr);
}

GtkToolkit::~GtkToolkit() {
  gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr,
                        nullptr);
  for (auto& [number, id] : timers_) g_source_remove(id);
  for (auto& [number, control] : controls_) removeScreenCss(control.css);
  removeScreenCss(windowCss_);
}

void GtkToolkit::raise(int number, int control, int type) {
  if (!queue_) return;
  Event event;
  event.number = number;
  event.control = control;
  event.type = type;
  queue_->raise(event);
}

void GtkToolkit::waitForEvents() {
  // Blocks in the main loop: no polling, so an idle browser uses no processor time.
  while (queue_ && queue_->empty()) g_main_context_iteration(nullptr, TRUE);
}

// ---- the window ----

bool GtkToolkit::openWindow(const WindowSpec& desc) {
  if (state_.window) return false;
  // WM_CLASS is taken when the window is realised; other copies find the window by it.
  if (!desc.className.empty()) gdk_set_program_class(utf8(desc.className).c_str());

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(window, "halvit-window");
  title_ = desc.title;
  gtk_window_set_title(GTK_WINDOW(window), utf8(desc.title).c_str());

  GdkGeometry bounds{};
  int hints = 0;
  if (desc.minW > 0 || desc.minH > 0) {
    bounds.min_width = std::max(desc.minW, 1);
    bounds.min_height = std::max(desc.minH, 1);
    hints |= GDK_HINT_MIN_SIZE;
  }
  if (desc.maxW > 0 && desc.maxH > 0) {
    bounds.max_width = std::max(desc.maxW, bounds.min_width);
    bounds.max_height = std::max(desc.maxH, bounds.min_height);
    hints |= GDK_HINT_MAX_SIZE;
  }
  if (hints) gtk_window_set_geometry_hints(GTK_WINDOW(window), nullptr, &bounds,
                                           static_cast<GdkWindowHints>(hints));

  // The bounds hold from the start: a stored size outside them opens clamped.
  int w = std::max(desc.geometry.w, 1), h = std::max(desc.geometry.h, 1);
  if (hints & GDK_HINT_MIN_SIZE) w = std::max(w, bounds.min_width), h = std::max(h, bounds.min_height);
  if (hints & GDK_HINT_MAX_SIZE) w = std::min(w, bounds.max_width), h = std::min(h, bounds.max_height);
  gtk_window_set_default_size(GTK_WINDOW(window), w, h);

  int x = desc.geometry.x, y = desc.geometry.y;
  if (desc.centred) {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
      GdkRectangle area;
      gdk_monitor_get_workarea(monitor, &area);
      x = area.x + std::max(0, (area.width - w) / 2);
      y = area.y + std::max(0, (area.height - h) / 2);
    }
  }
  gtk_window_move(GTK_WINDOW(window), x, y);

  if (desc.background >= 0)
    windowCss_ = addScreenCss("#halvit-window { " + colourRule("background-color", desc.background) + " }");

  GtkWidget* client = GTK_WIDGET(g_object_new(halvit_client_area_get_type(), nullptr));
  gtk_container_add(GTK_CONTAINER(window), client);

  g_signal_connect(window, "delete-event", G_CALLBACK(&GtkToolkit::onDelete), this);
  g_signal_connect(window, "destroy", G_CALLBACK(&GtkToolkit::onDestroy), this);
  g_signal_connect(window, "configure-event", G_CALLBACK(&GtkToolkit::onConfigure), this);
  g_signal_connect(window, "window-state-event", G_CALLBACK(&GtkToolkit::onWindowState), this);

  state_.window = window;
  state_.client = client;
  reportedW_ = w;
  reportedH_ = h;
  gtk_widget_show(client);
  gtk_widget_show(window);
  return true;
}

void GtkToolkit::bringToFront() {
  if (!state_.window) return;
  gtk_window_present(GTK_WINDOW(state_.window));
  raiseWithoutWindowManager(state_.window);
}

void GtkToolkit::setTitle(const Text& title) {
  title_ = title;
  if (state_.window) gtk_window_set_title(GTK_WINDOW(state_.window), utf8(title).c_str());
}

Rect GtkToolkit::windowGeometry() {
  if (!state_.window) return {};
  Rect r;
  gtk_window_get_size(GTK_WINDOW(state_.window), &r.w, &r.h);
  GdkWindow* window = gtk_widget_get_window(state_.window);
  if (window && gtk_widget_get_mapped(state_.window)) {
    // The outer top-left, frame included, as the stored position means it.
    GdkRectangle frame;
    gdk_window_get_frame_extents(window, &frame);
    r.x = frame.x;
    r.y = frame.y;
  } else {
    gtk_window_get_position(GTK_WINDOW(state_.window), &r.x, &r.y);
  }
  return r;
}

bool GtkToolkit::isMaximized() { return (windowState_ & GDK_WINDOW_STATE_MAXIMIZED) != 0; }
bool GtkToolkit::isMinimized() { return (windowState_ & GDK_WINDOW_STATE_ICONIFIED) != 0; }

void GtkToolkit::reportSizeIfChanged() {
  if (!state_.window || isMinimized()) return;
  int w = 0, h = 0;
  gtk_window_get_size(GTK_WINDOW(state_.window), &w, &h);
  if (w == reportedW_ && h == reportedH_) return;
  reportedW_ = w;
  reportedH_ = h;
  raise(EVENT_SIZE);
}

gboolean GtkToolkit::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
  // The program decides when to end; the window stays until then.
  static_cast<GtkToolkit*>(self)->raise(EVENT_CLOSE);
  return TRUE;
}

void GtkToolkit::onDestroy(GtkWidget*, gpointer self) {
  auto* toolkit = static_cast<GtkToolkit*>(self);
  toolkit->state_.window = nullptr;
  toolkit->state_.client = nullptr;
  toolkit->dropControls();
}

gboolean GtkToolkit::onConfigure(GtkWidget*, GdkEventConfigure*, gpointer self) {
  static_cast<GtkToolkit*>(self)->reportSizeIfChanged();
  return FALSE;
}

gboolean GtkToolkit::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* toolkit = static_cast<GtkToolkit*>(self);
  toolkit->windowState_ = event->new_window_state;
  const bool maximized = (event->changed_mask & GDK_WINDOW_STATE_MAXIMIZED) &&
                         (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED);
  if (maximized) {
    toolkit->raise(EVENT_MAXIMIZE);
    gtk_window_get_size(GTK_WINDOW(toolkit->state_.window), &toolkit->reportedW_,
                        &toolkit->reportedH_);
    toolkit->raise(EVENT_SIZE);
  } else {
    toolkit->reportSizeIfChanged();
  }
  return FALSE;
}

void GtkToolkit::startTimer(int timer, int periodMs) {
  struct Tick {
    GtkToolkit* toolkit;
    int timer;
  };
  auto found = timers_.find(timer);
  if (found != timers_.end()) g_source_remove(found->second);
  timers_[timer] = g_timeout_add_full(
      G_PRIORITY_DEFAULT, static_cast<guint>(std::max(periodMs, 1)),
      [](gpointer data) -> gboolean {
        auto* tick = static_cast<Tick*>(data);
        tick->toolkit->raise(EVENT_TIMER, tick->timer);
        return G_SOURCE_CONTINUE;
      },
      new Tick{this, timer}, [](gpointer data) { delete static_cast<Tick*>(data); });
}

// ---- events from GDK ----

bool GtkToolkit::belongsToWindow(GdkWindow* window) const {
  if (!state_.window || !window) return false;
  gpointer data = nullptr;
  gdk_window_get_user_data(window, &data);
  if (!data || !GTK_IS_WIDGET(data))
    return gdk_window_get_toplevel(window) == gtk_widget_get_window(state_.window);
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(data));
  if (toplevel == state_.window) return true;
  if (!GTK_IS_WINDOW(toplevel)) return false;
  // The address list's drop-down is a pop-up window of its own, but part of the main window,
  // as a combo box's list is on Windows.
  if (gtk_window_get_window_type(GTK_WINDOW(toplevel)) != GTK_WINDOW_POPUP) return false;
  if (gtk_window_get_transient_for(GTK_WINDOW(toplevel)) == GTK_WINDOW(state_.window)) return true;
  GtkWidget* child = gtk_bin_get_child(GTK_BIN(toplevel));
  if (child && GTK_IS_MENU(child)) {
    GtkWidget* attached = gtk_menu_get_attach_widget(GTK_MENU(child));
    return attached && gtk_widget_get_toplevel(attached) == state_.window;
  }
  return false;
}

void GtkToolkit::onGdkEvent(GdkEvent* event, gpointer self) {
  auto* toolkit = static_cast<GtkToolkit*>(self);
  gtk_main_do_event(event);
  if (event->type == GDK_BUTTON_RELEASE && event->button.button == 1 &&
      toolkit->belongsToWindow(event->any.window))
    toolkit->raise(WM_LBUTTONUP);
}

gboolean GtkToolkit::onStaticPress(GtkWidget* widget, GdkEventButton* event, gpointer self) {
  if (event->type == GDK_BUTTON_PRESS && event->button == 1)
    static_cast<GtkToolkit*>(self)->raise(EVENT_GADGET, controlNumberOf(widget), 0);
  return FALSE;
}

gboolean GtkToolkit::onEntryFocusIn(GtkWidget* widget, GdkEvent*, gpointer self) {
  static_cast<GtkToolkit*>(self)->raise(EVENT_GADGET, controlNumberOf(widget), GADGET_FOCUS);
  return FALSE;
}

gboolean GtkToolkit::onEntryFocusOut(GtkWidget* widget, GdkEvent*, gpointer self) {
  static_cast<GtkToolkit*>(self)->raise(EVENT_GADGET, controlNumberOf(widget), GADGET_LOST_FOCUS);
  return FALSE;
}

gboolean GtkToolkit::onDragDrop(GtkWidget* widget, GdkDragContext* context, gint, gint,
                                guint time, gpointer) {
  // Handled here alone: the entry's own handler would insert the text as well.
  g_signal_stop_emission_by_name(widget, "drag-drop");
  GdkAtom target = gtk_drag_dest_find_target(widget, context, nullptr);
  if (target == GDK_NONE) {
    gtk_drag_finish(context, FALSE, FALSE, time);
    return TRUE;
  }
  gtk_drag_get_data(widget, context, target, time);
  return TRUE;
}

void GtkToolkit::onDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint, gint,
                                    GtkSelectionData* data, guint info, guint time,
                                    gpointer self) {
  g_signal_stop_emission_by_name(widget, "drag-data-received");
  Event event;
  event.number = EVENT_DROP;
  event.control = controlNumberOf(widget);
  bool ok = false;
  if (info == DROP_URIS) {
    gchar** uris = gtk_selection_data_get_uris(data);
    std::string others;
    for (gchar** uri = uris; uri && *uri; ++uri) {
      // Local files arrive as paths; anything else (a link dragged from a page) as text.
      gchar* path = g_filename_from_uri(*uri, nullptr, nullptr);
      if (path) {
        event.droppedFiles.push_back(fromUtf8(path));
        g_free(path);
      } else {
        if (!others.empty()) others += '\n';
        others += *uri;
      }
    }
    g_strfreev(uris);
    if (event.droppedFiles.empty()) event.droppedText = fromUtf8(others);
    ok = !event.droppedFiles.empty() || !others.empty();
  } else if (info == DROP_TEXT) {
    guchar* text = gtk_selection_data_get_text(data);
    if (text) {
      event.droppedText = fromUtf8(reinterpret_cast<const char*>(text));
      g_free(text);
      ok = true;
    }
  }
  gtk_drag_finish(context, ok, FALSE, time);
  auto* toolkit = static_cast<GtkToolkit*>(self);
  if (ok && toolkit->queue_) toolkit->queue_->raise(event);
}

// ---- controls ----

GtkToolkit::Control* GtkToolkit::find(int control) {
  auto found = controls_.find(control);
  return found == controls_.end() ? nullptr : &found->second;
}

void GtkToolkit::dropControls() {
  for (auto& [number, control] : controls_) removeScreenCss(control.css);
  controls_.clear();
}

void GtkToolkit::place(Control& c) {
  if (!state_.client) return;
  gtk_fixed_move(GTK_FIXED(state_.client), c.top, c.rect.x, c.rect.y);
  gtk_widget_set_size_request(c.top, std::max(c.rect.w, 0), std::max(c.rect.h, 0));
  // A control squeezed to nothing is not shown (a toolbar of negative height, for one).
  gtk_widget_set_visible(c.top, c.visible && c.rect.w > 0 && c.rect.h > 0);
}

void GtkToolkit::applyStyle(Control& c) {
  const std::string id = "#halvit-control-" + std::to_string(c.number);
  const std::string font = fontCss(c.font);
  std::string css;
  switch (c.kind) {
    case ControlKind::Static:
      css = id + " { " + colourRule("background-color", c.background) + " }\n" + id +
            " label { padding: 0; " + colourRule("color", c.foreground) + font + " }\n";
      break;
    case ControlKind::ComboBox:
      // The theme's entry and button are taller than the toolbar; without this the field
      // would not fit its 23-pixel row.
      css = id + ", " + id + " * { min-height: 0; margin-top: 0; margin-bottom: 0; "
            "padding-top: 0; padding-bottom: 0; }\n" + id +
            " entry { padding-left: 3px; padding-right: 3px; " + font +
            colourRule("background-color", c.background) + colourRule("color", c.foreground) +
            " }\n" + id + " button { padding-left: 2px; padding-right: 2px; min-width: 0; }\n";
      break;
    case ControlKind::RichTextView:
      css = id + " textview { " + font + " }\n" + id + " textview, " + id + " text { " +
            colourRule("background-color", c.background) + colourRule("color", c.foreground) +
            " }\n";
      break;
  }
  if (c.css) {
    gtk_css_provider_load_from_data(c.css, css.c_str(), -1, nullptr);
  } else {
    c.css = addScreenCss(css);
  }
}

void GtkToolkit::setStaticText(Control& c, const Text& text) {
  // No label while empty: a label is a line tall, and the strip under the toolbar is 2 px.
  gtk_label_set_text(GTK_LABEL(c.inner), withoutCarriageReturns(utf8(text)).c_str());
  gtk_widget_set_visible(c.inner, !text.empty());
}

bool GtkToolkit::createControl(const ControlSpec& desc) {
  if (!state_.client) return false;
  if (Control* old = find(desc.number)) {
    gtk_widget_destroy(old->top);
    removeScreenCss(old->css);
    controls_.erase(desc.number);
  }
  Control c;
  c.number = desc.number;
  c.kind = desc.kind;
  c.rect = desc.rect;
  c.visible = !hasFlag(desc.flags, ControlFlag::Hidden);
  c.background = desc.background;
  c.foreground = desc.foreground;
  c.font = desc.font;

  switch (desc.kind) {
    case ControlKind::Static: {
      c.top = gtk_event_box_new();
      c.inner = gtk_label_new(nullptr);
      gtk_label_set_xalign(GTK_LABEL(c.inner), 0.0f);
      gtk_label_set_yalign(GTK_LABEL(c.inner), 0.0f);
      gtk_container_add(GTK_CONTAINER(c.top), c.inner);
      if (hasFlag(desc.flags, ControlFlag::ReportsClicks))
        g_signal_connect(c.top, "button-press-event", G_CALLBACK(&GtkToolkit::onStaticPress),
                         this);
      setStaticText(c, desc.text);
      break;
    }
    case ControlKind::ComboBox: {
      c.top = gtk_combo_box_text_new_with_entry();
      c.inner = gtk_bin_get_child(GTK_BIN(c.top));
      g_object_set_data(G_OBJECT(c.inner), CONTROL_KEY, GINT_TO_POINTER(desc.number));
      g_signal_connect(c.inner, "focus-in-event", G_CALLBACK(&GtkToolkit::onEntryFocusIn), this);
      g_signal_connect(c.inner, "focus-out-event", G_CALLBACK(&GtkToolkit::onEntryFocusOut),
                       this);
      gtk_entry_set_text(GTK_ENTRY(c.inner), utf8(desc.text).c_str());
      gtk_widget_show(c.inner);
      break;
    }
    case ControlKind::RichTextView: {
      c.top = gtk_scrolled_window_new(nullptr, nullptr);
      c.inner = gtk_text_view_new();
      const bool wrap = hasFlag(desc.flags, ControlFlag::WrapLines);
      gtk_text_view_set_editable(GTK_TEXT_VIEW(c.inner), FALSE);
      gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(c.inner), wrap ? GTK_WRAP_WORD : GTK_WRAP_NONE);
      gtk_text_view_set_left_margin(GTK_TEXT_VIEW(c.inner), std::max(desc.leftMargin, 0));
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(c.top),
                                     wrap ? GTK_POLICY_NEVER : GTK_POLICY_AUTOMATIC,
                                     GTK_POLICY_AUTOMATIC);
      gtk_container_add(GTK_CONTAINER(c.top), c.inner);
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.inner)),
                               utf8(desc.text).c_str(), -1);
      gtk_widget_show(c.inner);
      break;
    }
  }
  gtk_widget_set_name(c.top, ("halvit-control-" + std::to_string(desc.number)).c_str());
  g_object_set_data(G_OBJECT(c.top), CONTROL_KEY, GINT_TO_POINTER(desc.number));
  applyStyle(c);
  gtk_fixed_put(GTK_FIXED(state_.client), c.top, c.rect.x, c.rect.y);
  auto& placed = controls_[desc.number] = c;
  place(placed);
  return true;
}

void GtkToolkit::moveControl(int control, const Rect& rect) {
  if (Control* c = find(control)) {
    c->rect = rect;
    place(*c);
  }
}

void GtkToolkit::setControlText(int control, const Text& text) {
  Control* c = find(control);
  if (!c) return;
  switch (c->kind) {
    case ControlKind::Static:
      setStaticText(*c, text);
      break;
    case ControlKind::ComboBox:
      gtk_entry_set_text(GTK_ENTRY(c->inner), utf8(text).c_str());
      break;
    case ControlKind::RichTextView:
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner)),
                               utf8(text).c_str(), -1);
      break;
  }
}

Text GtkToolkit::controlText(int control) {
  Control* c = find(control);
  if (!c) return Text();
  switch (c->kind) {
    case ControlKind::Static:
      return fromGtk(gtk_label_get_text(GTK_LABEL(c->inner)));
    case ControlKind::ComboBox:
      return fromGtk(gtk_entry_get_text(GTK_ENTRY(c->inner)));
    case ControlKind::RichTextView: {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner));
      GtkTextIter start, end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
      Text result = fromGtk(text);
      g_free(text);
      return result;
    }
  }
  return Text();
}

void GtkToolkit::showControl(int control, bool visible) {
  if (Control* c = find(control)) {
    c->visible = visible;
    place(*c);
  }
}

bool GtkToolkit::controlVisible(int control) {
  Control* c = find(control);
  return c && c->visible;
}

void GtkToolkit::setControlColour(int control, int background) {
  if (Control* c = find(control)) {
    c->background = background;
    applyStyle(*c);
  }
}

void GtkToolkit::focusControl(int control) {
  if (control == CONTROL_WEB_VIEW) {
    if (state_.webView) gtk_widget_grab_focus(state_.webView);
    return;
  }
  Control* c = find(control);
  if (!c) return;
  // GTK lets a hidden widget hold the focus, as Windows does: the monitor view is used so to
  // take the focus away from the address field.
  GtkWidget* target = c->kind == ControlKind::Static ? c->top : c->inner;
  gtk_widget_grab_focus(target);
}

std::optional<int> GtkToolkit::focusedControl() {
  if (!state_.window) return std::nullopt;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(state_.window));
  if (!focus) return std::nullopt;
  if (state_.webView && (focus == state_.webView || gtk_widget_is_ancestor(focus, state_.webView)))
    return CONTROL_WEB_VIEW;
  for (auto& [number, c] : controls_)
    if (focus == c.top || gtk_widget_is_ancestor(focus, c.top)) return number;
  return std::nullopt;
}

void GtkToolkit::addListItem(int control, const Text& item) {
  Control* c = find(control);
  if (c && c->kind == ControlKind::ComboBox)
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c->top), utf8(item).c_str());
}

int GtkToolkit::selectedListIndex(int control) {
  Control* c = find(control);
  if (!c || c->kind != ControlKind::ComboBox) return -1;
  return gtk_combo_box_get_active(GTK_COMBO_BOX(c->top));
}

void GtkToolkit::enableDrops(int control) {
  Control* c = find(control);
  if (!c) return;
  GtkWidget* target = c->kind == ControlKind::ComboBox ? c->inner : c->top;
  g_object_set_data(G_OBJECT(target), CONTROL_KEY, GINT_TO_POINTER(control));
  // Files dropped from a file manager arrive as a URI list, dragged text as text; no move,
  // so a drag from another program never deletes its text.
  gtk_drag_dest_set(target, GtkDestDefaults(GTK_DEST_DEFAULT_MOTION | GTK_DEST_DEFAULT_HIGHLIGHT),
                    nullptr, 0, GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_LINK));
  GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_uri_targets(targets, DROP_URIS);
  gtk_target_list_add_text_targets(targets, DROP_TEXT);
  gtk_drag_dest_set_target_list(target, targets);
  gtk_target_list_unref(targets);
  g_signal_connect(target, "drag-drop", G_CALLBACK(&GtkToolkit::onDragDrop), this);
  g_signal_connect(target, "drag-data-received", G_CALLBACK(&GtkToolkit::onDragDataReceived),
                   this);
}

// ---- pointer, keys, dialogs, threads ----

int GtkToolkit::currentCursorHandle() {
  GdkWindow* window = state_.window ? gtk_widget_get_window(state_.window) : nullptr;
  if (!window) return CURSOR_OTHER;
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_window_get_display(window)));
  if (!pointer) return CURSOR_OTHER;
  int x = 0, y = 0;
  gdk_window_get_device_position(window, pointer, &x, &y, nullptr);
  if (pointerInside(state_.webView, state_.window, x, y)) {
    if (state_.overLink) return CURSOR_HAND;
    if (state_.overEditable) return CURSOR_IBEAM;
    return CURSOR_OTHER;
  }
  for (auto& [number, c] : controls_)
    if (c.kind == ControlKind::ComboBox && pointerInside(c.inner, state_.window, x, y))
      return CURSOR_IBEAM;
  return CURSOR_OTHER;
}

void GtkToolkit::injectKey(Key key) {
  guint keyval = 0;
  switch (key) {
    case Key::Escape:
      keyval = GDK_KEY_Escape;
      break;
  }
  GdkWindow* window = state_.window ? gtk_widget_get_window(state_.window) : nullptr;
  if (!window || !keyval) return;
  GdkDisplay* display = gdk_window_get_display(window);
  guint16 keycode = 0;
  guint8 group = 0;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys,
                                        &count) && count > 0) {
    keycode = static_cast<guint16>(keys[0].keycode);
    group = static_cast<guint8>(keys[0].group);
  }
  g_free(keys);
  GdkDevice* keyboard = gdk_seat_get_keyboard(gdk_display_get_default_seat(display));
  // Put on GDK's queue, the key reaches the window through the main loop like a typed one.
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(window));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.hardware_keycode = keycode;
    event->key.group = group;
    event->key.string = g_strdup("");
    if (keyboard) gdk_event_set_device(event, keyboard);
    gdk_event_put(event);
    gdk_event_free(event);
  }
}

void GtkToolkit::messageBox(const Text& title, const Text& text, MessageKind kind) {
  GtkWindow* parent = state_.window ? GTK_WINDOW(state_.window) : nullptr;
  GtkWidget* dialog = gtk_message_dialog_new(
      parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      kind == MessageKind::Error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
      withoutCarriageReturns(utf8(text)).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), utf8(title).c_str());
  if (kind == MessageKind::Error) {
    // GTK 3 message dialogs show no icon by themselves; an error carries one, as on Windows.
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), icon);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_widget_show(icon);
  }
  gtk_widget_show(dialog);
  raiseWithoutWindowManager(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

void GtkToolkit::invokeOnUi(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == uiThread_) {
    fn();
    return;
  }
  struct Call {
    const std::function<void()>* fn;
    std::mutex lock;
    std::condition_variable done;
    bool ran = false;
  } call;
  call.fn = &fn;
  // An idle source on the main context, never g_main_context_invoke: that would run the
  // function on this thread whenever the user-interface thread is not iterating just then.
  GSource* source = g_idle_source_new();
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(
      source,
      [](gpointer data) -> gboolean {
        auto* c = static_cast<Call*>(data);
        (*c->fn)();
        // Notified under the lock: the waiter cannot return and free `call` before this ends.
        std::lock_guard<std::mutex> hold(c->lock);
        c->ran = true;
        c->done.notify_one();
        return G_SOURCE_REMOVE;
      },
      &call, nullptr);
  g_source_attach(source, g_main_context_default());
  g_source_unref(source);
  std::unique_lock<std::mutex> hold(call.lock);
  call.done.wait(hold, [&call] { return call.ran; });
}

void GtkToolkit::release() {
  if (state_.releaseEngine) {
    auto releaseEngine = std::move(state_.releaseEngine);
    state_.releaseEngine = nullptr;
    releaseEngine();
  }
  for (auto& [number, id] : timers_) g_source_remove(id);
  timers_.clear();
  if (state_.window) gtk_widget_destroy(state_.window);
  removeScreenCss(windowCss_);
  // Let the engine's child processes hear that their views are gone before the process ends.
  const gint64 until = g_get_monotonic_time() + RELEASE_DRAIN_US;
  while (g_main_context_pending(nullptr) && g_get_monotonic_time() < until)
    g_main_context_iteration(nullptr, FALSE);
}

}  // namespace halvit::gtk
