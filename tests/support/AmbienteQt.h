#pragma once
// One Qt application for a whole test program, on the offscreen platform. A test file of a
// program that opens windows registers it once:
//   const auto* const kQt = ::testing::AddGlobalTestEnvironment(new moxtest::AmbienteQt("tests_x"));
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

namespace moxtest {

class AmbienteQt : public ::testing::Environment {
 public:
  explicit AmbienteQt(std::string aPrograma) : programa_(std::move(aPrograma)) {}
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char* argv[] = {programa_.data(), nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::string programa_;
  std::unique_ptr<QApplication> app_;
};

}  // namespace moxtest
