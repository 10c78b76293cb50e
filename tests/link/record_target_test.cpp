// The record target pair read while another thread replaces it.
#include "link/record_target.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "testkit/record_queue.h"

namespace {

TEST(RecordTargetTest, UnsetUntilStored) {
  RecordTarget target;
  EXPECT_EQ(target.Load().window, nullptr);
  EXPECT_EQ(target.Load().message, 0u);
}

// Each window is only ever stored with its own message; a torn read would
// pair one Store's window with another's message.
TEST(RecordTargetTest, ReaderNeverSeesAMixedPair) {
  constexpr int kStores = 20000;
  RecordQueue first;
  RecordQueue second;
  RecordTarget target;
  target.Store(&first, 1);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < kStores; ++i) {
      if (i % 2 == 0) {
        target.Store(&second, 2);
      } else {
        target.Store(&first, 1);
      }
    }
    done.store(true);
  });
  int mixed = 0;
  while (!done.load()) {
    const RecordTarget::Binding binding = target.Load();
    mixed += (binding.window == &first) != (binding.message == 1);
  }
  writer.join();
  EXPECT_EQ(mixed, 0);
}

}  // namespace
