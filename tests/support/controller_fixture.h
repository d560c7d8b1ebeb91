// A known state for controller tests: fake platform and driver, empty touch
// table, the controller as at program start.
#pragma once

#include "controller/controller_scene.h"
#include "support/fake_interception.h"
#include "support/fake_platform.h"
#include "touch/touch_table.h"

#include <gtest/gtest.h>

#include <vector>

class ControllerFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Touch records at logical positions (the fake platform maps one to one).
    static void touch(uint32_t id, uint32_t flags, int32_t x, int32_t y);
    static void down(uint32_t id, int32_t x, int32_t y) { touch(id, TouchFlagDown, x, y); }
    static void move(uint32_t id, int32_t x, int32_t y) { touch(id, TouchFlagMove, x, y); }
    static void up(uint32_t id, int32_t x, int32_t y) { touch(id, TouchFlagUp, x, y); }

    // Enters the scene with the fake driver and goes straight to play.
    static void enterPlay();
    // A run's start before its window: the command line, the remembered
    // settings, the layout (each must be taken).
    static void startWith(const char* commandLine);
    static std::vector<std::string> strokes() { return sentStrokeNames(); }
    static void clearStrokes() { fakeInterception.sent.clear(); }
};
