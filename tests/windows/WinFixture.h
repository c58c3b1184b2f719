#pragma once
// Every window test starts from an empty window manager (the skin is kept) and records
// the program's messages.

#include "../support/Harness.h"
#include "gui/WinSuperior.h"

#include <gtest/gtest.h>

#include <memory>

class WinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A plain 10 x 10 window at (x, y) with the given flags.
    static CBaseWin* Win(int x = 0, int y = 0, uint32_t flags = 0);

    std::unique_ptr<test::MessageRecorder> messages;
};
