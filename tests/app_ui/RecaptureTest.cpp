// A captured page captured again where nothing answers, in the program as it runs, through
// the commands a user gives: Change URL to an address without a server, Sync Content once the
// page's server has gone. The window then says the capture failed, wherever it says how a
// capture went; a page handed over with its request still needs no server.
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/Program.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FormControls.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const char* const Page = "<html><head><title>Live</title></head>"
                         "<body><img src=\"dot.gif\"> the live page</body></html>";

class Recapture : public testing::Test, protected ProgramEnv {
protected:
    Recapture() {
        server.Serve("/site/page.htm", Page, "text/html");
        server.Serve("/site/dot.gif", "GIF89a", "image/gif");
        server.Start();
        program = StartProgram(Folder.Str(), Store);
        // The summary templates the program installs.
        if (program != nullptr) {
            program->Settings().WorkDir =
                std::filesystem::path(TARNWICK_COMMON_DIR).parent_path().string();
        }
    }
    ~Recapture() override { CloseProgram(program); }

    TFormVelmorRnx& Window() { return *program->Window(); }

    // Adds a web page for `url` through the Add Item dialog, with the page's HTML when given,
    // and waits for its capture to end.
    TPageInfo* AddPage(const std::string& url, const std::string& html = "") {
        WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
        if (!Window().TreeCommands().AddNode(url, "Page", html, TInsertMode::Child, 0)) {
            return nullptr;
        }
        TPageInfo* record = NodeRecord(Window().Binder().Selected());
        return record != nullptr && CaptureEnded(*record) ? record : nullptr;
    }

    bool CaptureEnded(const TPageInfo& record) {
        return WaitUntil([&] { return record.State != CaptureState::Unfinished; });
    }

    // Runs Change URL on the selected page, giving it `url`.
    void ChangeUrl(const std::string& url) {
        bool answered = false;
        WhenModal([&](QWidget* dialog) {
            answered = true;
            Control<QLineEdit>(*dialog, "Edit1")->setText(QString::fromStdString(url));
            Control<QPushButton>(*dialog, "OKBtn")->click();
        });
        QAction* command = Window().Actions().Action(TMainAction::ToolChangeURL);
        ASSERT_TRUE(command->isEnabled());
        command->trigger();
        EXPECT_TRUE(answered);
    }

    void SyncContent() {
        QAction* command = Window().Actions().Action(TMainAction::ToolSyncContent);
        ASSERT_TRUE(command->isEnabled());
        command->trigger();
    }

    std::string StatusPanel() { return Window().StatusBar().Bar().Panels()[2].Text(); }

    std::string Summary() {
        TSummaryTemplates templates(program->Settings().WorkDir);
        EXPECT_TRUE(templates.Found(SummaryKind::Page));
        return NodeSummaryHtml(*Window().Binder().Selected(), templates);
    }

    // How the window tells the selected page's capture ended: its state, the status bar, the
    // summary.
    void ExpectShownAs(const TPageInfo& record, CaptureState state, const std::string& result,
                       const std::string& step) {
        EXPECT_EQ(record.State, state) << step;
        EXPECT_EQ(record.Content.Stats.State, static_cast<int32_t>(state)) << step;
        EXPECT_EQ(StatusPanel(), result) << step;
        const std::string html = Summary();
        EXPECT_NE(html.find(result), std::string::npos) << step;
        for (const char* other : {"Capture Completed", "Capture Failed"}) {
            if (other != result) {
                EXPECT_EQ(html.find(other), std::string::npos) << step;
            }
        }
    }

    LoopbackServer server;
    const std::string deadUrl = UnansweredUrl("/moved.htm");
    std::unique_ptr<TProgram> program;
};

} // namespace

TEST_F(Recapture, ChangeUrlAndSyncContentWhereNothingAnswersEndFailed) {
    ASSERT_NE(program, nullptr);
    const std::string url = server.Url("/site/page.htm");
    TPageInfo* record = AddPage(url);
    ASSERT_NE(record, nullptr);
    ExpectShownAs(*record, CaptureState::Completed, "Capture Completed", "captured");
    ASSERT_EQ(record->FinalUrl, url);
    const std::filesystem::path picture =
        std::filesystem::path(Folder.Str()) / "defaultstore" / IntToHex(record->Id, 1) /
        ("127.0.0.1" + std::to_string(server.Port())) / "site" / "dot.gif";
    ASSERT_EQ(ReadFileBytes(picture), "GIF89a");

    ChangeUrl(deadUrl);
    ASSERT_TRUE(CaptureEnded(*record));
    ExpectShownAs(*record, CaptureState::Failed, "Capture Failed", "changed to a dead address");
    EXPECT_EQ(record->RequestedUrl, deadUrl);
    EXPECT_EQ(record->FinalUrl, "");
    EXPECT_EQ(ReadFileBytes(picture), "GIF89a");

    // Back to the live address, then its server goes.
    ChangeUrl(url);
    ASSERT_TRUE(CaptureEnded(*record));
    ExpectShownAs(*record, CaptureState::Completed, "Capture Completed", "changed back");
    EXPECT_EQ(record->FinalUrl, url);
    server.Stop();
    SyncContent();
    ASSERT_TRUE(CaptureEnded(*record));
    ExpectShownAs(*record, CaptureState::Failed, "Capture Failed", "synced without its server");
    EXPECT_EQ(record->FinalUrl, "");
    EXPECT_EQ(ReadFileBytes(picture), "GIF89a");
}

// The browser side hands over the page it shows: that page is stored, whether the address
// answers or not.
TEST_F(Recapture, APageHandedOverNeedsNoServer) {
    ASSERT_NE(program, nullptr);
    const char* const sent = "<html><body><p>the page as it was shown</p></body></html>";
    for (const std::string& url : {server.Url("/site/page.htm"), deadUrl}) {
        TPageInfo* record = AddPage(url, sent);
        ASSERT_NE(record, nullptr) << url;
        ExpectShownAs(*record, CaptureState::Completed, "Capture Completed", url);
        EXPECT_NE(record->Content.PageHtml.find("as it was shown"), std::string::npos) << url;
        EXPECT_EQ(record->Content.PageHtml.find("the live page"), std::string::npos) << url;
    }
}
