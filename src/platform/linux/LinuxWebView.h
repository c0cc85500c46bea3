#pragma once
#include <memory>
#include <optional>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "platform/WebView.h"
#include "platform/linux/LinuxWebViewConfig.h"

namespace brindlow::lnx {

// A transparent WebKitGTK view with no context menu. Only the main frame may hold a document:
// every other frame's main resource is refused. That is the second wall around the channels; the
// first, which also holds for frames that never load a resource, is the frame guard (see
// LinuxWebViewConfig).
class LinuxWebView final : public platform::WebView {
 public:
  explicit LinuxWebView(std::shared_ptr<LinuxWebViewConfig> config);
  ~LinuxWebView() override;
  LinuxWebView(const LinuxWebView&) = delete;
  LinuxWebView& operator=(const LinuxWebView&) = delete;

  void loadUrl(std::string_view url, platform::Seconds timeout) override;
  void stopLoading() override;
  // The arguments travel as JSON text under "<name>_json" (the engine takes only numbers, strings
  // and dictionaries); a prologue parses each back into its own name before `body` runs.
  void callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                         std::function<void(bool ok)> done) override;
  void setNavigationHandlers(std::optional<platform::NavigationHandlers> handlers) override;

  GtkWidget* widget() const { return GTK_WIDGET(view_); }

 private:
  static gboolean onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                 gpointer self);
  static void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
  static void onWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason reason, gpointer self);
  static gboolean onContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                WebKitHitTestResult* hit, gpointer self);
  static gboolean onLoadTimeout(gpointer self);
  void cancelLoadTimeout();

  std::shared_ptr<LinuxWebViewConfig> config_;
  WebKitWebView* view_;
  web::ObjectPtr<GCancellable> cancellable_;
  std::optional<platform::NavigationHandlers> handlers_;
  guint loadTimeout_ = 0;
};

}  // namespace brindlow::lnx
