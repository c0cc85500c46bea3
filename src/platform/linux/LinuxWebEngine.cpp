#include "platform/linux/LinuxWebEngine.h"

#include "platform/linux/LinuxWebView.h"

namespace brindlow::lnx {

namespace {

// The page is one small pet: WebKit counts its web process at under 10 MiB, so a few dozen more is
// a leak, not a need. Past the conservative share of the limit WebKit drops caches and collects
// garbage; past the strict share it does so at once. No kill threshold: losing the page would lose
// the pet.
constexpr guint kWebProcessLimitMiB = 64;
constexpr guint kNetworkProcessLimitMiB = 32;
constexpr double kConservativeShare = 0.5;
constexpr double kStrictShare = 0.75;

struct PressureSettingsFree {
  void operator()(WebKitMemoryPressureSettings* settings) const { webkit_memory_pressure_settings_free(settings); }
};
using PressureSettingsPtr = std::unique_ptr<WebKitMemoryPressureSettings, PressureSettingsFree>;

PressureSettingsPtr pressureSettings(guint limitMiB) {
  PressureSettingsPtr settings(webkit_memory_pressure_settings_new());
  webkit_memory_pressure_settings_set_memory_limit(settings.get(), limitMiB);
  // The conservative share must stay below the strict one at each call.
  webkit_memory_pressure_settings_set_strict_threshold(settings.get(), kStrictShare);
  webkit_memory_pressure_settings_set_conservative_threshold(settings.get(), kConservativeShare);
  return settings;
}

// An ephemeral context (nothing kept on disk) whose web and network processes run with a memory limit.
// The network process takes its settings from the data manager, which must be made after them.
WebKitWebContext* boundedContext() {
  webkit_website_data_manager_set_memory_pressure_settings(pressureSettings(kNetworkProcessLimitMiB).get());
  web::ObjectPtr<WebKitWebsiteDataManager> data(webkit_website_data_manager_new_ephemeral());
  const PressureSettingsPtr web = pressureSettings(kWebProcessLimitMiB);
  return WEBKIT_WEB_CONTEXT(g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", data.get(),
                                         "memory-pressure-settings", web.get(), nullptr));
}

}  // namespace

LinuxWebEngine::LinuxWebEngine() : context_(boundedContext()) {}

std::shared_ptr<platform::WebViewConfig> LinuxWebEngine::makeConfiguration() {
  return std::make_shared<LinuxWebViewConfig>(context_.get());
}

std::unique_ptr<platform::WebView> LinuxWebEngine::createWebView(std::shared_ptr<platform::WebViewConfig> config) {
  auto own = std::dynamic_pointer_cast<LinuxWebViewConfig>(std::move(config));
  if (!own) return nullptr;
  return std::make_unique<LinuxWebView>(std::move(own));
}

}  // namespace brindlow::lnx
