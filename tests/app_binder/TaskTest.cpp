#include "app/binder/Task.h"

#include <gtest/gtest.h>

TEST(Task, LineBytesAndRoundTrip) {
    Task task("http://h/a#frag", "/store/1", UnfinishedPageKind);
    task.NodeId = 0x80000001u;
    task.State = TaskFailed;
    const std::string line = SerializeTask(task);
    EXPECT_EQ(line, "8#80000001f#http://h/a#fragd#unfinishedhtm8#/store/11#4");
    EXPECT_EQ(DeserializeTask(line), task);

    Task empty("u", "", "");
    empty.NodeId = 0;
    EXPECT_EQ(SerializeTask(empty), "1#01#u0#0#1#1");
    EXPECT_EQ(DeserializeTask(SerializeTask(empty)), empty);
}

TEST(Task, ShortOrDamagedLinesReadAsEmpty) {
    Task task = DeserializeTask("2#1F");
    EXPECT_EQ(task.NodeId, 0x1Fu);
    EXPECT_EQ(task.Url, "");
    EXPECT_EQ(task.Kind, "");
    EXPECT_EQ(task.State, 0);
    task = DeserializeTask("garbage");
    EXPECT_EQ(task.NodeId, 0u);
    task = DeserializeTask("1#A1#u1#k1#p9#123456789");
    EXPECT_EQ(task.State, 1); // one digit is read
}

// The words of the listed states are checked where the download list shows them.
TEST(Task, StateWordsOfUnlistedStates) {
    EXPECT_EQ(TaskStateText(TaskCancelled), "canceled");
    EXPECT_EQ(TaskStateText(TaskWrongType), "6");
    EXPECT_EQ(TaskStateText(-2), "-2");
}
