// The preparer of pictures: one work for a content and size however many ask, ready images kept
// to their bound with those shown longest ago going first, work nobody wants dropped, viewers
// told and never once gone, verdicts kept by content, waits that serve, and workers joined
// before what they use goes.
#include "platform/graphics/PicturePreparation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <set>
#include <thread>

using namespace std::chrono_literals;

namespace {

using Clock = TPicturePreparer::Clock;

TPictureKey Key(const char* content, int width = 10, int height = 10) {
    return {QByteArray(content), 'T', width, height};
}

QImage Image(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// Work that makes an image of the key's size in `colour`, noting the key in `ran`.
TPreparationWorkMaker Painting(const TPictureKey& key, std::multiset<std::string>* ran,
                               std::mutex* ranLock, QRgb colour = qRgb(1, 2, 3)) {
    return [=] {
        return [=](TPreparationContext&) {
            {
                std::lock_guard lock(*ranLock);
                ran->insert(key.Content.toStdString() + "@" + std::to_string(key.Width));
            }
            return TPrepared{TPreparedEnd::Ready, Image(key.Width, key.Height, colour)};
        };
    };
}

TPrepared WaitFor(TPicturePreparer& preparer, const TPictureKey& key,
                  const TPreparationWorkMaker& work) {
    return preparer.Wait(key, work, Clock::now() + 60s);
}

// Work that runs until it is told to stop, noting that it began and how it ended.
struct TStoppable {
    std::atomic<bool> Began{false};
    std::atomic<bool> Stopped{false};
    TPreparationWorkMaker Maker() {
        return [this] {
            return [this](TPreparationContext& context) {
                Began = true;
                while (!context.Stopped()) {
                    std::this_thread::sleep_for(2ms);
                }
                Stopped = true;
                return TPrepared{TPreparedEnd::Later, {}};
            };
        };
    }
};

void Until(const std::function<bool()>& done) {
    const auto limit = Clock::now() + 60s;
    while (!done() && Clock::now() < limit) {
        std::this_thread::sleep_for(2ms);
    }
}

} // namespace

TEST(PicturePreparation, OneWorkForAContentAndSizeHoweverManyAskAndWait) {
    TPicturePreparer preparer;
    std::multiset<std::string> ran;
    std::mutex lock;
    TPictureViewer first([] {});
    TPictureViewer second([] {});
    const TPictureKey key = Key("copy");
    preparer.Ask(key, Painting(key, &ran, &lock), first);
    preparer.Ask(key, Painting(key, &ran, &lock), second);
    std::vector<std::thread> waiters;
    std::atomic<int> readyOnes{0};
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            readyOnes +=
                WaitFor(preparer, key, Painting(key, &ran, &lock)).End == TPreparedEnd::Ready;
        });
    }
    for (std::thread& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(readyOnes, 4);
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    QImage image;
    EXPECT_EQ(preparer.Look(key, image), TPicturePreparer::TState::Ready);
    EXPECT_EQ(image.pixel(5, 5), qRgb(1, 2, 3));
    // Another size of the same content is another image.
    const TPictureKey larger = Key("copy", 20, 20);
    EXPECT_EQ(preparer.Look(larger, image), TPicturePreparer::TState::Waiting);
    EXPECT_EQ(WaitFor(preparer, larger, Painting(larger, &ran, &lock)).Image.width(), 20);
    EXPECT_EQ(ran, (std::multiset<std::string>{"copy@10", "copy@20"}));
    EXPECT_EQ(preparer.Counts().Started, 2);
}

