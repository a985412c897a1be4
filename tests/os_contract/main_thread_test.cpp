// The main thread as any binding must serve it: queued blocks run there in
// the order they were queued, and timers fire there until invalidated.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "contract_machine.h"
#include "os/main_queue.h"
#include "os/timer.h"

namespace vyx::os::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(MainThreadContract, QueuedBlocksRunInOrderOnTheMainThread) {
  ContractMachine machine;
  std::vector<int> order;  // main thread only
  bool allOnMain = true;
  bool queuingThreadIsMain = true;
  std::thread other([&] {
    queuingThreadIsMain = isMainThread();
    for (int i = 0; i < 50; ++i) {
      dispatchAsyncMain([&, i] {
        allOnMain = allOnMain && isMainThread();
        order.push_back(i);
        // Work queued from the main thread waits its turn too.
        if (i == 0) dispatchAsyncMain([&] { order.push_back(100); });
      });
    }
  });
  other.join();
  EXPECT_FALSE(queuingThreadIsMain);
  ASSERT_TRUE(machine.runMainUntil([&] { return order.size() == 51; }, seconds(10)));
  machine.onMain([&] {
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(order.front(), 0);
    std::vector<int> queued;
    std::copy_if(order.begin(), order.end(), std::back_inserter(queued),
                 [](int v) { return v != 100; });
    for (int i = 0; i < 50; ++i) EXPECT_EQ(queued[i], i);
  });
}

TEST(MainThreadContract, TimersFireOnTheMainThreadUntilInvalidated) {
  ContractMachine machine;
  int repeating = 0;  // main thread only, as the two below
  int once = 0;
  bool allOnMain = true;
  Timer* every = nullptr;
  Timer* single = nullptr;
  machine.onMain([&] {
    every = timerScheduled(0.01, true, [&] {
      ++repeating;
      allOnMain = allOnMain && isMainThread();
    });
    single = timerScheduled(0.01, false, [&] { ++once; });
  });
  ASSERT_TRUE(machine.runMainUntil([&] { return repeating >= 3; }, seconds(10)));
  int atInvalidation = 0;
  machine.onMain([&] {
    timerInvalidate(every);
    timerInvalidate(every);  // a second invalidation does nothing
    atInvalidation = repeating;
  });
  EXPECT_FALSE(machine.runMainUntil([&] { return repeating != atInvalidation; }, milliseconds(50)));
  machine.onMain([&] {
    EXPECT_EQ(once, 1);
    timerInvalidate(single);  // a one-shot timer that fired may still be invalidated
    EXPECT_TRUE(allOnMain);
  });
}

}  // namespace
}  // namespace vyx::os::testing
