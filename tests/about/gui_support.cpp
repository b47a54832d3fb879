#include "gui_support.h"

#include <stdlib.h>

#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

namespace kestrova::testing {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(5ms);
  }
}

void Settle(std::chrono::milliseconds time) {
  WaitUntil([] { return false; }, time);
}

std::vector<wx::AboutWindow*> LoadedAboutWindows() {
  std::vector<wx::AboutWindow*> found;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* about = dynamic_cast<wx::AboutWindow*>(window);
    if (about != nullptr && !about->IsBeingDeleted()) found.push_back(about);
  }
  return found;
}

int TopLevelWindowCount() { return static_cast<int>(wxTopLevelWindows.size()); }

int VisibleGtkWindowCount() {
  int count = 0;
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    if (gtk_widget_get_visible(GTK_WIDGET(it->data))) ++count;
  }
  g_list_free(windows);
  return count;
}

TempFolder::TempFolder() {
  char name[] = "/tmp/kestrova-test-XXXXXX";
  path_ = mkdtemp(name);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

RunningProgram::RunningProgram(std::vector<std::string> arguments) : storage_{"kestrova"} {
  storage_.insert(storage_.end(), arguments.begin(), arguments.end());
  for (auto& s : storage_) argv_.push_back(s.data());
  argv_.push_back(nullptr);
  program_ = std::make_unique<wx::Program>(static_cast<int>(storage_.size()), argv_.data());
  program_->Start();
  WaitUntil([this] { return Frame().IsShown() && Frame().IsActive(); });
}

RunningProgram::~RunningProgram() {
  for (wx::AboutWindow* about : LoadedAboutWindows()) about->Destroy();
  // Destroy, not Close: closing the main window ends the process.
  if (program_->Frame() != nullptr) program_->Frame()->Destroy();
  WaitUntil([] { return wxTopLevelWindows.empty(); });
}

void RunningProgram::ChooseMenu(const MenuItem& item) {
  wxCommandEvent event(wxEVT_MENU, Frame().MenuItemOf(item)->GetId());
  event.SetEventObject(&Frame());
  Frame().ProcessWindowEvent(event);
}

void RunningProgram::PressButton(const Control& button) {
  wxWindow* widget = Frame().WidgetOf(button);
  wxCommandEvent event(wxEVT_BUTTON, widget->GetId());
  event.SetEventObject(widget);
  widget->ProcessWindowEvent(event);
}

namespace {

bool MenuIsOpen() {
  bool open = false;
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    GtkWindow* window = GTK_WINDOW(it->data);
    if (gtk_window_get_window_type(window) == GTK_WINDOW_POPUP && gtk_widget_get_mapped(GTK_WIDGET(window)) &&
        GTK_IS_MENU(gtk_bin_get_child(GTK_BIN(window)))) {
      open = true;
    }
  }
  g_list_free(windows);
  return open;
}

}  // namespace

void ClickOn(wxWindow* widget) {
  wxUIActionSimulator user;
  const wxRect rect = widget->GetScreenRect();
  user.MouseMove(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
  user.MouseClick();
}

wx::AboutWindow* RunningProgram::OpenAbout() {
  if (!WaitUntil([this] { return Frame().IsActive(); })) {
    ADD_FAILURE() << "the main window is not active";
    return nullptr;
  }
  wxUIActionSimulator user;
  user.Char('h', wxMOD_ALT);
  if (!WaitUntil(MenuIsOpen)) {
    ADD_FAILURE() << "Alt+H opened no menu";
    return nullptr;
  }
  user.Char('a');
  wx::AboutWindow* about = nullptr;
  const bool active = WaitUntil([&] {
    auto loaded = LoadedAboutWindows();
    about = loaded.size() == 1 ? loaded.front() : nullptr;
    return about != nullptr && about->IsShown() && about->IsActive();
  });
  if (!active) {
    ADD_FAILURE() << "no active About dialog: " << LoadedAboutWindows().size() << " loaded, main window "
                  << (Frame().IsActive() ? "active" : "inactive") << ", menu " << (MenuIsOpen() ? "open" : "closed");
  }
  return active ? about : nullptr;
}

void RunningProgram::ClickMainWindow() {
  // The label beside the interval box: a click there changes nothing but the active window.
  ClickOn(Frame().WidgetOf(Form().Label1));
}

MessageBoxAnswerer::MessageBoxAnswerer() {
  timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
  // The timer fires inside the message box's own modal loop.
  timer_.Start(20);
}

MessageBoxAnswerer::~MessageBoxAnswerer() { timer_.Stop(); }

std::vector<std::string> MessageBoxAnswerer::Titles() const {
  std::vector<std::string> titles;
  for (const Box& box : seen_) titles.push_back(box.title);
  return titles;
}

void MessageBoxAnswerer::Look() {
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    GtkWidget* widget = GTK_WIDGET(it->data);
    if (!GTK_IS_MESSAGE_DIALOG(widget) || !gtk_widget_get_mapped(widget)) continue;
    // A box just answered may still be on screen for a moment.
    if (g_object_get_data(G_OBJECT(widget), "answered") != nullptr) continue;
    g_object_set_data(G_OBJECT(widget), "answered", widget);
    gchar* text = nullptr;
    g_object_get(widget, "text", &text, nullptr);
    const gchar* title = gtk_window_get_title(GTK_WINDOW(widget));
    seen_.push_back({title ? title : "", text ? text : ""});
    g_free(text);
    gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_OK);
  }
  g_list_free(windows);
}

}  // namespace kestrova::testing
