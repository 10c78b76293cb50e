// Instance slots: the lowest free one is taken, held until its holder goes
// (another process's hold counts as well), and 0 is the answer when all are
// held.
#include "platform/instance_slot.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(InstanceSlot, TakesTheLowestFreeSlotUntilItsHolderGoes) {
  TempFolder runtime;
  ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
  auto first = std::make_unique<InstanceSlot>(3);
  const InstanceSlot second(3);
  EXPECT_EQ(first->Number(), 0);
  EXPECT_EQ(second.Number(), 1);
  EXPECT_TRUE(std::filesystem::exists(runtime.Path("plenx-logger/window-1.lock")));
  first.reset();
  EXPECT_EQ(InstanceSlot(3).Number(), 0);  // given back

  // A slot another process holds is taken too; with all held, 0.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const InstanceSlot held(3);
    char number = static_cast<char>(held.Number());
    (void)!write(ready[1], &number, 1);
    pause();  // until killed, holding the slot
    _exit(0);
  }
  char heldNumber = -1;
  ASSERT_EQ(read(ready[0], &heldNumber, 1), 1);
  EXPECT_EQ(heldNumber, 0);
  const InstanceSlot third(3);
  EXPECT_EQ(third.Number(), 2);
  EXPECT_EQ(InstanceSlot(3).Number(), 0);  // all three held
  EXPECT_EQ(InstanceSlot(4).Number(), 3);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(InstanceSlot(4).Number(), 0);  // the killed holder's slot is free again
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
