// Work run beside the event loop: the waiting thread's loop serves its timers while the work
// runs, the call returns once the work has ended, however soon, and what the work throws comes
// back to the caller.
#include "platform/base/EventLoopWait.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

TEST(RunBesideEventLoop, TheLoopServesWhileTheWorkRunsAndItsEndComesBack) {
    int argc = 1;
    char name[] = "platform_base_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    // The work ends only once the waiting thread's loop has fired its timer.
    std::atomic<bool> fired{false};
    QTimer::singleShot(0, [&fired] { fired = true; });
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id ranOn;
    RunBesideEventLoop([&] {
        ranOn = std::this_thread::get_id();
        while (!fired) {
            std::this_thread::yield();
        }
    });
    EXPECT_TRUE(fired);
    EXPECT_NE(ranOn, caller);

    // Work that has ended before the loop starts.
    int runs = 0;
    RunBesideEventLoop([&runs] { ++runs; });
    EXPECT_EQ(runs, 1);

    try {
        RunBesideEventLoop([] { throw std::runtime_error("disk full"); });
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "disk full");
    }
}

// With no application (a tool, a benchmark) or off its thread there is no loop to serve: the
// work runs in place and the call returns. A loop started there would spin for ever.
TEST(RunBesideEventLoop, WithoutTheApplicationsLoopTheWorkRunsInPlace) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    std::thread::id ranOn;
    std::promise<void> returned;
    std::future<void> end = returned.get_future();
    std::thread caller([&] {
        RunBesideEventLoop([&ranOn] { ranOn = std::this_thread::get_id(); });
        returned.set_value();
    });
    if (end.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        caller.detach(); // spinning in a loop nothing serves
        FAIL() << "the call never returned";
    }
    EXPECT_EQ(ranOn, caller.get_id());
    caller.join();
}
