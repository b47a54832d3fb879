#pragma once
// The main window form2 as plain objects: its controls, its menus and the shared state that
// lives as long as the window. The handlers read and write it; the toolkit layer mirrors it.

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "form/controls.h"
#include "page/navigation_guard.h"
#include "page/visit_log.h"
#include "platform/services.h"

namespace kestrova {

enum class WindowState { Normal, Minimized, Maximized };

// Text of the yes/no flags; compared exactly.
inline constexpr const char* kYes = "Y";
inline constexpr const char* kNo = "N";

struct Form2 {
  explicit Form2(Services& services);
  Form2(const Form2&) = delete;
  Form2& operator=(const Form2&) = delete;

  Services& services;

  // The window itself.
  std::string caption = "Kestrova";
  float ScaleWidth = 10560;  // client area, twips
  float ScaleHeight = 8640;
  WindowState window_state = WindowState::Normal;
  // The too-small warning is open: its message box runs a nested loop in which the window system
  // keeps sending resize notifications, and those must not stack up further boxes.
  bool size_warning_open = false;

  // The top panel.
  GroupBox Frame1{"Frame1", nullptr, 0, 60, 10515, 1875};
  Button start_button{ControlKind::PictureButton, "start_button", &Frame1, 120, 180, 615, 675};
  Button stop_button{ControlKind::PictureButton, "stop_button", &Frame1, 795, 180, 615, 675};
  Button cmdOpen{ControlKind::PictureButton, "cmdOpen", &Frame1, 1485, 180, 615, 675};
  Button cmdSave{ControlKind::PictureButton, "cmdSave", &Frame1, 2160, 180, 615, 675};
  GroupBox FraCurrent{"FraCurrent", &Frame1, 120, 960, 5415, 735, "Current URL"};
  TextBox txt_url1{"txt_url1", &FraCurrent, 120, 255, 4155, 255};
  TextBox url1_count_txt{"url1_count_txt", &FraCurrent, 4440, 240, 555, 285};
  GroupBox fraInterval{"fraInterval", &Frame1, 2880, 180, 2655, 735};
  Label Label1{"Label1", &fraInterval, 120, 255, 675, 255, "Interval"};
  TextBox txt_interval{"txt_interval", &fraInterval, 780, 240, 495, 285, "30"};
  CheckBox chk_random{"chk_random", &fraInterval, 1320, 240, 1275, 255, "Random - N", CheckBox::kUnticked};
  GroupBox FraPlaylist{"FraPlaylist", &Frame1, 5640, 180, 4845, 1500};
  ListBox lstPlayList{"lstPlayList", &FraPlaylist, 120, 120, 3495, 840};
  Button cmdRemoveItem{ControlKind::CommandButton, "cmdRemoveItem", &FraPlaylist, 3840, 150, 795, 220, "Remove"};
  Button cmdAddItem{ControlKind::CommandButton, "cmdAddItem", &FraPlaylist, 3840, 400, 795, 220, "Add"};
  CheckBox ckCache{"ckCache", &FraPlaylist, 3680, 720, 1025, 255, "No Cache", CheckBox::kTicked};
  CheckBox ckExit{"ckExit", &FraPlaylist, 3680, 940, 855, 255, "Exit", CheckBox::kUnticked};
  CheckBox ckLoop{"ckLoop", &FraPlaylist, 3680, 1180, 855, 255, "Loop", CheckBox::kTicked};
  TextBox txtItemToAdd{"txtItemToAdd", &FraPlaylist, 120, 1080, 3495, 315};

  // The browser panel.
  GroupBox Frame2{"Frame2", nullptr, 0, 1980, 10515, 5295};
  WebBrowserControl WebBrowser1{"WebBrowser1", &Frame2, 60, 180, 10335, 4935};

  // Every control, in the tab order of the window (group boxes and labels take no focus).
  std::vector<Control*> TabOrder();
  // Calls `visit` with every control as its own type, in the same order.
  template <class Visit>
  void ForEachControl(Visit&& visit) {
    std::apply([&visit](auto&... control) { (visit(control), ...); },
               std::tie(Frame1, start_button, stop_button, cmdOpen, cmdSave, Frame2, WebBrowser1, FraCurrent,
                        url1_count_txt, txt_url1, fraInterval, chk_random, txt_interval, Label1, FraPlaylist,
                        txtItemToAdd, cmdAddItem, cmdRemoveItem, lstPlayList, ckLoop, ckExit, ckCache));
  }

  // The menus, in menu order.
  MenuItem File{"File", "&File", nullptr};
  MenuItem Start{"Start", "St&art", &File};
  MenuItem Stop{"Stop", "S&top", &File};
  MenuItem msep{"msep", "-", &File};
  MenuItem Load{"Load", "&Open", &File};
  MenuItem Save{"Save", "&Save", &File};
  MenuItem mseperator2{"mseperator2", "-", &File};
  MenuItem mnuHide{"mnuHide", "&Hide", &File};
  MenuItem mseperator{"mseperator", "-", &File};
  MenuItem Exit{"Exit", "E&xit", &File};
  MenuItem Help{"Help", "&Help", nullptr};
  MenuItem Contents{"Contents", "&Contents", &Help};
  MenuItem License{"License", "&License", &Help};
  MenuItem msep2{"msep2", "-", &Help};
  MenuItem About{"About", "&About", &Help};

  std::vector<MenuItem*> Menus();

  // The common file dialog: the name it holds until its next use.
  std::string dlgOpen_FileName;

  // Shared state of the main window.
  std::string PlayListFile;
  std::string StopFlag;
  // Passes completed in the current run; wide, so a run of any length keeps counting.
  std::int64_t PassCount = 0;
  std::string AutoStartFlag;
  std::string CommandLine;
  std::string FileSwitch;
  std::string RandomSwitch;
  std::string IntervalSwitch;
  // The visit log's file named on the command line ("/l="), or empty.
  std::string LogSwitch;
  VisitLog visit_log{services};
  NavigationGuard navigation_guard{services.clock};

  // Which activations of the window count: it has been shown, and another form of the program
  // (the About box) has been active since the main window last counted one.
  bool shown_once = false;
  bool other_form_was_active = false;

  // Counts the runs started; a run whose number is no longer current has been superseded.
  std::uint64_t run_generation = 0;

  // The title of message boxes that have none of their own.
  std::string app_title = "Corvane";
};

}  // namespace kestrova
