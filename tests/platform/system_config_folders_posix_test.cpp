// The system configuration folders: the XDG_CONFIG_DIRS list, its default,
// and the entries the XDG rules say to skip.
#include "platform/system_config_folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/scoped_env.h"

namespace {

TEST(SystemConfigFolders, XdgListInOrderOrEtcXdg) {
  struct Case {
    const char* name;
    const char* xdgConfigDirs;  // nullptr: unset
    std::vector<std::string> folders;
  };
  const Case cases[] = {
      {"Unset", nullptr, {"/etc/xdg/plenx-logger"}},
      {"Empty", "", {"/etc/xdg/plenx-logger"}},
      {"InOrder", "/opt/site/xdg:/etc/xdg", {"/opt/site/xdg/plenx-logger", "/etc/xdg/plenx-logger"}},
      {"TrailingSlashes", "/srv/cfg//:/", {"/srv/cfg/plenx-logger", "/plenx-logger"}},
      {"RelativeAndEmptySkipped", "cfg::/srv/cfg:", {"/srv/cfg/plenx-logger"}},
      {"OnlyRelative", "cfg", {}},
  };
  for (const Case& c : cases) {
    const ScopedEnv dirs("XDG_CONFIG_DIRS", c.xdgConfigDirs);
    EXPECT_EQ(SystemConfigFolders(), c.folders) << c.name;
  }
}

}  // namespace
