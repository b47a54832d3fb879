// The floor: the least that any program showing these pages with this engine costs. One
// WebKitWebView in a GTK window and nothing else, with the program's settings (the sandbox, no
// compositing, each page asked of its server afresh with the same headers), showing the pages of
// a list one after another at an interval.
//   kestrova_floor LIST SECONDS
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> urls;
std::size_t next = 0;

gboolean Visit(gpointer view) {
  g_autoptr(WebKitURIRequest) request = webkit_uri_request_new(urls[next].c_str());
  if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request)) {
    soup_message_headers_replace(headers, "Cache-Control", "no-cache");
    soup_message_headers_replace(headers, "Pragma", "no-cache");
    soup_message_headers_replace(headers, "If-Modified-Since", "Thu, 01 Jan 1970 00:00:00 GMT");
  }
  webkit_web_view_load_request(WEBKIT_WEB_VIEW(view), request);
  next = (next + 1) % urls.size();
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  gtk_init(&argc, &argv);
  g_autofree gchar* text = nullptr;
  const int seconds = argc == 3 ? std::atoi(argv[2]) : 0;
  if (seconds < 1 || !g_file_get_contents(argv[1], &text, nullptr, nullptr)) {
    std::fprintf(stderr, "usage: kestrova_floor LIST SECONDS\n");
    return 2;
  }
  g_auto(GStrv) lines = g_strsplit_set(text, "\r\n", -1);
  for (gchar** line = lines; *line != nullptr; ++line) {
    if (**line != '\0') urls.emplace_back(*line);
  }
  if (urls.empty()) return 2;

  webkit_web_context_set_sandbox_enabled(webkit_web_context_get_default(), TRUE);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 700, 576);
  GtkWidget* view = webkit_web_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  Visit(view);
  g_timeout_add(static_cast<guint>(seconds) * 1000, Visit, view);
  gtk_main();
  return 0;
}
