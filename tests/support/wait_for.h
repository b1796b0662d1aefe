#pragma once
// Waiting for the event loop to bring something about, failing the GoogleTest test when it does
// not come in time. Qt's QTRY_* macros report to QTest's own log, which a GoogleTest run does not
// read, and then return from the test: a wait that timed out would pass unnoticed.
#include <QTest>
#include <gtest/gtest.h>

// Waits until condition holds (polling while events are processed); fails the test otherwise.
#define ZD_WAIT_TRUE(condition, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&]() -> bool { return (condition); }, (timeoutMs))) \
        << "waited " << (timeoutMs) << " ms for: " #condition

// Waits until actual == expected; fails with both values otherwise.
#define ZD_WAIT_EQ(actual, expected, timeoutMs)                                      \
    do {                                                                             \
        (void)QTest::qWaitFor([&]() -> bool { return (actual) == (expected); }, (timeoutMs)); \
        ASSERT_EQ((actual), (expected)) << "after waiting " << (timeoutMs) << " ms"; \
    } while (false)