TEST(PicturePreparation, ReadyImagesKeepToTheirBoundThoseShownLongestAgoGoingFirst) {
    TPreparerOptions options;
    const uint64_t one = Image(100, 100, 0).sizeInBytes();
    options.ReadyBytes = 3 * one;
    TPicturePreparer preparer(options);
    std::multiset<std::string> ran;
    std::mutex lock;
    for (const char* content : {"a", "b", "c"}) {
        const TPictureKey key = Key(content, 100, 100);
        ASSERT_EQ(WaitFor(preparer, key, Painting(key, &ran, &lock)).End, TPreparedEnd::Ready);
    }
    QImage image;
    // "a" is shown again: "b" is now the one shown longest ago, then "c".
    ASSERT_EQ(preparer.Look(Key("a", 100, 100), image), TPicturePreparer::TState::Ready);
    const TPictureKey d = Key("d", 100, 100);
    WaitFor(preparer, d, Painting(d, &ran, &lock));
    EXPECT_EQ(preparer.Look(Key("b", 100, 100), image), TPicturePreparer::TState::Waiting);
    for (const char* content : {"a", "c", "d"}) {
        EXPECT_EQ(preparer.Look(Key(content, 100, 100), image), TPicturePreparer::TState::Ready)
            << content;
    }
    EXPECT_EQ(preparer.Counts().Evicted, 1);
    EXPECT_EQ(preparer.ReadyBytes(), 3 * one);
    // A smaller bound lets go of those shown longest ago: "c", then "a" (shown before "d").
    preparer.SetReadyBytesBound(one);
    EXPECT_EQ(preparer.Look(Key("d", 100, 100), image), TPicturePreparer::TState::Ready);
    EXPECT_EQ(preparer.Look(Key("a", 100, 100), image), TPicturePreparer::TState::Waiting);
    EXPECT_EQ(preparer.ReadyBytes(), one);
    // An image larger than the whole bound goes to whoever waits for it, and is not kept.
    const TPictureKey huge = Key("huge", 200, 200);
    EXPECT_EQ(WaitFor(preparer, huge, Painting(huge, &ran, &lock)).Image.width(), 200);
    EXPECT_EQ(preparer.Look(huge, image), TPicturePreparer::TState::Waiting);
    EXPECT_EQ(preparer.Look(Key("d", 100, 100), image), TPicturePreparer::TState::Ready);
}

// One worker busy with a picture the viewer scrolled away from; two more asked for behind it.
// The viewer paints its whole view again and asks only for the last: the running work is told to
// stop, the second is taken off the queue unrun, the last is prepared.
TEST(PicturePreparation, WorkNoViewerAsksForAnyMoreIsDroppedAndRunningWorkIsStopped) {
    TPreparerOptions options;
    options.Workers = 1;
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    TStoppable scrolledAway;
    std::multiset<std::string> ran;
    std::mutex lock;
    preparer.Ask(Key("away"), scrolledAway.Maker(), viewer);
    Until([&] { return scrolledAway.Began.load(); });
    const TPictureKey passed = Key("passed");
    const TPictureKey shown = Key("shown");
    preparer.Ask(passed, Painting(passed, &ran, &lock), viewer);
    preparer.Ask(shown, Painting(shown, &ran, &lock), viewer);
    // A paint of part of the view asks for the running one again; while the next paint of the
    // whole view goes on, what it has not asked for yet is still wanted.
    preparer.Ask(Key("away"), scrolledAway.Maker(), viewer);
    viewer.WholeViewPaintBegins();
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(scrolledAway.Stopped);
    // That paint asks only for the last.
    preparer.Ask(shown, Painting(shown, &ran, &lock), viewer);
    viewer.WholeViewPaintEnds();
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    EXPECT_TRUE(scrolledAway.Stopped);
    EXPECT_EQ(ran, std::multiset<std::string>{"shown@10"});
    EXPECT_EQ(preparer.Counts().Dropped, 2);
    QImage image;
    EXPECT_EQ(preparer.Look(shown, image), TPicturePreparer::TState::Ready);
    // Dropped, not refused: asked again, it is prepared.
    EXPECT_EQ(preparer.Look(passed, image), TPicturePreparer::TState::Waiting);
}

TEST(PicturePreparation, AViewerIsToldWhenItsPicturesAreReadyAndNeverOnceItIsGone) {
    TPicturePreparer preparer;
    std::multiset<std::string> ran;
    std::mutex lock;
    int told = 0;
    TPictureViewer viewer([&] { ++told; });
    for (const char* content : {"one", "two", "three"}) {
        preparer.Ask(Key(content), Painting(Key(content), &ran, &lock), viewer);
    }
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    EXPECT_TRUE(preparer.Busy()); // the notice waits for the event loop
    QCoreApplication::processEvents();
    preparer.DeliverNotices();
    EXPECT_GE(told, 1);
    EXPECT_LE(told, 3);
    EXPECT_FALSE(preparer.Busy());

    // A viewer gone while its picture is prepared is not told, and its work is stopped.
    int goneTold = 0;
    TStoppable work;
    {
        TPictureViewer gone([&] { ++goneTold; });
        preparer.Ask(Key("gone"), work.Maker(), gone);
        Until([&] { return work.Began.load(); });
    }
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    EXPECT_TRUE(work.Stopped);
    QCoreApplication::processEvents();
    preparer.DeliverNotices();
    EXPECT_EQ(goneTold, 0);
}

