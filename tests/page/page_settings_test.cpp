// The page's options: what --serve accepts, and the reasons it gives for
// what it does not; when a token is asked for.
#include <gtest/gtest.h>

#include "page/page_settings.h"
#include "testkit/temp_folder.h"

namespace {

// Parses commandLine (without the program) into settings; the error text,
// empty when it parsed.
std::string Parse(const std::string& commandLine, PageSettings& settings) {
  CLI::App app("test");
  AddPageOptions(app, settings);
  try {
    app.parse(commandLine, false);
  } catch (const CLI::ParseError& error) {
    return error.what();
  }
  return {};
}

TEST(PageSettingsTest, ServeTakesAPortAndAnAddressOfThisMachine) {
  struct Case {
    const char* value;
    const char* address;
    int port;
  };
  for (const Case& c :
       {Case{"8080", "127.0.0.1", 8080}, Case{"0.0.0.0:8080", "0.0.0.0", 8080},
        Case{"192.168.1.20:1", "192.168.1.20", 1}, Case{"localhost:65535", "127.0.0.1", 65535},
        Case{"[::]:8443", "::", 8443}, Case{"[::1]:80", "::1", 80}}) {
    SCOPED_TRACE(c.value);
    PageSettings settings;
    EXPECT_EQ(Parse(std::string("--serve ") + c.value, settings), "");
    EXPECT_TRUE(settings.serve);
    EXPECT_EQ(settings.address, c.address);
    EXPECT_EQ(settings.port, c.port);
  }
}

TEST(PageSettingsTest, BadValuesAreRefusedWithTheReason) {
  TempFolder folder;
  const std::string shortToken = folder.Write("short", "abc\n");
  const std::string blankToken = folder.Write("blank", "a token with blanks in it\n");
  const std::string goodToken = folder.Write("good", "correct-horse-battery-staple\n");
  const std::string cert = folder.Write("cert.pem", "");
  struct Case {
    std::string commandLine;
    std::string reason;
  };
  const Case cases[] = {
      {"--serve 80a", "\"80a\" is not a port number"},
      {"--serve 0", "port 0 is out of range; give 1 to 65535"},
      {"--serve 70000", "port 70000 is out of range"},
      {"--serve site.example:8080", "\"site.example\" is not an IP address of this machine"},
      {"--serve ::1:8080", "an IPv6 address goes in brackets, as [::1]:8080"},
      {"--serve [::1]8080", "is not an address and port"},
      {"--serve 8080 --serve-token-file " + folder.Path("none"),
       "Cannot read the token file " + folder.Path("none") + ": no such file or directory."},
      {"--serve 8080 --serve-token-file " + shortToken,
       "holds no usable token: its first line must be 16 to 256"},
      {"--serve 8080 --serve-token-file " + blankToken, "holds no usable token"},
      {"--serve-token-file " + goodToken, "--serve-token-file requires --serve"},
      {"--serve 8080 --serve-cert " + cert, "--serve-cert requires --serve-key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    PageSettings settings;
    const std::string error = Parse(c.commandLine, settings);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(PageSettingsTest, ATokenIsAskedForOffLoopbackOrWhenAFileGivesOne) {
  PageSettings settings;
  EXPECT_FALSE(PageNeedsToken(settings));
  settings.address = "::1";
  EXPECT_FALSE(PageNeedsToken(settings));
  settings.address = "127.3.2.1";
  EXPECT_FALSE(PageNeedsToken(settings));
  settings.tokenFile = "token";
  EXPECT_TRUE(PageNeedsToken(settings));
  for (const char* address : {"0.0.0.0", "::", "192.168.1.20", "128.0.0.1"}) {
    PageSettings open;
    open.address = address;
    EXPECT_TRUE(PageNeedsToken(open)) << address;
  }
}

}  // namespace
