#pragma once
typedef struct _GtkWidget GtkWidget;
namespace brindlow::platform { class WebView; }
namespace brindlow::lnx { GtkWidget* webViewWidget(platform::WebView& view); }