TEST(PicturePreparation, ARefusedContentIsRefusedAtEverySizeAndOnePutOffIsTriedAgain) {
    TPicturePreparer preparer;
    std::atomic<int> works{0};
    auto refusing = [&] {
        return [&](TPreparationContext&) {
            ++works;
            return TPrepared{TPreparedEnd::Refused, {}};
        };
    };
    EXPECT_EQ(WaitFor(preparer, Key("refused", 10, 10), refusing).End, TPreparedEnd::Refused);
    QImage image;
    EXPECT_EQ(preparer.Look(Key("refused", 30, 30), image), TPicturePreparer::TState::Refused);
    EXPECT_TRUE(preparer.Refused("refused"));
    EXPECT_EQ(WaitFor(preparer, Key("refused", 30, 30), refusing).End, TPreparedEnd::Refused);
    EXPECT_EQ(works, 1);
    // Work that answers Ready without an image, or throws, refuses its picture too.
    EXPECT_EQ(WaitFor(preparer, Key("empty"),
                      [] {
                          return [](TPreparationContext&) {
                              return TPrepared{TPreparedEnd::Ready, {}};
                          };
                      })
                  .End,
              TPreparedEnd::Refused);
    EXPECT_EQ(WaitFor(preparer, Key("throws"),
                      [] {
                          return [](TPreparationContext&) -> TPrepared {
                              throw std::runtime_error("no");
                          };
                      })
                  .End,
              TPreparedEnd::Refused);

    // Put off, it is tried again.
    int tries = 0;
    auto busy = [&] {
        return [&](TPreparationContext&) {
            return ++tries < 3 ? TPrepared{TPreparedEnd::Later, {}}
                               : TPrepared{TPreparedEnd::Ready, Image(10, 10, 0)};
        };
    };
    for (TPreparedEnd expected : {TPreparedEnd::Later, TPreparedEnd::Later, TPreparedEnd::Ready}) {
        EXPECT_EQ(WaitFor(preparer, Key("busy"), busy).End, expected);
    }
    EXPECT_EQ(tries, 3);
}

TEST(PicturePreparation, AConversionIsKeptByContentWithinItsBound) {
    TPreparerOptions options;
    options.ConversionBytes = 100;
    options.LargestConversion = 60;
    TPicturePreparer preparer(options);
    std::vector<std::string> seen;
    auto converting = [&](std::string made) {
        return [&seen, made] {
            return [&seen, made](TPreparationContext& context) {
                const auto kept = context.Conversion();
                seen.push_back(kept ? *kept : "-");
                if (!kept) {
                    context.KeepConversion(made);
                }
                return TPrepared{TPreparedEnd::Ready, Image(4, 4, 0)};
            };
        };
    };
    WaitFor(preparer, Key("x", 1, 1), converting(std::string(50, 'x')));
    WaitFor(preparer, Key("x", 2, 2), converting("unused"));
    // Too large to keep, made again each time.
    WaitFor(preparer, Key("y", 1, 1), converting(std::string(61, 'y')));
    WaitFor(preparer, Key("y", 2, 2), converting(std::string(61, 'y')));
    // Two more that fit push out the one used longest ago ("x").
    WaitFor(preparer, Key("z", 1, 1), converting(std::string(40, 'z')));
    WaitFor(preparer, Key("w", 1, 1), converting(std::string(40, 'w')));
    WaitFor(preparer, Key("x", 3, 3), converting("again"));
    EXPECT_EQ(seen, (std::vector<std::string>{"-", std::string(50, 'x'), "-", "-", "-", "-", "-"}));
    EXPECT_EQ(preparer.Counts().Conversions, 6);
}

