#include "app/capture/taskqueue.h"

#include "platform/base/Invoker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace {

Task FileTask(uint32_t id, const std::string& url) {
    Task task(url, "/tmp/x", "doc,pdf");
    task.NodeId = id;
    return task;
}

// Waits (bounded by the test timeout) until the predicate holds, serving main-thread calls.
void WaitFor(const std::function<bool()>& done) {
    Invoker().WaitServing(done);
}

} // namespace

TEST(TaskQueue, HandsOutInOrderSkippingCancelled) {
    TaskQueue queue;
    queue.AddTask(FileTask(1, "a"));
    queue.AddTask(FileTask(2, "b"));
    queue.AddTask(FileTask(3, "c"));
    EXPECT_TRUE(queue.CancelTask(2, TaskCancelled));
    EXPECT_FALSE(queue.CancelTask(99, TaskCancelled));

    Task task;
    EXPECT_EQ(queue.TakeNextTask(task), 0);
    EXPECT_EQ(task.Url, "a");
    EXPECT_EQ(task.State, TaskRunning);
    EXPECT_EQ(queue.At(0).State, TaskRunning);
    EXPECT_EQ(queue.TakeNextTask(task), 2);
    EXPECT_EQ(task.Url, "c");
    EXPECT_EQ(queue.TakeNextTask(task), -1);
    EXPECT_EQ(queue.At(1).State, TaskCancelled);

    queue.SetTaskState(0, TaskDone);
    queue.SetTaskState(7, TaskDone); // out of range: ignored
    EXPECT_EQ(queue.At(0).State, TaskDone);
}

TEST(TaskQueue, DroppingPageTasksKeepsFileTasksAndTheCursorsPlace) {
    TaskQueue queue;
    for (uint32_t id : {1u, 2u, 3u, 4u, 5u}) {
        Task page("http://h/" + std::to_string(id), "/b/store",
                  id == 4 ? "UnfinishedHtm" : UnfinishedPageKind);
        page.NodeId = id;
        queue.AddTask(id == 2 ? FileTask(id, "f") : page);
    }
    Task taken;
    queue.TakeNextTask(taken);
    queue.TakeNextTask(taken);
    queue.TakeNextTask(taken); // the cursor is at the fourth
    queue.DropPageTasks([](uint32_t id) { return id == 3 || id == 5; });
    ASSERT_EQ(queue.Count(), 3u);
    EXPECT_EQ(queue.At(0).Url, "f");
    EXPECT_EQ(queue.At(1).Url, "http://h/3");
    EXPECT_EQ(queue.TakeNextTask(taken), 2);
    EXPECT_EQ(taken.Url, "http://h/5");
}

TEST(TaskQueue, SavedLinesLoadBackWithStatesAndRestartAtTheFirst) {
    TaskQueue queue;
    Task page("http://h/p", "/b/store", UnfinishedPageKind);
    page.NodeId = 0x80000001u;
    queue.AddTask(page);
    queue.AddTask(FileTask(5, "http://h/f.doc"));
    Task taken;
    queue.TakeNextTask(taken);
    queue.SetTaskState(0, TaskFailed);
    const auto lines = queue.SaveTasks();
    ASSERT_EQ(lines.size(), 2u);

    TaskQueue reopened;
    reopened.LoadTasks(lines);
    EXPECT_EQ(reopened.SaveTasks(), lines);
    EXPECT_EQ(reopened.At(0).State, TaskFailed);
    EXPECT_TRUE(reopened.HasPageTask(0x80000001u));
    EXPECT_FALSE(reopened.HasPageTask(5)); // a file task is not a page task
    EXPECT_EQ(reopened.TakeNextTask(taken), 0);
}

