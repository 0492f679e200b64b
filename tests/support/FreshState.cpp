// Every test starts from the same shared state, whatever ran before it in
// the same process: a listener puts the state kept at the start of the
// program back before each test (the game window's tests put back the
// state as the window's start-up left it, see GameWindow.cpp). After each
// test it puts it back again and fails the test if any byte of the game or
// platform object outside the list in SharedState.cpp is still changed:
// that state would leak into the next test.
#include <gtest/gtest.h>

#include "support/SharedState.h"

namespace {

SharedState* AtProgramStart = nullptr;
UnlistedBytes* Unlisted = nullptr;

class FreshStateListener : public ::testing::EmptyTestEventListener {
    void OnTestProgramStart(const ::testing::UnitTest&) override {
        if (!AtProgramStart) AtProgramStart = new SharedState;
        if (!Unlisted) Unlisted = new UnlistedBytes(SharedGlobals());
    }
    void OnTestStart(const ::testing::TestInfo&) override {
        FreshSharedState();
        Unlisted->Take();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        FreshSharedState();
        for (const std::string& change : Unlisted->Changed()) {
            ADD_FAILURE() << "The test left " << change
                          << " changed, which nothing puts back: add it to the list in "
                             "tests/support/SharedState.cpp";
        }
    }
};

const bool Registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStateListener);
    return true;
}();

}  // namespace

void FreshSharedState() {
    if (AtProgramStart) AtProgramStart->PutBack();
}