TEST(PicturePreparation, AWaitServesBetweenStretchesAndEndsAtItsTime) {
    TPreparerOptions options;
    options.Workers = 1;
    TPicturePreparer preparer(options);
    TStoppable endless;
    int served = 0;
    const auto start = Clock::now();
    const TPrepared prepared =
        preparer.Wait(Key("endless"), endless.Maker(), start + 300ms, [&] { ++served; });
    EXPECT_EQ(prepared.End, TPreparedEnd::Later);
    EXPECT_GE(Clock::now() - start, 300ms);
    // At most 20 ms without serving: a stretch of 300 ms is served a few times at least.
    EXPECT_GE(served, 3);
    // Nobody waits any more: the work is stopped, not left running.
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    EXPECT_TRUE(endless.Stopped);
}

TEST(PicturePreparation, GoingStopsTheWorkAndJoinsBeforeWhatTheWorkUsesGoes) {
    TStoppable running;
    std::atomic<bool> heldWhileRunning{false};
    struct TResource {
        TStoppable& Work;
        std::atomic<bool>& Wrong;
        ~TResource() { Wrong = Work.Began && !Work.Stopped; }
    };
    {
        TPicturePreparer preparer;
        preparer.Hold(std::make_shared<TResource>(running, heldWhileRunning));
        TPictureViewer viewer([] {});
        preparer.Ask(Key("running"), running.Maker(), viewer);
        Until([&] { return running.Began.load(); });
        preparer.Ask(Key("queued"), running.Maker(), viewer);
    }
    EXPECT_TRUE(running.Stopped);
    EXPECT_FALSE(heldWhileRunning);
    // After it went down, a wait answers at once and asks do nothing.
    TPicturePreparer stopped;
    stopped.ShutDown();
    TStoppable never;
    EXPECT_EQ(stopped.Wait(Key("late"), never.Maker(), Clock::now() + 60s).End,
              TPreparedEnd::Later);
    EXPECT_FALSE(never.Began);
}

TEST(PicturePreparation, WorkAskedForInAPaintWaitsForItsEndAndAWaitDoesNot) {
    TPicturePreparer preparer;
    TPictureViewer viewer([] {});
    std::multiset<std::string> ran;
    std::mutex lock;
    preparer.HoldAskedWork();
    preparer.HoldAskedWork();
    preparer.Ask(Key("asked"), Painting(Key("asked"), &ran, &lock), viewer);
    // A wait meanwhile is served, before what was asked for.
    EXPECT_EQ(WaitFor(preparer, Key("waited"), Painting(Key("waited"), &ran, &lock)).End,
              TPreparedEnd::Ready);
    std::this_thread::sleep_for(100ms);
    preparer.ReleaseAskedWork();
    std::this_thread::sleep_for(100ms);
    {
        std::lock_guard guard(lock);
        EXPECT_EQ(ran, std::multiset<std::string>{"waited@10"});
    }
    // The outer paint ends: the work asked for runs.
    preparer.ReleaseAskedWork();
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    std::lock_guard guard(lock);
    EXPECT_EQ(ran, (std::multiset<std::string>{"asked@10", "waited@10"}));
}

namespace {

// Work that makes an image of the key's shape within the bytes it is given, or, when `whole`,
// of the key's size whatever it is given.
TPreparationWorkMaker Fitting(const TPictureKey& key, bool whole = false) {
    return [=] {
        return [=](TPreparationContext& context) {
            int width = key.Width;
            int height = key.Height;
            if (!whole) {
                FitImageBytes(width, height, context.ImageBytes());
            }
            return TPrepared{TPreparedEnd::Ready, Image(width, height, qRgb(4, 5, 6))};
        };
    };
}

// Work that makes an image of the key's shape halved until it fits the bytes it is given, as a
// JPEG decode at libjpeg's scales does: it may come out well below them.
TPreparationWorkMaker Halving(const TPictureKey& key) {
    return [=] {
        return [=](TPreparationContext& context) {
            int width = key.Width;
            int height = key.Height;
            while (TPictureKey({}, 0, width, height).Bytes() > context.ImageBytes() && width > 1) {
                width /= 2;
                height /= 2;
            }
            return TPrepared{TPreparedEnd::Ready, Image(width, height, qRgb(4, 5, 6))};
        };
    };
}

// A paint of `viewer`'s view that draws `keys`, as a window paints: those not ready are asked for
// and, in a paint of the whole view, those ready smaller than shown are asked for larger; the works
// start when the paint ends.
void Paint(TPicturePreparer& preparer, TPictureViewer& viewer, const std::vector<TPictureKey>& keys,
           bool wholeView, const std::function<TPreparationWorkMaker(const TPictureKey&)>& work) {
    preparer.HoldAskedWork();
    if (wholeView) {
        viewer.WholeViewPaintBegins();
    }
    for (const TPictureKey& key : keys) {
        QImage image;
        const TPicturePreparer::TState state = preparer.Look(key, image, &viewer);
        if (state == TPicturePreparer::TState::Waiting) {
            preparer.Ask(key, work(key), viewer);
        } else if (state == TPicturePreparer::TState::Ready && wholeView &&
                   (image.width() < key.Width || image.height() < key.Height)) {
            preparer.AskLarger(key, work(key), viewer);
        }
    }
    if (wholeView) {
        viewer.WholeViewPaintEnds();
    }
    preparer.ReleaseAskedWork();
}

// A paint of the whole view. The works of those named in `whole` make their images at the keys'
// size whatever they are given.
void PaintView(TPicturePreparer& preparer, TPictureViewer& viewer,
               const std::vector<TPictureKey>& keys, const std::set<QByteArray>& whole = {}) {
    Paint(preparer, viewer, keys, true,
          [&](const TPictureKey& key) { return Fitting(key, whole.count(key.Content) > 0); });
}

} // namespace