TEST(TaskQueue, PollerWorksEveryTaskOnceInOrder) {
    TaskQueue queue(std::chrono::hours(1));
    std::mutex seenLock;
    std::vector<std::string> seen;
    queue.SetRunner([&](TaskQueue& q, const Task& task, int index) {
        {
            std::lock_guard<std::mutex> guard(seenLock);
            seen.push_back(task.Url);
        }
        q.SetTaskState(index, TaskDone);
    });
    queue.AddTask(FileTask(1, "a"));
    queue.AddTask(FileTask(2, "b"));
    queue.StartPolling();
    queue.StartPolling(); // refused: one poller only
    // A task added while the poller sleeps wakes it; the idle wait is an hour.
    queue.AddTask(FileTask(3, "c"));
    WaitFor([&] { return queue.At(2).State == TaskDone; });
    queue.Stop();
    EXPECT_FALSE(queue.Polling());
    std::lock_guard<std::mutex> guard(seenLock);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TaskQueue, StopWakesASleepingPollerAndRestartGivesOne) {
    TaskQueue queue(std::chrono::hours(1));
    std::atomic<int> runs{0};
    queue.SetRunner([&](TaskQueue& q, const Task&, int index) {
        ++runs;
        q.SetTaskState(index, TaskDone);
    });
    for (int round = 0; round < 20; ++round) {
        queue.StartPolling();
        queue.Stop(); // would hang the test for an hour if the sleep were not interrupted
    }
    queue.LoadTasks({SerializeTask(FileTask(9, "z"))});
    queue.StartPolling();
    WaitFor([&] { return queue.At(0).State == TaskDone; });
    queue.Stop();
    EXPECT_EQ(runs.load(), 1);
}

TEST(TaskQueue, StopWhileTheWorkerWaitsForTheMainThread) {
    MainThreadInvoker invoker;
    SetInvoker(&invoker);
    TaskQueue queue(std::chrono::hours(1));
    std::atomic<bool> started{false};
    std::atomic<int> found{0};
    queue.SetRunner([&](TaskQueue& q, const Task& task, int index) {
        started = true;
        // A tree look-up runs on the main thread, which is busy stopping the queue.
        found = Invoker().InvokeFor<int>([&] { return static_cast<int>(task.NodeId); });
        q.SetTaskState(index, TaskDone);
    });
    queue.AddTask(FileTask(42, "a"));
    queue.StartPolling();
    WaitFor([&] { return started.load(); });
    queue.Stop();
    SetInvoker(nullptr);
    EXPECT_EQ(found.load(), 42);
    EXPECT_EQ(queue.At(0).State, TaskDone);
}

TEST(TaskQueue, ATaskWithoutRunnerFails) {
    TaskQueue queue(std::chrono::hours(1));
    queue.AddTask(FileTask(1, "a"));
    queue.StartPolling();
    WaitFor([&] { return queue.At(0).State == TaskFailed; });
    queue.Stop();
    EXPECT_EQ(queue.At(0).State, TaskFailed);
}

// Threads adding tasks at once each get the index their own task is stored at, so a caller
// that marks or looks up the task it added reaches that task and no other.
TEST(TaskQueue, ConcurrentAddsReturnEachTasksOwnIndex) {
    constexpr int Threads = 8;
    constexpr int PerThread = 5000;
    TaskQueue queue(std::chrono::hours(1));
    std::atomic<int> ready{0};
    std::vector<std::vector<int>> indexes(Threads);
    std::vector<std::thread> adders;
    for (int t = 0; t < Threads; ++t) {
        adders.emplace_back([&, t] {
            ++ready;
            while (ready.load() < Threads) {
                std::this_thread::yield(); // all start together, so the adds interleave
            }
            for (int i = 0; i < PerThread; ++i) {
                indexes[t].push_back(queue.AddTask(
                    FileTask(static_cast<uint32_t>(t), std::to_string(t * PerThread + i))));
            }
        });
    }
    for (std::thread& adder : adders) {
        adder.join();
    }
    ASSERT_EQ(queue.Count(), static_cast<size_t>(Threads * PerThread));
    int wrong = 0;
    std::vector<bool> taken(Threads * PerThread, false);
    for (int t = 0; t < Threads; ++t) {
        for (int i = 0; i < PerThread; ++i) {
            const int index = indexes[t][i];
            const bool inRange = index >= 0 && index < Threads * PerThread;
            if (!inRange || taken[index] ||
                queue.At(index).Url != std::to_string(t * PerThread + i)) {
                ++wrong;
            }
            if (inRange) {
                taken[index] = true;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}
