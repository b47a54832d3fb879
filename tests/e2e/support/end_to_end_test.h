#pragma once
// What every end-to-end test starts from: a recording web server, a scratch folder, and the real
// program started with a command line, with ways to reach the controls of its main window.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/program_process.h"
#include "support/recording_server.h"
#include "support/scratch_dir.h"

namespace kestrova::e2e {

inline constexpr const char* kMainCaption = "Kestrova Pro Version";
// The caption of message boxes that have no title of their own.
inline constexpr const char* kApplicationTitle = "Corvane";

// A control's place in the main window's client area, in twips, as the window lays it out at
// its first size.
struct ControlPlace {
  float left;
  float top;
  float width;
  float height;
};
inline constexpr ControlPlace kIntervalBox{2880 + 780, 60 + 180 + 240, 495, 285};
inline constexpr ControlPlace kNoCacheBox{5640 + 3680, 60 + 180 + 720, 1025, 255};
inline constexpr ControlPlace kExitBox{5640 + 3680, 60 + 180 + 940, 855, 255};

class EndToEndTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Writes a playlist file of the server's URLs for `paths`.
  std::filesystem::path WritePlaylistOf(const std::vector<std::string>& paths,
                                        const std::filesystem::path& file_name = "list.txt");
  ProgramProcess& Launch(const std::vector<std::string>& arguments);
  // The program's main window once it is shown; fails the test when it does not come.
  std::optional<Window> MainWindow();
  // Clicks the middle of a control of the main window.
  bool Click(const Window& main_window, const ControlPlace& place);
  // The program ended by itself with status 0, said nothing alarming on stderr, and its helper
  // processes did not outlive it.
  void ExpectCleanEnd();

  RecordingServer server;
  ScratchDir scratch;
  std::unique_ptr<ProgramProcess> program;
  const std::vector<std::string> pages{"/a.html", "/b.html", "/c.html"};
};

// The first page that a freshly started program fetches reaches the server late, while the web
// engine starts its helper processes and connects (0.03 to 0.4 s seen here), which shortens the
// first spacing by as much. A first wait that was skipped would leave under 0.1 s.
inline constexpr double kFirstSpacingLow = 0.3;

// Fails unless every spacing lies in [low, high] seconds; the first one in [first_low, high].
void ExpectSpacingsWithin(const std::vector<Request>& requests, double low, double high,
                          std::optional<double> first_low = std::nullopt);
std::string Describe(const std::vector<Request>& requests);

}  // namespace kestrova::e2e
