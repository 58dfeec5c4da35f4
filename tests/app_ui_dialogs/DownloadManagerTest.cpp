#include "app/capture/taskqueue.h"
#include "app/ui/dialogs/downloadmgr.h"

#include "tests/support/FormControls.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

Task MakeTask(uint32_t id, const std::string& kind, int32_t state) {
    Task task("http://example.test/" + std::to_string(id), "/b/store/" + std::to_string(id), kind);
    task.NodeId = id;
    task.State = state;
    return task;
}

// The listed rows: URL to status text.
std::map<std::string, std::string> Rows(const TForm8& form) {
    std::map<std::string, std::string> rows;
    const QTreeWidget* list = Control<QTreeWidget>(form, "ListView1");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        rows[list->topLevelItem(i)->text(0).toStdString()] =
            list->topLevelItem(i)->text(2).toStdString();
    }
    return rows;
}

QTreeWidgetItem* Row(const TForm8& form, uint32_t id) {
    const auto found = Control<QTreeWidget>(form, "ListView1")
                           ->findItems(QString("http://example.test/%1").arg(id), Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

class DownloadManager : public testing::Test {
protected:
    void SetUp() override {
        queue.AddTask(MakeTask(1, "unfinishedhtm", TaskWaiting));
        queue.AddTask(MakeTask(2, "gif,jpg", TaskWaiting));
        queue.AddTask(MakeTask(3, "UnfinishedHTM", TaskDone));
        queue.AddTask(MakeTask(4, "unfinishedhtm", TaskRunning));
        queue.AddTask(MakeTask(5, "gif", TaskFailed));
        queue.AddTask(MakeTask(6, "unfinishedhtm", 7));
        queue.AddTask(MakeTask(7, "unfinishedhtm", TaskCancelled));
        queue.AddTask(MakeTask(8, "gif", TaskWrongType));
        queue.AddTask(MakeTask(9, "unfinishedhtm", TaskWaitingAgain));
    }
    TaskQueue queue;
};

} // namespace

TEST_F(DownloadManager, ListsTasksByStateAndKind) {
    TForm8 form(nullptr, queue);
    form.FormShow();
    const std::map<std::string, std::string> expected = {
        {"http://example.test/1", "pending"},     {"http://example.test/3", "successed"},
        {"http://example.test/4", "downloading"}, {"http://example.test/5", "failed"},
        {"http://example.test/6", "7"},           {"http://example.test/9", "pending"}};
    EXPECT_EQ(Rows(form), expected);
    EXPECT_EQ(Row(form, 1)->text(1), "/b/store/1");
    EXPECT_EQ(Control<QTreeWidget>(form, "ListView1")->headerItem()->text(1), "Local Path");
}

TEST_F(DownloadManager, DeleteCancelsAPendingPageOnly) {
    TForm8 form(nullptr, queue);
    form.FormShow();
    QPushButton* remove = Control<QPushButton>(form, "SpeedButton1");
    EXPECT_EQ(remove->text(), "Delete ");
    EXPECT_FALSE(remove->isEnabled());
    for (uint32_t id : {3u, 4u, 5u, 6u}) {
        Control<QTreeWidget>(form, "ListView1")->setCurrentItem(Row(form, id));
        EXPECT_FALSE(remove->isEnabled()) << id;
    }
    Control<QTreeWidget>(form, "ListView1")->setCurrentItem(Row(form, 1));
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_EQ(Row(form, 1), nullptr);
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(queue.At(0).State, TaskCancelled);

    TForm8 again(nullptr, queue);
    again.FormShow();
    EXPECT_EQ(Row(again, 1), nullptr);
    EXPECT_NE(Row(again, 9), nullptr);
}

TEST_F(DownloadManager, RowWhoseTaskHasGoneIsDroppedQuietly) {
    TForm8 form(nullptr, queue);
    form.FormShow();
    Control<QTreeWidget>(form, "ListView1")->setCurrentItem(Row(form, 9));
    queue.Clear();
    Control<QPushButton>(form, "SpeedButton1")->click();
    EXPECT_EQ(Row(form, 9), nullptr);
    EXPECT_EQ(queue.Count(), 0u);
}