// Four pictures in one view whose images take twice the bound at the sizes shown: each is given
// half its size's bytes, a work that cannot make its image that small has it made so, and all four
// are kept together, each prepared once, none pushed out by another.
TEST(PicturePreparation, PicturesOfOneViewThatDoNotFitTogetherAreKeptAtAScaleAtWhichTheyFit) {
    TPreparerOptions options;
    options.ReadyBytes = 2 * Key("", 100, 100).Bytes();
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    const std::vector<TPictureKey> keys = {Key("a", 100, 100), Key("b", 100, 100),
                                           Key("c", 100, 100), Key("d", 100, 100)};
    PaintView(preparer, viewer, keys, {"d"});
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    PaintView(preparer, viewer, keys);
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    for (const TPictureKey& key : keys) {
        QImage image;
        ASSERT_EQ(preparer.Look(key, image, &viewer), TPicturePreparer::TState::Ready)
            << key.Content.toStdString();
        EXPECT_LE(static_cast<uint64_t>(image.sizeInBytes()), key.Bytes() / 2);
        EXPECT_GE(static_cast<uint64_t>(image.sizeInBytes()), key.Bytes() * 2 / 5);
        EXPECT_EQ(preparer.Preparations(key.Content), 1);
    }
    EXPECT_LE(preparer.ReadyBytes(), options.ReadyBytes);
    EXPECT_EQ(preparer.Counts().Evicted, 0);
    EXPECT_EQ(preparer.Counts().Reduced, 4);
    EXPECT_EQ(preparer.Counts().Started, 4);
}

// A view shows four pictures that fill the bound at their size, then six; then another view shows
// three more while the first keeps its six. No picture is made smaller than a quarter of its share
// (where cut to the room the others left, one was made a pixel and kept so), the images stay
// within the bound, and repainting as the views are told ends.
TEST(PicturePreparation, APictureIsNeverMadeTinyBesideTheImagesTheViewsHold) {
    TPreparerOptions options;
    const uint64_t one = Key("", 100, 100).Bytes();
    options.ReadyBytes = 4 * one;
    TPicturePreparer preparer(options);
    TPictureViewer first([] {});
    TPictureViewer second([] {});
    std::vector<TPictureKey> six;
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        six.push_back(Key(name, 100, 100));
    }
    const std::vector<TPictureKey> three = {Key("g", 100, 100), Key("h", 100, 100),
                                            Key("i", 100, 100)};
    const auto settle = [&](TPictureViewer& viewer, const std::vector<TPictureKey>& keys) {
        for (int paint = 0; paint < 12; ++paint) {
            PaintView(preparer, viewer, keys);
            ASSERT_TRUE(preparer.WaitUntilIdle(60s));
        }
    };
    settle(first, {six.begin(), six.begin() + 4});
    settle(first, six);
    settle(second, three);
    const auto atLeast = [&](TPictureViewer& viewer, const std::vector<TPictureKey>& keys,
                             uint64_t share) {
        for (const TPictureKey& key : keys) {
            QImage image;
            if (preparer.Look(key, image, &viewer) == TPicturePreparer::TState::Ready) {
                EXPECT_GE(static_cast<uint64_t>(image.sizeInBytes()), share / 4 * 9 / 10)
                    << key.Content.toStdString() << " " << image.width() << "x" << image.height();
            }
        }
    };
    atLeast(first, six, one * 4 / 6);
    atLeast(second, three, one);
    for (const TPictureKey& key : three) {
        EXPECT_LE(preparer.Preparations(key.Content), 3) << key.Content.toStdString();
    }
    EXPECT_LE(preparer.ReadyBytes(), options.ReadyBytes);
}

