#include "platform/linux/LinuxHolderBox.h"

namespace {

struct BrindlowHolderBox {
  GtkContainer parent;
  GtkWidget* child;
  GdkRectangle rect;
};

struct BrindlowHolderBoxClass {
  GtkContainerClass parent_class;
};

// NOLINTNEXTLINE: the GObject type boilerplate
G_DEFINE_TYPE(BrindlowHolderBox, brindlow_holder_box, GTK_TYPE_CONTAINER)

BrindlowHolderBox* asBox(gpointer p) {
  return G_TYPE_CHECK_INSTANCE_CAST(p, brindlow_holder_box_get_type(), BrindlowHolderBox);
}

void allocateChild(BrindlowHolderBox* box) {
  if (box->child == nullptr || !gtk_widget_get_visible(box->child)) return;
  GtkAllocation own;
  gtk_widget_get_allocation(GTK_WIDGET(box), &own);
  GtkRequisition minimum;
  gtk_widget_get_preferred_size(box->child, &minimum, nullptr);  // GTK wants a size asked before one is given
  GtkAllocation a{own.x + box->rect.x, own.y + box->rect.y, box->rect.width, box->rect.height};
  gtk_widget_size_allocate(box->child, &a);
}

void preferredSize(GtkWidget*, gint* minimum, gint* natural) {
  *minimum = 1;
  *natural = 1;
}

void sizeAllocate(GtkWidget* widget, GtkAllocation* allocation) {
  gtk_widget_set_allocation(widget, allocation);
  allocateChild(asBox(widget));
}

void add(GtkContainer* container, GtkWidget* child) {
  BrindlowHolderBox* box = asBox(container);
  if (box->child != nullptr) return;
  box->child = child;
  gtk_widget_set_parent(child, GTK_WIDGET(container));
}

void remove(GtkContainer* container, GtkWidget* child) {
  BrindlowHolderBox* box = asBox(container);
  if (box->child != child) return;
  gtk_widget_unparent(child);
  box->child = nullptr;
}

void forall(GtkContainer* container, gboolean, GtkCallback callback, gpointer data) {
  if (GtkWidget* child = asBox(container)->child) callback(child, data);
}

void brindlow_holder_box_class_init(BrindlowHolderBoxClass* klass) {
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
  widget->get_preferred_width = preferredSize;
  widget->get_preferred_height = preferredSize;
  widget->size_allocate = sizeAllocate;
  GtkContainerClass* container = GTK_CONTAINER_CLASS(klass);
  container->add = add;
  container->remove = remove;
  container->forall = forall;
}

void brindlow_holder_box_init(BrindlowHolderBox* box) {
  gtk_widget_set_has_window(GTK_WIDGET(box), FALSE);
  box->child = nullptr;
  box->rect = {0, 0, 1, 1};
}

}  // namespace

namespace brindlow::lnx {

GtkWidget* holderBoxNew() { return GTK_WIDGET(g_object_new(brindlow_holder_box_get_type(), nullptr)); }

void holderBoxPlace(GtkWidget* widget, GdkRectangle rect) {
  BrindlowHolderBox* box = asBox(widget);
  if (box->rect.x == rect.x && box->rect.y == rect.y && box->rect.width == rect.width &&
      box->rect.height == rect.height) {
    return;
  }
  box->rect = rect;
  // Before the first allocation the top level's own layout places the child.
  if (gtk_widget_get_realized(widget)) allocateChild(box);
}

}  // namespace brindlow::lnx
