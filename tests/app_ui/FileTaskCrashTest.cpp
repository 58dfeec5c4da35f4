// The file tasks of a binder worked by the program's own window in a child process killed with
// SIGKILL, as by a crash or a power cut: once a file is there, the binder opened again does not
// fetch it again; while a download is under way, it opened again holds only the whole file,
// under its name.
#include "app/binder/BinderHeader.h"
#include "app/binder/FolderMark.h"
#include "app/binder/Task.h"
#include "platform/base/Files.h"

#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr const char* FolderVariable = "TARNWICK_TASK_CRASH_FOLDER";
constexpr const char* WatchVariable = "TARNWICK_TASK_CRASH_WATCH";
constexpr const char* NameVariable = "TARNWICK_TASK_CRASH_NAME";
constexpr const char* BytesVariable = "TARNWICK_TASK_CRASH_BYTES";
constexpr const char* ThereLine = "file task file there";

std::string DefaultBinder(const std::string& folder) {
    return JoinPath(folder, "default.bdf");
}

fs::path StoreOf(const std::string& folder) {
    TBinderHeader header;
    EXPECT_TRUE(ReadBinderHeader(DefaultBinder(folder), header));
    return fs::path(JoinPath(header.Root, header.Store));
}

void WriteTasks(const std::string& folder, const std::vector<Task>& tasks) {
    std::vector<std::string> lines;
    for (const Task& task : tasks) {
        lines.push_back(SerializeTask(task));
    }
    const std::string bdf = DefaultBinder(folder);
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 0, lines));
}

std::vector<Task> StoredTasks(const std::string& folder) {
    std::vector<Task> tasks;
    for (const std::string& line :
         ParseBinderFile(ReadFileBytes(DefaultBinder(folder))).TaskLines) {
        tasks.push_back(DeserializeTask(line));
    }
    return tasks;
}

// The binder the program opens first in `folder`, made as the program makes it, with the tasks.
void MakeDefaultBinder(const std::string& folder, const std::vector<Task>& tasks) {
    BinderOverFakes binder;
    ASSERT_TRUE(binder.Lifecycle.CreateBinder(folder, "default", "My Default Binder", false));
    WriteTasks(folder, tasks);
}

// Every entry of the folder with its bytes, but for the mark that makes the folder the
// program's.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    }
    files.erase(FolderMarkName);
    return files;
}

// Starts the program on the binder in `folder` in a child and kills it once a file of `bytes`
// bytes or more, named `name` (any name when empty), is in the folder `watched` of the store.
bool RunAndKillOnceThere(const std::string& folder, const std::string& watched,
                         const std::string& name, size_t bytes) {
    ScopedEnv folderVariable(FolderVariable, folder);
    ScopedEnv watchVariable(WatchVariable, watched);
    ScopedEnv nameVariable(NameVariable, name);
    ScopedEnv bytesVariable(BytesVariable, std::to_string(bytes));
    return KillChildOnceItSays("FileTaskCrash.ChildWorksTheTasksUntilKilled", ThereLine);
}

std::string TaskAnswer(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n";
}

} // namespace

// The child's part: the program opens the binder, whose poller works its tasks; the window's
// own timer says when the file watched for is there. Skipped unless a test below runs it.
TEST(FileTaskCrash, ChildWorksTheTasksUntilKilled) {
    const char* folder = std::getenv(FolderVariable);
    const char* watched = std::getenv(WatchVariable);
    const char* name = std::getenv(NameVariable);
    const char* bytes = std::getenv(BytesVariable);
    if (folder == nullptr || watched == nullptr || name == nullptr || bytes == nullptr) {
        GTEST_SKIP() << "run by the other FileTaskCrash tests";
    }
    ScopedEventLoopInvoker invoker;
    IsolatedShell shell;
    MemorySettingsStore store;
    std::unique_ptr<TProgram> program = StartProgram(folder, store);
    ASSERT_NE(program, nullptr);
    const fs::path place = StoreOf(folder) / watched;
    const std::string wanted = name;
    const uintmax_t least = std::strtoull(bytes, nullptr, 10);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(place, error)) {
            if (entry.is_regular_file() && entry.file_size() >= least &&
                (wanted.empty() || entry.path().filename() == wanted)) {
                std::printf("%s\n", ThereLine);
                std::fflush(stdout);
                watch.stop();
                return;
            }
        }
    });
    watch.start(5);
    ServeEventsFor(std::chrono::minutes(10));
    ADD_FAILURE() << "not killed";
}