// A view shows "shown", kept at its size; "other" is drawn by a print, which no view shows. The
// view then asks for "new" too, twice as large, which would not fit beside both: "other" goes
// although "shown" was drawn longer ago, and "new" is given what "shown" leaves. A
// wait for "new" does not get the smaller image: its work draws it whole for the wait alone, and
// the view keeps the smaller one.
TEST(PicturePreparation, WhatAViewShowsIsNotPushedOutAndAnImageMadeSmallerIsOnlyForViews) {
    TPreparerOptions options;
    const uint64_t one = Key("", 100, 100).Bytes();
    options.ReadyBytes = 2 * one;
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    const TPictureKey shown = Key("shown", 100, 100);
    const TPictureKey other = Key("other", 100, 100);
    const TPictureKey added = Key("new", 200, 100);
    PaintView(preparer, viewer, {shown});
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    ASSERT_EQ(WaitFor(preparer, other, Fitting(other)).End, TPreparedEnd::Ready);
    EXPECT_EQ(preparer.ReadyBytes(), 2 * one);
    // The paint's work starts when the paint is over; the print draws "other" again before.
    preparer.HoldAskedWork();
    PaintView(preparer, viewer, {shown, added});
    ASSERT_EQ(WaitFor(preparer, other, Fitting(other)).End, TPreparedEnd::Ready);
    preparer.ReleaseAskedWork();
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    QImage image;
    EXPECT_EQ(preparer.Look(other, image), TPicturePreparer::TState::Waiting);
    ASSERT_EQ(preparer.Look(shown, image, &viewer), TPicturePreparer::TState::Ready);
    EXPECT_EQ(image.width(), 100);
    ASSERT_EQ(preparer.Look(added, image, &viewer), TPicturePreparer::TState::Ready);
    EXPECT_LT(image.width(), 200);
    EXPECT_GE(static_cast<uint64_t>(image.sizeInBytes()), one * 9 / 10);
    EXPECT_LE(preparer.ReadyBytes(), 2 * one);
    EXPECT_EQ(preparer.Counts().Evicted, 1);

    // Drawn anywhere but in a view, the picture is whole.
    EXPECT_EQ(preparer.Look(added, image), TPicturePreparer::TState::Waiting);
    EXPECT_EQ(WaitFor(preparer, added, Fitting(added)).Image.width(), 200);
    EXPECT_EQ(preparer.Preparations("new"), 2);
    ASSERT_EQ(preparer.Look(added, image, &viewer), TPicturePreparer::TState::Ready);
    EXPECT_LT(image.width(), 200);
    EXPECT_LE(preparer.ReadyBytes(), 2 * one);
}

// A print that waits for a picture a view has just asked for joins the view's work, which makes
// the image smaller to fit beside the view's others: the print still gets the whole image, from a
// work of its own, and the view keeps its smaller one.
TEST(PicturePreparation, AWaitThatJoinsAViewsWorkStillGetsTheWholeImage) {
    TPreparerOptions options;
    options.ReadyBytes = Key("", 100, 100).Bytes();
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    const TPictureKey wide = Key("wide", 200, 100);
    preparer.HoldAskedWork();
    PaintView(preparer, viewer, {wide});
    const TPrepared printed = WaitFor(preparer, wide, Fitting(wide));
    preparer.ReleaseAskedWork();
    ASSERT_EQ(printed.End, TPreparedEnd::Ready);
    EXPECT_EQ(printed.Image.width(), 200);
    EXPECT_EQ(preparer.Preparations("wide"), 2);
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    QImage image;
    ASSERT_EQ(preparer.Look(wide, image, &viewer), TPicturePreparer::TState::Ready);
    EXPECT_LT(image.width(), 200);
}

