#include "platform/base/Invoker.h"
#include "platform/base/EventLoopInvoker.h"
#include "platform/base/PostedMessage.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class Recorder : public MessageTarget {
public:
    void Dispatch(const PostedMessage& message) override { received.push_back(message); }
    std::vector<PostedMessage> received;
};

// Each case gets its own invoker owned by the test thread.
class InvokerTest : public testing::Test {
protected:
    InvokerTest() { SetInvoker(&invoker); }
    ~InvokerTest() override { SetInvoker(nullptr); }
    MainThreadInvoker invoker;
};

} // namespace

TEST_F(InvokerTest, InvokeRunsOnTheMainThreadAndReturnsTheResultOrTheException) {
    // On the main thread itself the call runs at once.
    bool ran = false;
    invoker.Invoke([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(invoker.Drain(), 0);

    std::thread::id ranOn;
    int result = 0;
    std::string caught;
    std::thread worker([&] {
        result = invoker.InvokeFor<int>([&] {
            ranOn = std::this_thread::get_id();
            return 42;
        });
        try {
            invoker.Invoke([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
    });
    invoker.JoinServing(worker);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(caught, "boom");
}

TEST_F(InvokerTest, ShutdownReleasesWaitingWorkers) {
    std::atomic<bool> queued{false};
    invoker.SetWake([&] { queued = true; });
    std::atomic<int> refused{0};
    bool ran = false;
    auto invokeOnce = [&] {
        try {
            invoker.Invoke([&] { ran = true; });
        } catch (const std::runtime_error&) {
            ++refused;
        }
    };
    std::thread waiting(invokeOnce);
    while (!queued) {
        std::this_thread::yield();
    }
    invoker.Shutdown(); // the waiting worker must be released, not left hanging
    waiting.join();
    std::thread late(invokeOnce);
    late.join();
    EXPECT_EQ(refused.load(), 2);
    EXPECT_FALSE(ran);
    EXPECT_EQ(invoker.Drain(), 0);
}

TEST_F(InvokerTest, PostedMessagesArriveInOrderWithTheirText) {
    Recorder window;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            PostMessageTo(&window, {3022, 0, i, i % 10 == 0 ? "text " + std::to_string(i) : ""});
        }
    });
    worker.join();
    EXPECT_TRUE(window.received.empty()); // nothing runs until the main thread drains
    EXPECT_EQ(invoker.Drain(), 100);
    ASSERT_EQ(window.received.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(window.received[static_cast<size_t>(i)].LParam, i);
    }
    EXPECT_EQ(window.received[30].Text, "text 30");

    // A message to a target destroyed meanwhile runs, finds no target and does nothing.
    auto form = std::make_unique<Recorder>();
    PostMessageTo(form.get(), {3019, 2, 0, ""});
    form.reset();
    EXPECT_EQ(invoker.Drain(), 1);
}

TEST_F(InvokerTest, WakeIsCalledForEveryQueuedCall) {
    std::atomic<int> wakes{0};
    invoker.SetWake([&] { ++wakes; });
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                invoker.Post([] {});
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    EXPECT_EQ(wakes.load(), 100);
    EXPECT_EQ(invoker.Drain(), 100);
}

TEST_F(InvokerTest, EventLoopRunsCallsOfWorkers) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    BindInvokerToEventLoop(invoker);
    Recorder window;
    int invoked = 0;
    std::thread worker([&] {
        invoker.Invoke([&] { invoked = 7; }); // blocks until the event loop has run it
        PostMessageTo(&window, {3022, 0, 5, ""});
        invoker.Post([&] { QCoreApplication::quit(); });
    });
    app.exec();
    worker.join();
    EXPECT_EQ(invoked, 7);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].LParam, 5);
}
