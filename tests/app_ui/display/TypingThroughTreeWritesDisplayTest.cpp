// Typing into a note without pause while the binder's tree file is written again and again, as
// the half-minute save does: keys come from the X server (xdotool) under a real window manager
// (openbox), and every one of them reaches the note, in order.
#include "app/binder/BinderTree.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/PendingChangesSaver.h"
#include "platform/graphics/JPEGImage.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/display/NoteWindow.h"
#include "tests/app_ui/display/WindowManager.h"
#include "tests/support/LargePhotos.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

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
