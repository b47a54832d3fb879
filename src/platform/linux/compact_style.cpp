#include "platform/wx/native.h"

#include <gtk/gtk.h>
#include <wx/font.h>
#include <wx/window.h>

namespace kestrova::wx {
namespace {

constexpr const char* kCompactCss = R"css(
.kestrova-compact, .kestrova-compact * { font-family: "Liberation Sans", "DejaVu Sans", sans-serif; font-size: 8pt; }
button.kestrova-compact { padding: 0; min-height: 0; min-width: 0; }
button.kestrova-compact label { margin: 0; padding: 0; }
/* Room for the border and padding in the 5 pixels the entry box has in the narrowest window. */
entry.kestrova-compact { padding: 0 1px; min-height: 0; }
checkbutton.kestrova-compact { padding: 0; min-height: 0; }
checkbutton.kestrova-compact check { min-height: 12px; min-width: 12px; margin: 0 3px 0 0; }
checkbutton.kestrova-compact label { margin: 0; padding: 0; }
.kestrova-compact treeview { padding: 0; -GtkTreeView-vertical-separator: 0; }
.kestrova-compact scrollbar slider { min-height: 8px; min-width: 6px; }
.kestrova-compact scrollbar button { min-height: 0; min-width: 0; padding: 0; }
.kestrova-compact treeview.view { min-height: 0; }
frame.kestrova-compact > label { padding: 0 2px; }
)css";

}  // namespace

void InstallCompactStyle() {
  g_autoptr(GtkCssProvider) provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kCompactCss, -1, nullptr);
  // Above the application priority, where wx puts the fonts it sets on each widget.
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_USER);
}

void MakeCompact(wxWindow* window) {
  auto* widget = static_cast<GtkWidget*>(window->GetHandle());
  if (widget != nullptr) gtk_style_context_add_class(gtk_widget_get_style_context(widget), "kestrova-compact");
}

void SetAccessibleName(wxWindow* window, const char* name) {
  auto* widget = static_cast<GtkWidget*>(window->GetHandle());
  if (widget == nullptr) return;
  // A list box or browser is a scrolled window around the part that takes the focus, and a screen
  // reader announces the focused part.
  for (; widget != nullptr; widget = GTK_IS_SCROLLED_WINDOW(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr) {
    if (AtkObject* accessible = gtk_widget_get_accessible(widget)) atk_object_set_name(accessible, name);
  }
}

}  // namespace kestrova::wx
