#include "app/capture/taskqueue.h"
#include "app/ui/dialogs/downloadmgr.h"

#include "tests/support/FormControls.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

// Node ids with their kinds and states; the URL ends in the id.
class DownloadManager : public testing::Test {
protected:
    void SetUp() override {
        const std::pair<const char*, int32_t> tasks[] = {{"unfinishedhtm", TaskWaiting},
                                                         {"gif,jpg", TaskWaiting},
                                                         {"UnfinishedHTM", TaskDone},
                                                         {"unfinishedhtm", TaskRunning},
                                                         {"gif", TaskFailed},
                                                         {"unfinishedhtm", 7},
                                                         {"unfinishedhtm", TaskCancelled},
                                                         {"gif", TaskWrongType},
                                                         {"unfinishedhtm", TaskWaitingAgain}};
        uint32_t id = 0;
        for (const auto& [kind, state] : tasks) {
            const std::string number = std::to_string(++id);
            Task task("u" + number, "/b/" + number, kind);
            task.NodeId = id;
            task.State = state;
            queue.AddTask(task);
        }
    }
    // URL to local path and status, as listed when the form is shown.
    std::map<std::string, std::string> Rows() {
        form.FormShow();
        std::map<std::string, std::string> rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = List()->topLevelItem(i);
            rows[row->text(0).toStdString()] = (row->text(1) + " " + row->text(2)).toStdString();
        }
        return rows;
    }
    QTreeWidget* List() { return Control<QTreeWidget>(form, "ListView1"); }
    void Select(const char* url) {
        List()->setCurrentItem(List()->findItems(url, Qt::MatchExactly).value(0));
    }
    QPushButton* Delete() { return Control<QPushButton>(form, "SpeedButton1"); }

    TaskQueue queue;
    TForm8 form{nullptr, queue};
};

} // namespace

TEST_F(DownloadManager, ListsTasksByStateAndKind) {
    const std::map<std::string, std::string> expected = {
        {"u1", "/b/1 pending"}, {"u3", "/b/3 successed"}, {"u4", "/b/4 downloading"},
        {"u5", "/b/5 failed"},  {"u6", "/b/6 7"},         {"u9", "/b/9 pending"}};
    EXPECT_EQ(Rows(), expected);
}

TEST_F(DownloadManager, AFailedTaskSaysWhy) {
    queue.SetTaskState(4, TaskFailed, "the server answered 404");
    EXPECT_EQ(Rows()["u5"], "/b/5 failed: the server answered 404");
    queue.SetTaskState(4, TaskDone, "not kept");
    EXPECT_EQ(Rows()["u5"], "/b/5 successed");
}

TEST_F(DownloadManager, DeleteCancelsAPendingPageOnlyAndDropsARowWhoseTaskHasGone) {
    Rows();
    for (const char* url : {"u3", "u4", "u5", "u6"}) {
        Select(url);
        EXPECT_FALSE(Delete()->isEnabled()) << url;
    }
    Select("u1");
    ASSERT_TRUE(Delete()->isEnabled());
    Delete()->click();
    EXPECT_FALSE(Delete()->isEnabled());
    EXPECT_EQ(queue.At(0).State, TaskCancelled);
    EXPECT_EQ(Rows().count("u1"), 0u); // gone when shown again

    Select("u9");
    queue.Clear();
    Delete()->click();
    EXPECT_EQ(List()->findItems("u9", Qt::MatchExactly).size(), 0);
}
