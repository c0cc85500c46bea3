#include "platform/linux/LinuxSchemeTask.h"

#include <strings.h>

#include <libsoup/soup.h>

namespace brindlow::lnx {

LinuxSchemeTask::LinuxSchemeTask(WebKitURISchemeRequest* request)
    : request_(WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request))) {}

LinuxSchemeTask::~LinuxSchemeTask() {
  if (!request_) return;
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_FAILED, "no response");
  webkit_uri_scheme_request_finish_error(request_, error);
  g_error_free(error);
  g_object_unref(request_);
}

std::optional<std::string> LinuxSchemeTask::requestUrl() const {
  if (!request_) return std::nullopt;
  const char* uri = webkit_uri_scheme_request_get_uri(request_);
  if (!uri) return std::nullopt;
  return std::string(uri);
}

void LinuxSchemeTask::respond(int status, platform::HttpHeaders headers, std::vector<uint8_t> body) {
  if (!request_) return;
  GBytes* bytes = g_bytes_new(body.data(), body.size());
  GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
  WebKitURISchemeResponse* response =
      webkit_uri_scheme_response_new(stream, static_cast<gint64>(g_bytes_get_size(bytes)));
  webkit_uri_scheme_response_set_status(response, static_cast<guint>(status),
                                        soup_status_get_phrase(static_cast<guint>(status)));
  SoupMessageHeaders* soupHeaders = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  for (const auto& [name, value] : headers) {
    if (strcasecmp(name.c_str(), "Content-Type") == 0)
      webkit_uri_scheme_response_set_content_type(response, value.c_str());
    soup_message_headers_append(soupHeaders, name.c_str(), value.c_str());
  }
  webkit_uri_scheme_response_set_http_headers(response, soupHeaders);  // takes the headers
  webkit_uri_scheme_request_finish_with_response(request_, response);
  g_object_unref(response);
  g_object_unref(stream);
  g_bytes_unref(bytes);
  g_object_unref(request_);
  request_ = nullptr;
}

}  // namespace brindlow::lnx
