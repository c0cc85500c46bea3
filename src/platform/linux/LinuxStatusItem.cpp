#include "platform/linux/LinuxStatusItem.h"

#include <exception>
#include <utility>

#include "platform/linux/LinuxCoordinates.h"

namespace brindlow::lnx {
namespace {

constexpr const char* kPawIcon = "brindlow-paw-symbolic";
constexpr gint kHintMilliseconds = 8000;

void runSelect(GtkMenuItem*, gpointer data) {
  // Copied: the action may rebuild the menu that holds this item.
  auto select = *static_cast<std::function<void()>*>(data);
  try {
    if (select) select();
  } catch (const std::exception&) {
    // Nothing may unwind into GTK.
  }
}

void freeSelect(gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); }

GtkWidget* buildItem(const platform::MenuItemModel& model) {
  using Kind = platform::MenuItemModel::Kind;
  if (model.kind == Kind::separator) return gtk_separator_menu_item_new();
  GtkWidget* item = nullptr;
  if (model.kind == Kind::action && model.checked) {
    item = gtk_check_menu_item_new_with_label(model.title.c_str());
    // Setting the mark emits "activate": done before the action is connected.
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
  } else {
    item = gtk_menu_item_new_with_label(model.title.c_str());
  }
  gtk_widget_set_sensitive(item, model.enabled && model.kind != Kind::label);
  if (model.kind == Kind::submenu) {
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), buildMenu(model.children));
  } else if (model.kind == Kind::action && model.onSelect) {
    g_signal_connect_data(item, "activate", G_CALLBACK(runSelect), new std::function<void()>(model.onSelect),
                          freeSelect, GConnectFlags(0));
  }
  if (!model.keyEquivalent.empty()) {
    // Shown as a hint; it works while a popped-up menu holds the keyboard.
    const guint key = gdk_unicode_to_keyval(g_utf8_get_char(model.keyEquivalent.c_str()));
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(item)); GTK_IS_ACCEL_LABEL(label))
      gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, GDK_CONTROL_MASK);
  }
  return item;
}

}  // namespace

GtkWidget* buildMenu(const platform::MenuModel& model) {
  GtkWidget* menu = gtk_menu_new();
  for (const auto& entry : model) gtk_menu_shell_append(GTK_MENU_SHELL(menu), buildItem(entry));
  gtk_widget_show_all(menu);
  return menu;
}

// The notification standing for the hint. Replies from the notification server arrive later and
// may find the item gone or the hint replaced; `generation` tells which answer is still wanted.
struct LinuxStatusItem::Hint {
  GDBusConnection* bus = nullptr;
  bool markup = false;
  guint32 id = 0;
  unsigned generation = 0;
  bool shown = false;
  ~Hint() {
    if (bus) g_object_unref(bus);
  }
};

namespace {

struct NotifyCall {
  std::weak_ptr<void> hint;  // LinuxStatusItem::Hint
  unsigned generation = 0;
  GDBusConnection* bus = nullptr;
};

void closeNotification(GDBusConnection* bus, guint32 id) {
  g_dbus_connection_call(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                         "org.freedesktop.Notifications", "CloseNotification", g_variant_new("(u)", id), nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
}

}  // namespace

// The indicator class with its fallback hooks overridden, so that the item learns which icon the
// library made for an XEmbed tray (the hooks are the library's documented way to change the fallback).
struct FallbackWatch {
  static constexpr const char* kItemKey = "brindlow-status-item";
  static inline GtkStatusIcon* (*parentFallback)(AppIndicator*) = nullptr;
  static inline void (*parentUnfallback)(AppIndicator*, GtkStatusIcon*) = nullptr;

  static GType type() {
    static const GType type = [] {
      GTypeQuery query;
      g_type_query(APP_INDICATOR_TYPE, &query);
      return g_type_register_static_simple(APP_INDICATOR_TYPE, "BrindlowIndicator", query.class_size, classInit,
                                           query.instance_size, nullptr, GTypeFlags(0));
    }();
    return type;
  }

  static void classInit(gpointer klass, gpointer) {
    auto* c = APP_INDICATOR_CLASS(klass);
    parentFallback = c->fallback;
    parentUnfallback = c->unfallback;
    c->fallback = fallback;
    c->unfallback = unfallback;
  }

  static LinuxStatusItem* itemOf(AppIndicator* indicator) {
    return static_cast<LinuxStatusItem*>(g_object_get_data(G_OBJECT(indicator), kItemKey));
  }

