#pragma once
#include <gtk/gtk.h>

namespace brindlow::lnx {

// A container for one child placed at a rectangle of its own. It asks for no size, so the top level
// is exactly as large as we make it, and it moves the child by allocating it at once: moving the web
// view inside a still window queues no resize of the top level, which would re-read the window's
// geometry from the X server on every step.
GtkWidget* holderBoxNew();
// `rect` is in the box's top-down coordinates.
void holderBoxPlace(GtkWidget* box, GdkRectangle rect);

}  // namespace brindlow::lnx