// A file fetched before the crash is there once, its task written done, and the binder opened
// again goes past it to the next task without asking the server for it again. The tasks that
// ended before it, failed or not of a wanted type, were written as they ended too.
TEST(FileTaskCrash, AFileFetchedBeforeACrashIsNotFetchedAgain) {
    std::atomic<int> notes{0};
    std::atomic<int> more{0};
    RawServer server([&](int socket, const std::string& request) {
        if (request.starts_with("GET /files/gone.txt ")) {
            RawServer::Send(socket, "HTTP/1.1 404 Not Found\r\nConnection: close\r\n\r\n");
            return;
        }
        if (request.starts_with("GET /files/w.bin ")) {
            RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream"
                                    "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        const bool first = request.starts_with("GET /files/notes.txt ");
        ++(first ? notes : more);
        const std::string body = first ? "the notes" : "more notes";
        RawServer::Send(socket, TaskAnswer(body) + body);
    });
    TempDir folder;
    MakeDefaultBinder(folder.Str(), {Task(server.Url("/files/gone.txt"), "dl", "txt"),
                                     Task(server.Url("/files/w.bin"), "dl", "txt"),
                                     Task(server.Url("/files/notes.txt"), "dl", "txt")});
    ASSERT_TRUE(RunAndKillOnceThere(folder.Str(), "dl", "notes.txt", 9));
    const fs::path downloads = StoreOf(folder.Str()) / "dl";
    EXPECT_EQ(Files(downloads), (std::map<std::string, std::string>{{"notes.txt", "the notes"}}));
    std::vector<Task> stored = StoredTasks(folder.Str());
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].State, TaskFailed);
    EXPECT_EQ(stored[1].State, TaskWrongType);
    EXPECT_EQ(stored[2].State, TaskDone);

    // The poller works in order: once the task added after it is done, it has passed this one.
    stored.push_back(Task(server.Url("/files/more.txt"), "dl", "txt"));
    WriteTasks(folder.Str(), stored);
    ASSERT_TRUE(RunAndKillOnceThere(folder.Str(), "dl", "more.txt", 10));
    EXPECT_EQ(Files(downloads), (std::map<std::string, std::string>{{"notes.txt", "the notes"},
                                                                    {"more.txt", "more notes"}}));
    // Each task was worked once: its type asked, then its file fetched.
    EXPECT_EQ(notes.load(), 2);
    EXPECT_EQ(more.load(), 2);
}

// A download cut by a crash while the server holds the rest of its body back is never under the
// file's name; the binder opened again removes what it left, fetches the file again and holds
// only the whole file, under its name.
TEST(FileTaskCrash, ADownloadCutByACrashLeavesOnlyTheWholeFile) {
    constexpr size_t Half = 1000;
    const std::string body = std::string(Half, 'a') + std::string(Half, 'b');
    std::atomic<bool> holding{true};
    RawServer server([&](int socket, const std::string& request) {
        RawServer::Send(socket, TaskAnswer(body));
        // The type query stops at the headers; the download, of the program's other agent,
        // gets half the body while the server holds the rest back.
        if (holding && request.find("MSIE 5.5") != std::string::npos) {
            RawServer::Send(socket, body.substr(0, Half));
            while (holding && !server.Stopping()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return;
        }
        RawServer::Send(socket, body);
    });
    TempDir folder;
    MakeDefaultBinder(folder.Str(), {Task(server.Url("/files/big.txt"), "dl", "txt")});
    ASSERT_TRUE(RunAndKillOnceThere(folder.Str(), "dl", "", Half));
    const fs::path downloads = StoreOf(folder.Str()) / "dl";
    ASSERT_FALSE(fs::exists(downloads / "big.txt"));
    EXPECT_EQ(Files(downloads).size(), 1u);

    holding = false;
    ASSERT_TRUE(RunAndKillOnceThere(folder.Str(), "dl", "big.txt", body.size()));
    EXPECT_EQ(Files(downloads), (std::map<std::string, std::string>{{"big.txt", body}}));
}
