// The kestrova executable.

#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>

#include "platform/wx/native.h"
#include "platform/wx/program.h"

namespace {

class KestrovaApp : public wxApp {
 public:
  bool OnInit() override {
    // Our switches ("/f=", "/t=", "/r=") are read by the load step from the raw arguments; the
    // toolkit's own command-line parser must not see them, so the base OnInit is not called.
    program_ = std::make_unique<kestrova::wx::Program>(raw_argc_, raw_argv_);
    program_->Start();
    return true;
  }
  static void SetRawArguments(int argc, char** argv) {
    raw_argc_ = argc;
    raw_argv_ = argv;
  }

 private:
  std::unique_ptr<kestrova::wx::Program> program_;
  static inline int raw_argc_ = 0;
  static inline char** raw_argv_ = nullptr;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(KestrovaApp);

int main(int argc, char** argv) {
  // The toolkit removes the options it knows from argv; keep a copy of what the user typed.
  static std::vector<std::string> copies(argv, argv + argc);
  static std::vector<char*> raw;
  raw.reserve(copies.size() + 1);
  for (auto& s : copies) raw.push_back(s.data());
  raw.push_back(nullptr);
  KestrovaApp::SetRawArguments(argc, raw.data());
  kestrova::wx::PrepareEngine();
  return wxEntry(argc, argv);
}
