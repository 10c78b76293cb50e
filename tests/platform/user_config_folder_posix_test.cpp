// The per-user folder: the XDG rule, the fallbacks when HOME is missing or
// relative, and the settings store and the port links agreeing on it.
#include "platform/user_config_folder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "platform/serial_port_name.h"
#include "platform/settings_store.h"
#include "tests/support/scoped_env.h"

namespace {

// The home folder the user database gives, read independently of the code
// under test; empty when it has none.
std::string DatabaseHome() {
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/' ? entry->pw_dir : "";
}

TEST(UserConfigFolder, XdgThenAbsoluteHomeThenTheUserDatabase) {
  const std::string database = DatabaseHome();
  const std::string databaseFolder = database.empty() ? "" : database + "/.config/plenx-logger";
  struct Case {
    const char* name;
    const char* xdgConfigHome;  // nullptr: unset
    const char* home;           // nullptr: unset
    std::string folder;
  };
  const Case cases[] = {
      {"XdgAbsolute", "/srv/cfg", "/home/tech", "/srv/cfg/plenx-logger"},
      {"XdgTrailingSlash", "/srv/cfg/", "/home/tech", "/srv/cfg/plenx-logger"},
      {"XdgAbsoluteWithoutHome", "/srv/cfg", nullptr, "/srv/cfg/plenx-logger"},
      {"XdgRelativeIgnored", "cfg", "/home/tech", "/home/tech/.config/plenx-logger"},
      {"XdgEmptyIgnored", "", "/home/tech", "/home/tech/.config/plenx-logger"},
      {"XdgUnset", nullptr, "/home/tech/", "/home/tech/.config/plenx-logger"},
      {"HomeIsRoot", nullptr, "/", "/.config/plenx-logger"},
      {"HomeUnset", nullptr, nullptr, databaseFolder},
      {"HomeRelative", nullptr, "tech", databaseFolder},
      {"HomeEmpty", "relative", "", databaseFolder},
  };
  for (const Case& c : cases) {
    const ScopedEnv xdg("XDG_CONFIG_HOME", c.xdgConfigHome);
    const ScopedEnv home("HOME", c.home);
    const std::string folder = UserConfigFolder();
    EXPECT_EQ(folder, c.folder) << c.name;
    // The remembered settings and the port links live in the same folder.
    EXPECT_EQ(SettingsStoreFolder(), folder) << c.name;
    EXPECT_EQ(SerialPortLinkDirectory(), folder.empty() ? "" : folder + "/ports") << c.name;
  }
}

// The state folder (the MQTT spool's home) follows the same rule under
// XDG_STATE_HOME and ~/.local/state.
TEST(UserStateFolder, XdgThenHome) {
  struct Case {
    const char* name;
    const char* xdgStateHome;  // nullptr: unset
    std::string folder;
  };
  const Case cases[] = {
      {"XdgAbsolute", "/srv/state/", "/srv/state/plenx-logger"},
      {"XdgRelativeIgnored", "state", "/home/tech/.local/state/plenx-logger"},
      {"XdgUnset", nullptr, "/home/tech/.local/state/plenx-logger"},
  };
  for (const Case& c : cases) {
    const ScopedEnv xdg("XDG_STATE_HOME", c.xdgStateHome);
    const ScopedEnv home("HOME", "/home/tech");
    EXPECT_EQ(UserStateFolder(), c.folder) << c.name;
  }
}

}  // namespace
