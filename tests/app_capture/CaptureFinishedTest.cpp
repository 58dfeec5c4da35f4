#include "app/capture/CaptureFinished.h"

#include "tests/app_binder/BinderTreeFixture.h"

#include <gtest/gtest.h>

TEST(CaptureFinished, SetsStateTextAndStatisticsByOutcome) {
    struct Case {
        CaptureState before;
        std::string fetched;
        CaptureState after;
        const char* text;
        uint8_t reload;
    };
    const Case cases[] = {
        {CaptureState::Unfinished, "<html>", CaptureState::Completed, "Download Finished", 1},
        {CaptureState::Unfinished, "", CaptureState::Failed, "Download Failed", 1},
        {CaptureState::Stopped, "<html>", CaptureState::Stopped, "Download Stopped", 0},
    };
    for (const Case& c : cases) {
        BinderFixture f;
        TTreeNode* node = AddRecord(f.Tree(), nullptr, NodeKind::WebPage, 0x80000001u, "P");
        TPageInfo* record = NodeRecord(node);
        NoticeRecorder notices(f.Tree());
        record->State = c.before;
        record->Content.FetchedText = c.fetched;
        record->ViewFlags = 0;
        record->Reload = 7;
        OnCaptureFinished(f.binder, 0x80000001u);
        EXPECT_EQ(record->State, c.after) << c.text;
        EXPECT_EQ(record->Content.Stats.State, static_cast<int32_t>(c.after)) << c.text;
        EXPECT_EQ(record->Progress.StatusText, c.text);
        EXPECT_EQ(record->Reload, c.reload) << c.text;
        EXPECT_EQ(record->ViewFlags, 0x100u);
        EXPECT_TRUE(f.binder.BinderDirty);
        EXPECT_EQ(notices.Seen, std::vector<std::string>{"data P"});
    }
}

TEST(CaptureFinished, IgnoresUnknownIds) {
    BinderFixture f;
    AddRecord(f.Tree(), nullptr, NodeKind::WebPage, 0x42, "P");
    NoticeRecorder notices(f.Tree());
    OnCaptureFinished(f.binder, 0x99); // the node was deleted meanwhile
    EXPECT_FALSE(f.binder.BinderDirty);
    EXPECT_TRUE(notices.Seen.empty());
}
