// Every test starts from the same shared state, whatever ran before it in
// the same process: a listener puts the state kept at the start of the
// program back before each test (the game window's tests put back the
// state as the window's start-up left it, see GameWindow.cpp).
#include <gtest/gtest.h>

#include "support/StateGuards.h"

namespace {

SharedState* AtProgramStart = nullptr;

class FreshStateListener : public ::testing::EmptyTestEventListener {
    void OnTestProgramStart(const ::testing::UnitTest&) override {
        if (!AtProgramStart) AtProgramStart = new SharedState;
    }
    void OnTestStart(const ::testing::TestInfo&) override { FreshSharedState(); }
};

const bool Registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStateListener);
    return true;
}();

}  // namespace

void FreshSharedState() {
    if (AtProgramStart) AtProgramStart->PutBack();
}
