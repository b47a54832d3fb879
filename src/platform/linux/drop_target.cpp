#include "platform/wx/native.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/window.h>

#include "platform/linux/object_data.h"
#include "playlist/list_editing.h"

namespace kestrova::wx {
namespace {

// The drop belongs to the program alone. The entry's own handling would insert dropped text into
// the box and ask another program for data that is not to be read; so the drag over the box is
// answered here, and the drop is decided by where its drag began, without asking for any data.
// Returning TRUE keeps the entry's own handlers from running.
struct EntryDrops {
  Form2& form;
  ControlFinder find_control;
};

gboolean OnDragMotion(GtkWidget*, GdkDragContext* context, gint, gint, guint time, gpointer) {
  // A copy, so that a drag from a box of our own leaves the source's text where it was.
  const bool copy_offered = (gdk_drag_context_get_actions(context) & GDK_ACTION_COPY) != 0;
  gdk_drag_status(context, copy_offered ? GDK_ACTION_COPY : gdk_drag_context_get_suggested_action(context), time);
  return TRUE;
}

gboolean OnDragDrop(GtkWidget*, GdkDragContext* context, gint, gint, guint time, gpointer data) {
  auto* drops = static_cast<EntryDrops*>(data);
  // The drag may start on an inner widget (the list box's tree view).
  const Control* control = nullptr;
  for (GtkWidget* w = gtk_drag_get_source_widget(context); w != nullptr && control == nullptr;
       w = gtk_widget_get_parent(w))
    control = drops->find_control(w);
  gtk_drag_finish(context, DropIsFromThisWindow(control), FALSE, time);
  // The handlers may show a modal box: let the drag finish first.
  wxTheApp->CallAfter([&form = drops->form, control] { txtItemToAdd_Drop(form, control); });
  return TRUE;
}

}  // namespace

void InstallDropTarget(wxWindow* target, Form2& form, ControlFinder find_control) {
  GtkWidget* entry = target->GetConnectWidget();
  auto* drops = KeepOnObject<EntryDrops>(entry, "kestrova-drops", form, std::move(find_control));
  // No targets and no default handling: whatever is offered, the handlers below decide.
  gtk_drag_dest_set(entry, GTK_DEST_DEFAULT_HIGHLIGHT, nullptr, 0, GDK_ACTION_COPY);
  g_signal_connect(entry, "drag-motion", G_CALLBACK(OnDragMotion), nullptr);
  g_signal_connect(entry, "drag-drop", G_CALLBACK(OnDragDrop), drops);
}

}  // namespace kestrova::wx
