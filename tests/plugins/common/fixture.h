#pragma once

#include <gtest/gtest.h>

#include "fake_host.h"
#include "plugincommon/plugincommon.h"

// Each test gets a fresh fake host and a plug-in file that has not been loaded
// yet; at the end nothing the plug-in side made may be left behind.
class PluginCommonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakehost::Reset();
    plugincommon::ResetPluginState();
  }
  void TearDown() override {
    EXPECT_EQ(host().live_strings, 0) << "strings left";
    EXPECT_EQ(host().live_blocks, 0) << "memory blocks left";
    EXPECT_EQ(host().live_string_data, 0) << "string data not disposed";
    for (auto* raised : host().raised) EXPECT_EQ(raised->refs, 1) << "exception reference kept";
    fakehost::Destroy();
    plugincommon::ResetPluginState();
  }

  static fakehost::Host& host() { return fakehost::Current(); }
  static void Load() { plugincommon::BeginPluginMain(&fakehost::Resolve); }
  static void LoadWithVersion(double version) {
    host().version = version;
    Load();
  }
  static void Lack(const char* service) { host().services.erase(service); }
};
