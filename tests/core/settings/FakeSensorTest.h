#pragma once

#include "core/device/DeviceSession.h"
#include "tests/support/FakeSensor.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo::test {

// A session attached to a FakeSensor in memory.
class FakeSensorTest : public ::testing::Test {
protected:
    TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    FakeSensor sensor{link};
    DeviceSession session{directory.Path()};

    void SetUp() override { session.Attach(link, ConnectionType::Lan); }
};

} // namespace orlo::test
