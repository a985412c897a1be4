// The running App that the menu and the exceptions window reach through
// getTrayApp, on tiny word lists, with a real exception store in the
// configuration directory VYX_CONFIG_DIR names (or none). Used by the shell
// tests and by the drawing tool.
#pragma once

#include <memory>
#include <stdexcept>
#include <utility>

#include "detect/detector.h"
#include "detect/dict.h"
#include "pipeline/app.h"
#include "store/config.h"
#include "store/exception_store.h"

namespace vyx::testing {

class RunningApp final {
 public:
  explicit RunningApp(bool withStore, AppOps ops = {})
      : ru_(load("ru", "привет\n")), en_(load("en", "hello\n")) {
    if (withStore) {
      auto opened = NewExceptionStore();
      if (!opened.ok()) throw std::runtime_error(opened.error().message());
      store_ = std::move(opened.value());
    }
    detector_ = std::make_unique<Detector>(ru_, en_);
    app_ = newApp(cfg_, store_.get(), *detector_, nullptr, std::move(ops));
    setTrayApp(app_.get());
  }
  ~RunningApp() {
    setTrayApp(nullptr);
    app_.reset();
    if (store_) store_->Close();
  }
  RunningApp(const RunningApp&) = delete;
  RunningApp& operator=(const RunningApp&) = delete;

  [[nodiscard]] ExceptionStore* store() const { return store_.get(); }
  [[nodiscard]] App& app() const { return *app_; }

 private:
  static Dict load(const char* code, const char* words) {
    auto d = loadDictFromText(code, words);
    if (!d.ok()) throw std::runtime_error(d.error().message());
    return std::move(d).value();
  }

  Config cfg_;
  std::shared_ptr<ExceptionStore> store_;
  Dict ru_;
  Dict en_;
  std::unique_ptr<Detector> detector_;
  std::unique_ptr<App> app_;
};

}  // namespace vyx::testing
