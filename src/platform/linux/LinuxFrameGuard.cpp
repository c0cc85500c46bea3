#include "platform/linux/LinuxFrameGuard.h"

#include <exception>
#include <utility>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/webext/FrameGuardProtocol.h"

namespace brindlow::lnx {
namespace {

// The folder, under the program's prefix or beside it in the build tree, that holds the guard's module
// and nothing else: WebKit loads every module it finds there. Set by the build.
constexpr const char* kDirectory = BRINDLOW_FRAME_GUARD_DIR;

GVariant* namesVariant(const std::vector<std::string>& names) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE_STRING_ARRAY);
  for (const std::string& name : names) g_variant_builder_add(&builder, "s", name.c_str());
  return g_variant_builder_end(&builder);
}

}  // namespace

LinuxFrameGuard::LinuxFrameGuard(WebKitWebContext* context, std::function<Channels()> channels)
    : context_(context), channels_(std::move(channels)) {
  initializeSignal_ = g_signal_connect(context_, "initialize-web-extensions", G_CALLBACK(onInitialize), this);
}

LinuxFrameGuard::~LinuxFrameGuard() {
  g_signal_handler_disconnect(context_, initializeSignal_);
  unwatch();
}

std::string LinuxFrameGuard::moduleDirectory() { return folderBesideProgram(kDirectory); }

void LinuxFrameGuard::watch(WebKitWebView* view) {
  unwatch();
  state_ = State::unknown;
  if (!view) return;
  view_ = view;
  g_object_add_weak_pointer(G_OBJECT(view_), &view_);
  messageSignal_ = g_signal_connect(view, "user-message-received", G_CALLBACK(onUserMessage), this);
}

void LinuxFrameGuard::unwatch() {
  if (!view_) return;
  g_signal_handler_disconnect(view_, messageSignal_);
  g_object_remove_weak_pointer(G_OBJECT(view_), &view_);
  view_ = nullptr;
}

void LinuxFrameGuard::onInitialize(WebKitWebContext* context, gpointer data) {
  auto* self = static_cast<LinuxFrameGuard*>(data);
  const std::string directory = moduleDirectory();
  if (directory.empty()) {
    g_warning("no frame guard in %s beside the program: the page's channels stay closed", kDirectory);
    return;
  }
  webkit_web_context_set_web_extensions_directory(context, directory.c_str());
  Channels channels;
  try {
    if (self->channels_) channels = self->channels_();
  } catch (const std::exception&) {
    // Without names the guard still closes every subframe; it only offers no stand-ins there.
  }
  GVariant* names[] = {namesVariant(channels.posts), namesVariant(channels.calls)};
  webkit_web_context_set_web_extensions_initialization_user_data(context, g_variant_new_tuple(names, 2));
}

gboolean LinuxFrameGuard::onUserMessage(WebKitWebView*, WebKitUserMessage* message, gpointer data) {
  auto* self = static_cast<LinuxFrameGuard*>(data);
  if (g_strcmp0(webkit_user_message_get_name(message), frameguard::kStateMessage) != 0) return FALSE;
  GVariant* parameters = webkit_user_message_get_parameters(message);
  gboolean closing = FALSE;
  if (parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) g_variant_get(parameters, "(b)", &closing);
  // One frame left open is enough to stop trusting anything from this view.
  if (self->state_ == State::broken) return TRUE;
  self->state_ = closing ? State::closing : State::broken;
  if (!closing) g_warning("the frame guard left a frame's channels open: the page's channels stay closed");
  return TRUE;
}

}  // namespace brindlow::lnx
