// The log's flush to disk: due a second after the first byte not yet
// flushed, not before, and not at all while everything is flushed.
#include "upkeep/sync_pacer.h"

#include <gtest/gtest.h>

namespace {

TEST(SyncPacer, FlushDueASecondAfterTheFirstUnflushedWrite) {
  SyncPacer pacer;
  EXPECT_FALSE(pacer.DueAtMs());
  EXPECT_FALSE(pacer.Due(5000));
  pacer.Wrote(1000);
  pacer.Wrote(1900);  // later writes do not put the flush off
  EXPECT_EQ(pacer.DueAtMs(), 2000);
  EXPECT_FALSE(pacer.Due(1999));
  EXPECT_TRUE(pacer.Due(2000));
  pacer.Synced();
  EXPECT_FALSE(pacer.Due(9000));
  pacer.Wrote(9000);
  EXPECT_EQ(pacer.DueAtMs(), 10000);
}

}  // namespace
