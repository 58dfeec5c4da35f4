// A page of eight pictures that come two bytes a second, in the program as it runs with a page
// time of two seconds: added through Add Item, and left unfinished by the program's end and
// captured by the download queue at the next start. Each capture ends within its page time,
// completed with the pictures it cut counted failed, none of them stored.
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/Program.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QDialog>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr int Pictures = 8;

void ShortPageTime(TProgramOptions& options) {
    options.PageTime = std::chrono::seconds(2);
}

std::string HttpPage(const std::string& html) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
           std::to_string(html.size()) + "\r\n\r\n" + html;
}

} // namespace

TEST(PageTime, APageOfSlowPicturesEndsWithinItsPageTimeAddedOrQueued) {
    std::atomic<int> asked{0};
    std::atomic<int> hungUp{0};
    std::atomic<int> through{0};
    std::optional<RawServer> pictures(std::in_place, [&](int socket, const std::string&) {
        ++asked;
        ++(TrickleBody(socket, "image/gif", "GI", 15) ? through : hungUp);
    });
    std::string gallery = "<title>Gallery</title>";
    for (int i = 0; i < Pictures; ++i) {
        gallery += "<img src=\"" + pictures->Url("/" + std::to_string(i) + ".gif") + "\">";
    }
    // "/held.htm" answers once the program has ended with its capture at work.
    std::atomic<bool> release{false};
    std::atomic<bool> heldAsked{false};
    RawServer pages([&](int socket, const std::string& request) {
        if (request.starts_with("GET /held.htm ")) {
            heldAsked = true;
            while (!release && !pages.Stopping()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        RawServer::Send(socket, HttpPage(gallery));
    });

    ProgramEnv env;
    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store, ShortPageTime);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    const auto add = [&](const std::string& url) {
        WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
        EXPECT_TRUE(window.TreeCommands().AddNode(url, "Page", "", TInsertMode::Child, 0));
        return NodeRecord(window.Binder().Selected());
    };
    const auto expectCut = [&](const TPageInfo& record, const char* how) {
        EXPECT_EQ(record.State, CaptureState::Completed) << how;
        const CaptureGroupCounts& pictureCounts = record.Content.Stats.Groups[GroupImg];
        EXPECT_EQ(pictureCounts.Failed, Pictures) << how;
        EXPECT_EQ(pictureCounts.Fetched, 0) << how;
        const fs::path folder =
            fs::path(env.Folder.Str()) / "defaultstore" / IntToHex(record.Id, 1);
        EXPECT_TRUE(!fs::exists(folder) || std::none_of(fs::recursive_directory_iterator(folder),
                                                        fs::recursive_directory_iterator(),
                                                        [](const fs::directory_entry& entry) {
                                                            return entry.path().extension() ==
                                                                   ".gif";
                                                        }))
            << how;
    };

    TPageInfo* added = add(pages.Url("/gallery.htm"));
    ASSERT_NE(added, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return added->State != CaptureState::Unfinished; }));
    expectCut(*added, "added");

    // The program ends while the page is asked for: the next start's queue captures it.
    TPageInfo* held = add(pages.Url("/held.htm"));
    ASSERT_NE(held, nullptr);
    const uint32_t heldId = held->Id;
    ASSERT_TRUE(WaitUntil([&] { return heldAsked.load(); }));
    CloseProgram(program);
    release = true;
    program = StartProgram(env.Folder.Str(), env.Store, ShortPageTime);
    ASSERT_NE(program, nullptr);
    TPageInfo* queued = FindRecordById(program->Window()->Binder().Items(), heldId);
    ASSERT_NE(queued, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return queued->State != CaptureState::Unfinished; }));
    expectCut(*queued, "queued");
    CloseProgram(program);

    pictures.reset(); // waits for the connections' ends
    EXPECT_EQ(through.load(), 0);
    EXPECT_EQ(hungUp.load(), asked.load());
}