// A view shows "a" and is scrolled by strips down to "d", faster than the event loop runs: "b",
// "c" and "d" are asked for while all four count as shown, each at half the bound, and made smaller
// by works that halve, as a JPEG decode at libjpeg's scales does. The view rests on the last three:
// each may take two thirds of a picture's bytes, more than it was given, and is made again at that
// share, once, though the halving work makes the same image; paints of the still view then start
// nothing. Resting on "d" alone, it is made at its own size.
TEST(PicturePreparation, PicturesMadeSmallerWhileTheViewScrolledAreMadeAgainOnceTheirShareGrows) {
    TPreparerOptions options;
    options.ReadyBytes = 2 * Key("", 100, 100).Bytes();
    // One work at a time: each is given what the ones before it left.
    options.Workers = 1;
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    const std::vector<TPictureKey> keys = {Key("a", 100, 100), Key("b", 100, 100),
                                           Key("c", 100, 100), Key("d", 100, 100)};
    const auto halving = [](const TPictureKey& key) { return Halving(key); };
    Paint(preparer, viewer, {keys[0]}, true, halving);
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    preparer.HoldAskedWork();
    for (size_t strip = 1; strip < keys.size(); ++strip) {
        Paint(preparer, viewer, {keys[strip - 1], keys[strip]}, false, halving);
    }
    preparer.ReleaseAskedWork();
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    const auto rest = [&](const std::vector<TPictureKey>& shown, int paints) {
        for (int paint = 0; paint < paints; ++paint) {
            Paint(preparer, viewer, shown, true, halving);
            ASSERT_TRUE(preparer.WaitUntilIdle(60s));
        }
    };
    const auto width = [&](const TPictureKey& key) {
        QImage image;
        EXPECT_EQ(preparer.Look(key, image, &viewer), TPicturePreparer::TState::Ready);
        return image.width();
    };
    ASSERT_EQ(width(keys[3]), 50);
    const std::vector<TPictureKey> three(keys.begin() + 1, keys.end());
    rest(three, 2);
    const TPreparerCounts settled = preparer.Counts();
    rest(three, 6);
    EXPECT_EQ(preparer.Counts().Started, settled.Started);
    EXPECT_EQ(preparer.Counts().Evicted, settled.Evicted);
    for (const TPictureKey& key : three) {
        EXPECT_EQ(width(key), 50) << key.Content.toStdString();
        EXPECT_EQ(preparer.Preparations(key.Content), 2) << key.Content.toStdString();
    }
    rest({keys[3]}, 4);
    EXPECT_EQ(width(keys[3]), 100);
    QImage whole;
    EXPECT_EQ(preparer.Look(keys[3], whole), TPicturePreparer::TState::Ready);
    EXPECT_EQ(preparer.Preparations("d"), 3);
    EXPECT_LE(preparer.ReadyBytes(), options.ReadyBytes);
}

// A picture made smaller while the view scrolled, too costly at its own size: resting on it alone,
// the view has its work tried larger once, which gives up; the picture keeps the image it had (not
// its frame from then on), and later paints start nothing.
TEST(PicturePreparation, APictureTooCostlyLargerKeepsTheSmallerImageItHad) {
    TPreparerOptions options;
    options.ReadyBytes = Key("", 100, 100).Bytes();
    options.Workers = 1;
    TPicturePreparer preparer(options);
    TPictureViewer viewer([] {});
    const TPictureKey a = Key("a", 100, 100);
    const TPictureKey b = Key("b", 100, 100);
    const auto costly = [](const TPictureKey& key) -> TPreparationWorkMaker {
        return [key] {
            return [key](TPreparationContext& context) {
                if (context.ImageBytes() >= key.Bytes()) {
                    return TPrepared{TPreparedEnd::Refused, {}};
                }
                return Fitting(key)()(context);
            };
        };
    };
    Paint(preparer, viewer, {a, b}, true, costly);
    ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    for (int paint = 0; paint < 4; ++paint) {
        Paint(preparer, viewer, {b}, true, costly);
        ASSERT_TRUE(preparer.WaitUntilIdle(60s));
    }
    QImage image;
    ASSERT_EQ(preparer.Look(b, image, &viewer), TPicturePreparer::TState::Ready);
    EXPECT_LT(image.width(), 100);
    EXPECT_FALSE(preparer.Refused("b"));
    EXPECT_EQ(preparer.Preparations("b"), 2);
}