  static GtkStatusIcon* fallback(AppIndicator* indicator) {
    GtkStatusIcon* icon = parentFallback != nullptr ? parentFallback(indicator) : nullptr;
    if (auto* item = itemOf(indicator)) item->setFallbackIcon(icon);
    return icon;
  }

  static void unfallback(AppIndicator* indicator, GtkStatusIcon* icon) {
    if (auto* item = itemOf(indicator)) item->setFallbackIcon(nullptr);
    if (parentUnfallback != nullptr) parentUnfallback(indicator, icon);
  }
};

LinuxStatusItem::LinuxStatusItem(std::string applicationId, std::optional<std::string> iconDirectory)
    : applicationId_(std::move(applicationId)), iconDirectory_(std::move(iconDirectory)) {
  // Our own symbolic paw stands for the system's "pawprint.fill". What app_indicator_new does, on
  // the class that watches the fallback.
  indicator_ = APP_INDICATOR(g_object_new(FallbackWatch::type(), "id", applicationId_.c_str(), "category",
                                          "ApplicationStatus", "icon-name", kPawIcon, "icon-theme-path",
                                          iconDirectory_ ? iconDirectory_->c_str() : nullptr, nullptr));
  g_object_set_data(G_OBJECT(indicator_), FallbackWatch::kItemKey, this);
  g_signal_connect(indicator_, APP_INDICATOR_SIGNAL_CONNECTION_CHANGED, G_CALLBACK(onConnectionChanged), this);
  // Without a menu an indicator is not shown at all.
  setMenu(buildMenu({}));
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);

  hint_ = std::make_shared<Hint>();
  hint_->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (hint_->bus) {
    auto* call = new NotifyCall{hint_, 0, nullptr};
    g_dbus_connection_call(
        hint_->bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "GetCapabilities", nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE,
        -1, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          std::unique_ptr<NotifyCall> call(static_cast<NotifyCall*>(data));
          GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
          if (!reply) return;
          auto hint = std::static_pointer_cast<Hint>(call->hint.lock());
          GVariantIter* caps = nullptr;
          const char* cap = nullptr;
          g_variant_get(reply, "(as)", &caps);
          while (g_variant_iter_loop(caps, "&s", &cap))
            if (hint && g_strcmp0(cap, "body-markup") == 0) hint->markup = true;
          g_variant_iter_free(caps);
          g_variant_unref(reply);
        },
        call);
  }
}

LinuxStatusItem::~LinuxStatusItem() { remove(); }

void LinuxStatusItem::onConnectionChanged(AppIndicator*, gboolean connected, gpointer self) {
  static_cast<LinuxStatusItem*>(self)->registered_ = connected;
}

void LinuxStatusItem::setFallbackIcon(GtkStatusIcon* icon) { fallbackIcon_ = icon; }

G_GNUC_BEGIN_IGNORE_DEPRECATIONS  // GtkStatusIcon is what the library's fallback is made of

bool LinuxStatusItem::embedded() const {
  return fallbackIcon_ != nullptr && gtk_status_icon_is_embedded(fallbackIcon_);
}

std::optional<GRect> LinuxStatusItem::buttonScreenRect() const {
  GdkRectangle area{};
  if (registered_ || !embedded() || !gtk_status_icon_get_geometry(fallbackIcon_, nullptr, &area, nullptr))
    return std::nullopt;
  return rootToPage(GRect{double(area.x), double(area.y), double(area.width), double(area.height)});
}

G_GNUC_END_IGNORE_DEPRECATIONS

void LinuxStatusItem::setMenu(GtkWidget* menu) {
  g_object_ref_sink(menu);
  app_indicator_set_menu(indicator_, GTK_MENU(menu));
  if (menu_) {
    gtk_widget_destroy(menu_);
    g_object_unref(menu_);
  }
  menu_ = menu;
}

void LinuxStatusItem::setImage(std::shared_ptr<platform::Image> image) {
  auto* face = dynamic_cast<LinuxImage*>(image.get());
  if (!indicator_ || !face) return;
  // Hosts cache icons by name: two names taken in turn make each new face load.
  gchar* dir = g_build_filename(g_get_user_runtime_dir(), applicationId_.c_str(), nullptr);
  g_mkdir_with_parents(dir, 0700);
  const std::string name = nextFace_ == 0 ? "face-a.png" : "face-b.png";
  gchar* path = g_build_filename(dir, name.c_str(), nullptr);
  g_free(dir);
  if (gdk_pixbuf_save(face->pixbuf(), path, "png", nullptr, nullptr)) {
    nextFace_ = 1 - nextFace_;
    iconPath_ = path;
    app_indicator_set_icon_full(indicator_, path, (description_.empty() ? tip_ : description_).c_str());
  }
  g_free(path);
}

