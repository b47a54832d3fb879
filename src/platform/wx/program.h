#pragma once
// The running program: its services, the form model and the main window, created in the order
// the start-up needs them.

#include <memory>

#include "form/main_window.h"
#include "platform/wx/native.h"
#include "platform/wx/wx_services.h"

namespace kestrova::wx {

class AboutBox;
class MainFrame;

class Program {
 public:
  Program(int argc, char** argv);
  ~Program();
  // Creates the window, runs its load step and shows it.
  void Start();
  Form2& Form() { return form_; }
  MainFrame* Frame() { return frame_; }
  WxApplication& App() { return app_; }

 private:
  std::unique_ptr<Engine> engine_ = MakeEngine();
  std::unique_ptr<FileStore> files_ = MakeFileStore();
  WxFileDialog file_dialog_;
  WxMessageBoxes message_boxes_;
  SteadyClock clock_;
  WxEventPump pump_;
  ClockRandom random_;
  WxApplication app_;
  StdioLineFile visit_file_;
  Services services_;
  Form2 form_;
  MainFrame* frame_ = nullptr;
  std::unique_ptr<AboutBox> about_;
};

}  // namespace kestrova::wx
