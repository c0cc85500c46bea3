#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include "platform/StatusItem.h"

namespace brindlow::lnx {

// A decoded picture, already scaled to its size in device pixels.
class LinuxImage final : public platform::Image {
 public:
  explicit LinuxImage(GdkPixbuf* pixbuf) : pixbuf_(pixbuf) {}  // takes the reference
  ~LinuxImage() override { g_object_unref(pixbuf_); }
  LinuxImage(const LinuxImage&) = delete;
  LinuxImage& operator=(const LinuxImage&) = delete;
  GdkPixbuf* pixbuf() const { return pixbuf_; }

 private:
  GdkPixbuf* pixbuf_;
};

// A GtkMenu built from the model; choosing an item runs its onSelect from the main loop.
GtkWidget* buildMenu(const platform::MenuModel& model);

// The tray item: an ayatana app indicator. Hosts read the exported menu whenever they like and
// seldom say when it opens, so the menu is rebuilt from the provider (on a later turn) whenever the
// core says what it shows has changed. The hint is a desktop notification. Registered with a
// StatusNotifier host, the button's place on screen is never known; without one, the library falls
// back to an XEmbed tray icon, which is seen once a tray embeds it, at the place the tray gives it.
class LinuxStatusItem final : public platform::StatusItem {
 public:
  LinuxStatusItem(std::string applicationId, std::optional<std::string> iconDirectory);
  ~LinuxStatusItem() override;
  LinuxStatusItem(const LinuxStatusItem&) = delete;
  LinuxStatusItem& operator=(const LinuxStatusItem&) = delete;

  bool hasButton() const override { return indicator_ != nullptr; }
  void setLength(double) override {}  // an indicator sizes itself
  void setImage(std::shared_ptr<platform::Image> image) override;
  void setSymbolImage(std::string_view symbol, std::string_view description) override;
  void setTitle(std::string_view title, platform::ImagePosition position) override;
  void setToolTip(std::string_view tip) override;
  void setMenuProvider(std::function<platform::MenuModel()> provider) override;
  void invalidateMenu() override;
  bool isVisible() const override { return registered_ || embedded(); }
  std::optional<GRect> buttonScreenRect() const override;
  bool knowsButtonGeometry() const override { return !registered_; }
  bool buttonWindowVisibleAndUnoccluded() const override { return isVisible(); }
  void showHint(std::string_view text) override;
  void closeHint() override;
  void remove() override;

 private:
  struct Hint;
  static void onConnectionChanged(AppIndicator* indicator, gboolean connected, gpointer self);
  friend struct FallbackWatch;
  // The library's own XEmbed icon, while it stands in for a StatusNotifier host; null otherwise.
  void setFallbackIcon(GtkStatusIcon* icon);
  bool embedded() const;
  static gboolean onRebuild(gpointer self);
  void rebuildMenu();
  void setMenu(GtkWidget* menu);

  std::string applicationId_;
  std::optional<std::string> iconDirectory_;
  AppIndicator* indicator_ = nullptr;
  GtkWidget* menu_ = nullptr;
  std::function<platform::MenuModel()> provider_;
  guint rebuild_ = 0;
  bool registered_ = false;
  GtkStatusIcon* fallbackIcon_ = nullptr;  // owned by the indicator
  std::string description_;
  std::string tip_;
  std::string iconPath_;
  int nextFace_ = 0;
  std::shared_ptr<Hint> hint_;
};

}  // namespace brindlow::lnx
