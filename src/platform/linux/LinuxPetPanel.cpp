#include "platform/linux/LinuxPetPanel.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <cmath>
#include <memory>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCoordinates.h"
#include "platform/linux/LinuxHolderBox.h"
#include "platform/linux/LinuxXProperty.h"
#include "platform/linux/LinuxWebViewWidget.h"

namespace brindlow::lnx {

namespace {

constexpr GRect kInitialFrame{0, 0, 200, 200};
constexpr auto kPointerEvents = GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK;

int pixels(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

LinuxPetPanel::LinuxPetPanel(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack)
    : LinuxWindow(loop, std::move(stack), kInitialFrame), occlusionHandlers_(loop), backingHandlers_(loop) {
  GtkWidget* win = top_.widget();
  holder_ = holderBoxNew();
  gtk_container_add(GTK_CONTAINER(win), holder_);
  gtk_widget_show(holder_);
  top_.onContentSize = [this](int, int) { placeWebView(); };
  // Destroying the window would destroy the web view with it; the web engine still owns that.
  top_.beforeDestroy = [this] { releaseWebView(); };
  top_.applyFrame();
  top_.setCollectionBehavior(platform::canJoinAllSpaces | platform::stationary | platform::ignoresCycle);
  gtk_widget_add_events(win, kPointerEvents | GDK_VISIBILITY_NOTIFY_MASK | GDK_STRUCTURE_MASK | GDK_BUTTON_PRESS_MASK);
  connectPointerSignals(win);
  g_signal_connect(win, "map-event", G_CALLBACK(onMapChange), this);
  g_signal_connect(win, "unmap-event", G_CALLBACK(onMapChange), this);
  g_signal_connect(win, "visibility-notify-event", G_CALLBACK(onVisibility), this);
  g_signal_connect(win, "notify::scale-factor", G_CALLBACK(onScaleFactor), this);
  // Connected before the web view joins the window, so it runs before the web view's handlers.
  g_signal_connect(win, "configure-event", G_CALLBACK(onConfigure), this);
  top_.setClickThrough(true);
  screen_ = gtk_widget_get_screen(win);
  compositedHandler_ = g_signal_connect(screen_, "composited-changed", G_CALLBACK(onCompositedChanged), this);
}

LinuxPetPanel::~LinuxPetPanel() {
  *alive_ = false;
  g_signal_handler_disconnect(screen_, compositedHandler_);
  releaseWebView();
  if (GtkWidget* win = top_.widget()) g_signal_handlers_disconnect_by_data(win, this);
}

void LinuxPetPanel::connectPointerSignals(GtkWidget* widget) {
  // Run before the widget's own handlers and let the event through, so the page still gets it.
  for (const char* signal : {"motion-notify-event", "enter-notify-event", "leave-notify-event"}) {
    g_signal_connect(widget, signal, G_CALLBACK(onPointerEvent), this);
  }
  g_signal_connect(widget, "button-press-event", G_CALLBACK(onButtonPress), this);
}

void LinuxPetPanel::setAllowsKey(bool allows) {
  allowsKey_ = allows;
  GtkWidget* win = top_.widget();
  if (win == nullptr) return;
  gtk_window_set_accept_focus(GTK_WINDOW(win), allows);
  if (!allows) giveKeyBack();
}

bool LinuxPetPanel::isKey() const {
  GtkWidget* win = top_.widget();
  return win != nullptr && gtk_window_is_active(GTK_WINDOW(win));
}

// No window manager hands an override-redirect window the focus, so the panel takes it itself and
// remembers the active window to give it back to.
void LinuxPetPanel::makeKey() {
  GtkWidget* win = top_.widget();
  GdkWindow* gdkWindow = win != nullptr ? gtk_widget_get_window(win) : nullptr;
  if (!allowsKey_ || gdkWindow == nullptr || !GDK_IS_X11_WINDOW(gdkWindow) || !gtk_widget_get_visible(win)) return;
  Display* dpy = GDK_WINDOW_XDISPLAY(gdkWindow);
  if (!tookKey_) {
    const Atom active = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    const auto windows = readProperty32(dpy, DefaultRootWindow(dpy), active, XA_WINDOW);
    previousActive_ = windows.empty() ? 0 : windows.front();
  }
  tookKey_ = true;
  if (webWidget_ != nullptr) gtk_widget_grab_focus(webWidget_);
  GdkDisplay* display = gdk_window_get_display(gdkWindow);
  gdk_x11_display_error_trap_push(display);  // the window may not be viewable yet
  XSetInputFocus(dpy, GDK_WINDOW_XID(gdkWindow), RevertToPointerRoot, gdk_x11_get_server_time(gdkWindow));
  gdk_x11_display_error_trap_pop_ignored(display);
}

void LinuxPetPanel::giveKeyBack() {
  if (!std::exchange(tookKey_, false)) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(top_.widget());
  if (gdkWindow == nullptr || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  Display* dpy = GDK_WINDOW_XDISPLAY(gdkWindow);
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(dpy, &focus, &revert);
  if (focus != GDK_WINDOW_XID(gdkWindow)) return;  // the user went elsewhere meanwhile
  const ::Window previous = std::exchange(previousActive_, 0);
  if (previous == 0) {
    XSetInputFocus(dpy, PointerRoot, RevertToPointerRoot, CurrentTime);
    return;
  }
  // Through the window manager, which keeps its idea of the active window in step.
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = previous;
  e.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 2;  // from a pager-like tool: honoured without focus-stealing checks
  e.xclient.data.l[1] = static_cast<long>(gdk_x11_get_server_time(gdkWindow));
  XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

void LinuxPetPanel::setIgnoresMouseEvents(bool ignores) {
  ignoresMouseEvents_ = ignores;
  top_.setClickThrough(ignores);
}

platform::Subscription LinuxPetPanel::onOcclusionChanged(std::function<void()> handler) {
  return occlusionHandlers_.add(std::move(handler));
}

platform::Subscription LinuxPetPanel::onBackingPropertiesChanged(std::function<void()> handler) {
  return backingHandlers_.add(std::move(handler));
}

void LinuxPetPanel::setPointerActivityHandler(std::function<void()> handler) { pointerActivity_ = std::move(handler); }

void LinuxPetPanel::setWebView(platform::WebView& view) {
  GtkWidget* widget = webViewWidget(view);
  if (widget == webWidget_ || widget == nullptr) return;
  releaseWebView();
  webWidget_ = GTK_WIDGET(g_object_ref(widget));
  if (GtkWidget* parent = gtk_widget_get_parent(widget)) gtk_container_remove(GTK_CONTAINER(parent), widget);
  gtk_container_add(GTK_CONTAINER(holder_), widget);
  gtk_widget_add_events(widget, kPointerEvents);
  connectPointerSignals(widget);
  placeWebView();
  gtk_widget_show(widget);
}

void LinuxPetPanel::releaseWebView() {
  if (webWidget_ == nullptr) return;
  GtkWidget* widget = std::exchange(webWidget_, nullptr);
  g_signal_handlers_disconnect_by_data(widget, this);
  if (GtkWidget* parent = gtk_widget_get_parent(widget); parent != nullptr && parent == holder_) {
    gtk_container_remove(GTK_CONTAINER(parent), widget);
  }
  g_object_unref(widget);
}

void LinuxPetPanel::setWebViewFrame(GRect contentBottomUp, bool fillsContent) {
  webViewFrame_ = contentBottomUp;
  fillsContent_ = fillsContent;
  placeWebView();
}

GRect LinuxPetPanel::contentBounds() const {
  const GRect f = top_.frame();
  return {0, 0, f.w, f.h};
}

void LinuxPetPanel::placeWebView() {
  top_.restoreIfDisplaced();
  updateShape();
  if (webWidget_ == nullptr) return;
  const GRect content = contentBounds();
  // The holder frame is bottom-up inside the content; GTK places children top-down.
  const GRect r = fillsContent_ ? content : webViewFrame_;
  holderBoxPlace(holder_, {pixels(r.x), pixels(content.h - r.y - r.h), std::max(1, pixels(r.w)), std::max(1, pixels(r.h))});
}

void LinuxPetPanel::updateShape() {
  GtkWidget* win = top_.widget();
  if (win == nullptr) return;
  if (gdk_screen_is_composited(gtk_widget_get_screen(win))) {
    top_.setBoundingShape(nullptr);
    return;
  }
  std::unique_ptr<cairo_region_t, decltype(&cairo_region_destroy)> region(cairo_region_create(), cairo_region_destroy);
  if (webWidget_ != nullptr) {
    const GRect content = contentBounds();
    const GRect r = fillsContent_ ? content : webViewFrame_;
    const GdkRectangle cell = roundOut({r.x, content.h - r.y - r.h, r.w, r.h});
    const cairo_rectangle_int_t holder{cell.x, cell.y, cell.width, cell.height};
    cairo_region_union_rectangle(region.get(), &holder);
  }
  top_.setBoundingShape(region.get());
}

void LinuxPetPanel::onCompositedChanged(GdkScreen*, gpointer self) {
  guarded("the pet panel", [self] { static_cast<LinuxPetPanel*>(self)->updateShape(); });
}

void LinuxPetPanel::updateOcclusion() {
  // With a compositor every window reports itself unobscured, so only mapping counts there.
  const bool composited = gdk_screen_is_composited(gdk_screen_get_default());
  const bool visible = mapped_ && (composited || !fullyObscured_);
  if (visible == occlusionVisible_) return;
  occlusionVisible_ = visible;
  occlusionHandlers_.postNotify();
}

void LinuxPetPanel::pointerActivity() {
  if (activityPosted_ || !pointerActivity_) return;
  activityPosted_ = true;
  std::weak_ptr<bool> alive = alive_;
  top_.loop().post([this, alive] {
    auto a = alive.lock();
    if (!a || !*a) return;
    activityPosted_ = false;
    if (pointerActivity_) pointerActivity_();
  });
}

gboolean LinuxPetPanel::onPointerEvent(GtkWidget*, GdkEvent*, gpointer self) {
  guarded("the pet panel", [self] { static_cast<LinuxPetPanel*>(self)->pointerActivity(); });
  return FALSE;
}

gboolean LinuxPetPanel::onButtonPress(GtkWidget*, GdkEventButton*, gpointer self) {
  auto* panel = static_cast<LinuxPetPanel*>(self);
  // A click into the panel takes the keyboard back, as a window manager does for its windows.
  if (panel->allowsKey_ && !panel->isKey()) guarded("the pet panel", [panel] { panel->makeKey(); });
  return FALSE;
}

gboolean LinuxPetPanel::onMapChange(GtkWidget*, GdkEvent* event, gpointer self) {
  auto* panel = static_cast<LinuxPetPanel*>(self);
  panel->mapped_ = event->type == GDK_MAP;
  if (!panel->mapped_) panel->fullyObscured_ = false;
  if (panel->mapped_) panel->updateShape();
  guarded("the pet panel", [panel] { panel->updateOcclusion(); });
  return FALSE;
}

gboolean LinuxPetPanel::onVisibility(GtkWidget*, GdkEventVisibility* event, gpointer self) {
  auto* panel = static_cast<LinuxPetPanel*>(self);
  panel->fullyObscured_ = event->state == GDK_VISIBILITY_FULLY_OBSCURED;
  guarded("the pet panel", [panel] { panel->updateOcclusion(); });
  return FALSE;
}

// The web view looks up its monitor on every configure of its window, four X round trips each
// time, and each widening and narrowing of a walk is a move and a resize. The monitor is all it
// reads there, so it hears only the configures that bring the window onto another monitor; the
// window's own handling still runs.
gboolean LinuxPetPanel::onConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer self) {
  auto* panel = static_cast<LinuxPetPanel*>(self);
  GdkMonitor* monitor = gdk_display_get_monitor_at_point(gtk_widget_get_display(widget), event->x + event->width / 2,
                                                         event->y + event->height / 2);
  const bool same = monitor != nullptr && monitor == panel->configuredMonitor_;
  panel->configuredMonitor_ = monitor;
  if (!same || panel->webWidget_ == nullptr) return FALSE;
  GtkWidgetClass* klass = GTK_WIDGET_GET_CLASS(widget);
  if (klass->configure_event != nullptr) klass->configure_event(widget, event);
  return TRUE;  // handled: the handlers connected later do not run
}

void LinuxPetPanel::onScaleFactor(GObject*, GParamSpec*, gpointer self) {
  auto* panel = static_cast<LinuxPetPanel*>(self);
  guarded("the pet panel", [panel] { panel->backingHandlers_.postNotify(); });
}

}  // namespace brindlow::lnx
