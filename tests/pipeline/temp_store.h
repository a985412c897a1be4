// A real exception store in a fresh configuration directory that the test
// owns and removes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "store/exception_store.h"

namespace vyx::testing {

class TempStore final {
 public:
  TempStore() {
    char tmpl[] = "/tmp/vyx-pipeline-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    ::setenv("VYX_CONFIG_DIR", dir_.c_str(), 1);
    auto opened = NewExceptionStore();
    EXPECT_TRUE(opened.ok()) << opened.error().message();
    if (opened.ok()) store_ = std::move(opened.value());
  }
  ~TempStore() {
    if (store_) store_->Close();
    store_.reset();
    ::unsetenv("VYX_CONFIG_DIR");
    std::filesystem::remove_all(dir_);
  }
  TempStore(const TempStore&) = delete;
  TempStore& operator=(const TempStore&) = delete;

  [[nodiscard]] const std::shared_ptr<ExceptionStore>& store() const { return store_; }

 private:
  std::string dir_;
  std::shared_ptr<ExceptionStore> store_;
};

}  // namespace vyx::testing