void LinuxStatusItem::setSymbolImage(std::string_view symbol, std::string_view description) {
  if (!indicator_) return;
  description_ = std::string(description);
  iconPath_.clear();
  app_indicator_set_icon_full(indicator_, std::string(symbol).c_str(), description_.c_str());
}

void LinuxStatusItem::setTitle(std::string_view title, platform::ImagePosition) {
  if (!indicator_) return;
  const std::string text(title);
  app_indicator_set_label(indicator_, text.c_str(), text.c_str());
}

void LinuxStatusItem::setToolTip(std::string_view tip) {
  if (!indicator_) return;
  tip_ = std::string(tip);
  app_indicator_set_title(indicator_, tip_.c_str());  // the nearest thing an indicator has
}

void LinuxStatusItem::setMenuProvider(std::function<platform::MenuModel()> provider) {
  provider_ = std::move(provider);
  invalidateMenu();
}

void LinuxStatusItem::invalidateMenu() {
  if (!indicator_ || rebuild_) return;
  rebuild_ = g_idle_add(onRebuild, this);  // never inside the core's call; coalesced
}

gboolean LinuxStatusItem::onRebuild(gpointer self) {
  auto* item = static_cast<LinuxStatusItem*>(self);
  item->rebuild_ = 0;
  try {
    item->rebuildMenu();
  } catch (const std::exception&) {
    // The old menu stays.
  }
  return G_SOURCE_REMOVE;
}

void LinuxStatusItem::rebuildMenu() {
  if (!indicator_ || !provider_) return;
  auto provider = provider_;
  const platform::MenuModel model = provider();
  if (indicator_) setMenu(buildMenu(model));
}

void LinuxStatusItem::showHint(std::string_view text) {
  if (!indicator_ || !hint_->bus) return;
  const unsigned generation = ++hint_->generation;
  hint_->shown = true;
  const std::string plain(text);
  gchar* body = hint_->markup ? g_markup_escape_text(plain.c_str(), -1) : g_strdup(plain.c_str());
  const std::string& name = tip_.empty() ? applicationId_ : tip_;
  const std::string icon = !iconPath_.empty() ? iconPath_ : kPawIcon;
  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&hints, "{sv}", "transient", g_variant_new_boolean(TRUE));
  g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(0));
  GVariant* params = g_variant_new("(susss@asa{sv}i)", name.c_str(), hint_->id, icon.c_str(), name.c_str(), body,
                                   g_variant_new_strv(nullptr, 0), &hints, kHintMilliseconds);
  g_free(body);
  auto* call = new NotifyCall{hint_, generation, G_DBUS_CONNECTION(g_object_ref(hint_->bus))};
  g_dbus_connection_call(
      hint_->bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
      "Notify", params, G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<NotifyCall> call(static_cast<NotifyCall*>(data));
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        if (reply) {
          guint32 id = 0;
          g_variant_get(reply, "(u)", &id);
          g_variant_unref(reply);
          auto hint = std::static_pointer_cast<Hint>(call->hint.lock());
          if (hint && hint->shown && hint->generation == call->generation)
            hint->id = id;
          else if (!hint || id != hint->id)
            closeNotification(call->bus, id);  // closed or replaced while it was on its way
        }
        g_object_unref(call->bus);
      },
      call);
}

void LinuxStatusItem::closeHint() {
  if (!hint_ || !hint_->shown) return;
  hint_->shown = false;
  ++hint_->generation;
  if (hint_->bus && hint_->id) closeNotification(hint_->bus, hint_->id);
  hint_->id = 0;
}

void LinuxStatusItem::remove() {
  if (!indicator_) return;
  closeHint();
  if (rebuild_) g_source_remove(rebuild_);
  rebuild_ = 0;
  g_signal_handlers_disconnect_by_data(indicator_, this);
  g_object_set_data(G_OBJECT(indicator_), FallbackWatch::kItemKey, nullptr);
  fallbackIcon_ = nullptr;
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
  g_object_unref(indicator_);
  indicator_ = nullptr;
  registered_ = false;
  if (menu_) {
    gtk_widget_destroy(menu_);
    g_object_unref(menu_);
  }
  menu_ = nullptr;
}

}  // namespace brindlow::lnx
