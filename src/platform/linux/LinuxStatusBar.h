#pragma once
#include <optional>
#include <string>

#include <gtk/gtk.h>

#include "platform/StatusBar.h"

namespace brindlow::lnx {

// The tray, as ayatana app indicators, and menus popped up at the pointer.
class LinuxStatusBar final : public platform::StatusBar {
 public:
  // `iconDirectory` holds the shipped symbolic icons ("brindlow-paw-symbolic").
  LinuxStatusBar(std::string applicationId, std::optional<std::string> iconDirectory);
  ~LinuxStatusBar() override;
  LinuxStatusBar(const LinuxStatusBar&) = delete;
  LinuxStatusBar& operator=(const LinuxStatusBar&) = delete;

  std::unique_ptr<platform::StatusItem> createSquareItem() override;
  // Scaled to the size in device pixels of the primary monitor; null when gdk-pixbuf cannot read it.
  std::shared_ptr<platform::Image> decodeImage(const std::vector<uint8_t>& png, double widthPt,
                                               double heightPt) override;
  // At the pointer, wherever it is: the view only names where the request came from.
  void popUpMenu(platform::MenuModel menu, platform::PetPanel* inView) override;

 private:
  static void onDeactivate(GtkMenuShell* menu, gpointer self);

  std::string applicationId_;
  std::optional<std::string> iconDirectory_;
  GtkWidget* popup_ = nullptr;
};

}  // namespace brindlow::lnx
