// Typing into a note without pause while the binder's tree file is written again and again, as
// the half-minute save does: keys come from the X server (xdotool) under a real window manager
// (openbox), and every one of them reaches the note, in order.
#include "app/binder/BinderTree.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/PendingChangesSaver.h"
#include "platform/graphics/JPEGImage.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/display/NoteWindow.h"
#include "tests/support/LargePhotos.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace {

// Runs a tool of the X server's and answers what it wrote, or null when it failed.
std::optional<std::string> RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        return std::nullopt;
    }
    return tool.readAllStandardOutput().toStdString();
}

bool WindowManagerRuns() {
    const auto answer = RunTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
    return answer && answer->find("window id") != std::string::npos;
}

// openbox on this display for as long as it lives (unless a window manager runs already), and
// the keyboard's repeat off: a key that a busy machine holds down for a moment stays one key.
class WindowManager {
public:
    WindowManager() {
        if (!WindowManagerRuns()) {
            openbox_.start("openbox", {"--sm-disable"});
            if (!openbox_.waitForStarted(20000)) {
                return;
            }
        }
        up_ = WaitUntil(WindowManagerRuns, std::chrono::seconds(30)) &&
              RunTool("xset", {"r", "off"}).has_value();
    }
    ~WindowManager() {
        (void)RunTool("xset", {"r", "on"});
        if (openbox_.state() != QProcess::NotRunning) {
            openbox_.terminate();
            if (!openbox_.waitForFinished(10000)) {
                openbox_.kill();
                openbox_.waitForFinished(10000);
            }
        }
    }
    bool Up() const { return up_; }

private:
    QProcess openbox_;
    bool up_ = false;
};

// The whole text of the note in the editor, its lines joined.
std::string NoteText(TRichNoteEdit& edit) {
    TRNEditRNData& data = edit.EditData();
    std::string text;
    for (int i = 0; i < data.ItemCount(); ++i) {
        text += data.GetItemText(i);
    }
    return text;
}

// A note of camera photos as the notes editor writes it: the tree file holds every photo's bytes,
// so a write of a tree of a few such notes takes a while.
std::string NoteOfPhotos(int photos) {
    const std::string photo = large_photos::PhotoJpeg(3000, 2000, 0x3060A0, 7);
    NotesRig writer;
    writer.Fill({});
    for (int i = 0; i < photos; ++i) {
        auto picture = std::make_unique<TJPEGImage>();
        picture->LoadFromBytes(photo);
        writer.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    }
    StringMessageI18N note;
    EXPECT_TRUE(saveRichContent(note, writer.E()));
    return note.Bytes();
}

void AddNotes(TBinderTree& binder, int count, const std::string& note) {
    for (int n = 0; n < count; ++n) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::Notes;
        const std::string title = "Photos " + std::to_string(n);
        record->Title = title;
        record->Notes.AppendRaw(note.data(), note.size());
        binder.Items().AddChildObject(nullptr, title, std::move(record));
    }
}

} // namespace

TEST(TypingThroughTreeWritesDisplay, EveryLetterTypedWhileTheTreeIsWrittenReachesTheNoteInOrder) {
    const WindowManager manager;
    ASSERT_TRUE(manager.Up()) << "no window manager on the display";
    const std::string photos = NoteOfPhotos(6);
    ASSERT_FALSE(photos.empty());
    NoteWindow w;
    ASSERT_TRUE(w.Start());
    // A binder of 24 notes of six photos each (about 130 MB of tree file) and thousands of
    // nodes: a write of its tree takes about a second here.
    TBinderTree& binder = w.Window->Binder();
    AddNotes(binder, 24, photos);
    AddNotes(binder, 6000, "");
    binder.BinderDirty = true;
    ASSERT_TRUE(w.Window->PendingChanges().SaveNow());
    TRichNoteEdit& editor = *w.Editor;
    ServeEventsFor(std::chrono::milliseconds(200));
    ASSERT_TRUE(editor.hasFocus()) << "a write took the keyboard from the note";

    // Words of a letter and a number, so that a lost or doubled key shows where it went.
    std::string typed;
    for (int word = 0; word < 70; ++word) {
        typed += static_cast<char>('a' + word % 26);
        typed += std::to_string(word);
        typed += ' ';
    }
    QProcess typist;
    typist.start("xdotool", {"type", "--delay", "60", QString::fromStdString(typed)});
    ASSERT_TRUE(typist.waitForStarted(20000));

    // The saves the half-minute timer makes, one after another while the keys come.
    int writesWhileTyping = 0;
    while (typist.state() != QProcess::NotRunning) {
        ServeEventsFor(std::chrono::milliseconds(500));
        if (typist.state() == QProcess::NotRunning) {
            break;
        }
        binder.BinderDirty = true; // the typing marks it too, unless its keys are held back
        ASSERT_TRUE(w.Window->PendingChanges().SaveNow());
        writesWhileTyping += typist.state() != QProcess::NotRunning ? 1 : 0;
    }
    ASSERT_EQ(typist.exitCode(), 0) << typist.readAllStandardError().toStdString();
    EXPECT_GE(writesWhileTyping, 3);

    // Every key the X server took is handled once the window serves its events again.
    WaitUntil([&] { return NoteText(editor).size() >= typed.size(); }, std::chrono::seconds(20));
    ServeEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(NoteText(editor), typed);
}
