#include "run/worded_error.h"

#include <deque>
#include <mutex>
#include <utility>

namespace tessary {
namespace {

class WordedCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "tessary.worded"; }

  std::string message(int value) const override {
    const std::lock_guard<std::mutex> hold(mutex_);
    return Find(value) ? Find(value)->second : "unknown error";
  }

  std::error_condition default_error_condition(int value) const noexcept override {
    const std::lock_guard<std::mutex> hold(mutex_);
    return Find(value) ? Find(value)->first.default_error_condition()
                       : std::error_condition(value, *this);
  }

  // The value for `cause` and `text`: the one they had before, else a new one.
  int Keep(std::error_code cause, std::string text) {
    const std::lock_guard<std::mutex> hold(mutex_);
    for (size_t i = 0; i < kept_.size(); ++i) {
      if (kept_[i].first == cause && kept_[i].second == text) return static_cast<int>(i) + 1;
    }
    kept_.emplace_back(cause, std::move(text));
    return static_cast<int>(kept_.size());
  }

 private:
  // Values count from 1: 0 is no error.
  const std::pair<std::error_code, std::string>* Find(int value) const {
    if (value < 1 || static_cast<size_t>(value) > kept_.size()) return nullptr;
    return &kept_[static_cast<size_t>(value) - 1];
  }

  mutable std::mutex mutex_;
  std::deque<std::pair<std::error_code, std::string>> kept_;
};

WordedCategory& Category() {
  static WordedCategory category;
  return category;
}

}  // namespace

std::error_code WordedError(std::error_code cause, std::string text) {
  return std::error_code(Category().Keep(cause, std::move(text)), Category());
}

}  // namespace tessary
