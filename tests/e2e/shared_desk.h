// A suite whose scenarios share one running vyx: they do not change what the
// program has learned or how it is set up, only what the person types. The
// program starts with the suite and ends with it, by SIGTERM, in order.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "desk.h"

namespace vyx::testing {

class SharedDesk : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { desk_ = std::make_unique<Desk>(); }
  static void TearDownTestSuite() {
    if (!desk_) return;
    VyxProcess& vyx = desk_->vyx();
    EXPECT_TRUE(vyx.waitForSignalWatcher());
    vyx.sendSignal(SIGTERM);
    EXPECT_EQ(vyx.waitExit(), 0) << vyx.stderrText();
    desk_.reset();
  }
  static Desk& desk() { return *desk_; }
  static os::sim::DesktopClient& desktop() { return desk_->desktop(); }

 private:
  static inline std::unique_ptr<Desk> desk_;
};

}  // namespace vyx::testing
