#include <gtest/gtest.h>

#include "platform/read_gate.h"

namespace ardentis::platform {
namespace {

using After = ReadGate::After;

TEST(ReadGate, RaisesWhileBytesWaitAndTheHandlerTakesThem) {
    ReadGate gate;
    EXPECT_FALSE(gate.due(0));
    ASSERT_TRUE(gate.due(752));
    gate.beginEvent(752);
    gate.noteReceive();
    EXPECT_EQ(gate.endEvent(), After::Nothing);
    EXPECT_TRUE(gate.due(376));
}

TEST(ReadGate, BytesLeftQueuedWaitUntilMoreArrive) {
    ReadGate gate;
    gate.beginEvent(375);
    EXPECT_EQ(gate.endEvent(), After::WaitForMore);
    EXPECT_TRUE(gate.waitingForMore());
    EXPECT_FALSE(gate.due(375));
    EXPECT_TRUE(gate.due(376));
}

TEST(ReadGate, AReceiveEndsTheWaitForMore) {
    ReadGate gate;
    gate.beginEvent(10);
    ASSERT_EQ(gate.endEvent(), After::WaitForMore);
    gate.noteReceive();
    EXPECT_FALSE(gate.waitingForMore());
    EXPECT_TRUE(gate.due(10));
}

TEST(ReadGate, AnEventSwallowedByABusyHandlerHoldsTheRestBackAndIsRaisedAgainAfterIt) {
    ReadGate gate;
    gate.beginEvent(752);
    gate.noteReceive();    // the outer step takes its record ...
    gate.beginEvent(376);  // ... and its modal box lets the next event in, which is refused
    EXPECT_EQ(gate.endEvent(), After::Held);
    // Nothing is due while the box is up, however much arrives: its loop must not spin.
    EXPECT_TRUE(gate.held());
    EXPECT_FALSE(gate.due(376));
    EXPECT_FALSE(gate.due(1128));
    EXPECT_EQ(gate.endEvent(), After::RaiseAgain);
    EXPECT_FALSE(gate.held());
    EXPECT_TRUE(gate.due(376));
    // Once looked at again, the gate behaves as before.
    gate.beginEvent(376);
    gate.noteReceive();
    EXPECT_EQ(gate.endEvent(), After::Nothing);
}

TEST(ReadGate, ANestedEventThatTakesBytesHoldsNothingBack) {
    ReadGate gate;
    gate.beginEvent(752);
    gate.beginEvent(752);
    gate.noteReceive();
    EXPECT_EQ(gate.endEvent(), After::Nothing);
    EXPECT_TRUE(gate.due(376));
    EXPECT_EQ(gate.endEvent(), After::RaiseAgain);
}

TEST(ReadGate, ResetForgetsAWaitForMore) {
    ReadGate gate;
    gate.beginEvent(100);
    ASSERT_EQ(gate.endEvent(), After::WaitForMore);
    gate.reset();
    EXPECT_TRUE(gate.due(100));
}

}  // namespace
}  // namespace ardentis::platform
