// ScratchDir: a fresh folder for one test, under the system's temporary folder, removed after it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "run/win_path.h"

namespace tessary {

// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ScratchDir {
 public:
  // Named after the process and the running test, so parallel test runs do not meet.
  ScratchDir()
      : dir_(std::filesystem::temp_directory_path() /
             ("tessary-test-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~ScratchDir() { std::filesystem::remove_all(dir_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  // Names are UTF-8, also on Windows.
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / PathFromUtf8(name), std::ios::binary) << content;
  }
  std::string Get(const std::string& name) const {
    return ReadWholeFile(dir_ / PathFromUtf8(name));
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace tessary
