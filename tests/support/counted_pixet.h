// A bound object whose engine use is counted. Every test must leave the engine balanced
// and none of the fixed working files behind.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "pixet/pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

namespace pixet::testing {

class CountedPixetTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearMessages(); }
  void TearDown() override {
    PIXET_EXPECT_BALANCED(counter_);
    for (const char* file : {"_vb_.xac", "__svcv.bmp", "saved__0.bmp"})
      EXPECT_FALSE(FileExists(file)) << file << " left behind";
  }
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();  // before the counter: binding refills the table
  EngineCounter counter_;
};

}  // namespace pixet::testing
