#include "support/end_to_end_test.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

namespace kestrova::e2e {
namespace {

constexpr double kTwipsPerPixel = 15.0;  // at the 96 DPI the test display is started with
constexpr float kDesignClientHeight = 8640;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

void EndToEndTest::TearDown() {
  if (program) program->Kill();
}

std::filesystem::path EndToEndTest::WritePlaylistOf(const std::vector<std::string>& paths,
                                                    const std::filesystem::path& file_name) {
  std::vector<std::string> urls;
  for (const auto& path : paths) urls.push_back(server.Url(path));
  const auto file = scratch.Path() / file_name;
  WritePlaylist(file, urls);
  return file;
}

ProgramProcess& EndToEndTest::Launch(const std::vector<std::string>& arguments) {
  program = std::make_unique<ProgramProcess>(KESTROVA_EXE, arguments, scratch.Path() / "home");
  return *program;
}

std::optional<Window> EndToEndTest::MainWindow() {
  auto window = WaitForWindow(program->Pid(), kMainCaption, std::chrono::seconds(20));
  if (!window) {
    ADD_FAILURE() << "no window \"" << kMainCaption << "\" appeared; stderr:\n" << program->Stderr();
  }
  return window;
}

bool EndToEndTest::Click(const Window& main_window, const ControlPlace& place) {
  const auto geometry = GeometryOf(main_window);
  if (!geometry) return false;
  // The menu bar sits above the client area inside the same window.
  const int menu_bar = geometry->height - static_cast<int>(std::lround(kDesignClientHeight / kTwipsPerPixel));
  const int x = static_cast<int>(std::lround((place.left + place.width / 2) / kTwipsPerPixel));
  const int y = menu_bar + static_cast<int>(std::lround((place.top + place.height / 2) / kTwipsPerPixel));
  return ClickAt(main_window, x, y);
}

void EndToEndTest::ExpectCleanEnd() {
  const auto status = program->WaitForExit(std::chrono::seconds(0));
  ASSERT_TRUE(status.has_value()) << "the program still runs";
  EXPECT_TRUE(status->exited && status->code == 0) << status->Describe();
  const std::string errors = program->Stderr();
  for (const char* alarming : {"gtk-critical", "gtk-warning", "assert"}) {
    EXPECT_EQ(Lower(errors).find(alarming), std::string::npos) << "stderr:\n" << errors;
  }
  const auto survivors = program->HelpersStillRunningAfter(std::chrono::seconds(2));
  for (const auto& survivor : survivors) {
    ADD_FAILURE() << "process " << survivor.pid << " (" << survivor.command_line << ") outlived the program";
  }
}

void ExpectSpacingsWithin(const std::vector<Request>& requests, double low, double high,
                          std::optional<double> first_low) {
  const auto gaps = Spacings(requests);
  for (std::size_t i = 0; i < gaps.size(); ++i) {
    const double bottom = i == 0 && first_low ? *first_low : low;
    EXPECT_TRUE(gaps[i] >= bottom && gaps[i] <= high)
        << "gap " << i + 1 << " is " << gaps[i] << " s, outside [" << bottom << ", " << high << "]; requests: "
        << Describe(requests);
  }
}

std::string Describe(const std::vector<Request>& requests) {
  std::ostringstream out;
  out.precision(3);
  for (std::size_t i = 0; i < requests.size(); ++i) {
    if (i > 0) out << ", ";
    out << requests[i].target;
    if (i > 0) out << " (+" << SecondsBetween(requests[i - 1].at, requests[i].at) << " s)";
  }
  return requests.empty() ? "none" : out.str();
}

}  // namespace kestrova::e2e
