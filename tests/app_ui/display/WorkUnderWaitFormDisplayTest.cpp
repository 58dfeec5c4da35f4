// Deletes that remove their folders while the event loop runs, under the wait form, in the
// program on a real display under openbox: a Delete pressed, letters typed into a note, a double
// click on the binder being deleted in the list, the same binder sent through the instance channel
// and the half-minute save all wait for the delete's end. Then each Delete is a command of its
// own, the letters reach the note in order, and the binder deleted is not opened again.
#include "app/binder/BinderHeader.h"
#include "app/binder/BinderTree.h"
#include "app/binder/Settings.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/PendingChangesSaver.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/TreePane.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WaitStatus.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include "tests/app_ui/OneNodeTree.h"
#include "tests/app_ui/display/NoteWindow.h"
#include "tests/app_ui/display/WindowManager.h"
#include "tests/support/StoredFiles.h"

#include <QAction>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Files enough that removing them takes a good part of a second: the keys and requests sent as
// the delete begins come while it runs.
constexpr int ManyFiles = 60000;

// The node folder of `id` made and marked as the program's, holding `count` files.
void FillNodeFolder(const std::string& root, const std::string& store, uint32_t id, int count) {
    WriteStoredFile(root, store, id, "page.htm", "<p>page</p>");
    const fs::path folder = fs::path(root) / store / IntToHex(id, 1);
    ASSERT_TRUE(fs::is_directory(folder));
    for (int i = 0; i < count; ++i) {
        const fs::path sub = folder / std::to_string(i / 1000);
        if (i % 1000 == 0) {
            fs::create_directories(sub);
        }
        std::ofstream(sub / (std::to_string(i) + ".gif"));
    }
}

// Calls `act` once, from the event loop, as soon as the wait form shows while the loop serves:
// inside the delete, once its tree is written and its folders go.
class OnceTheFormIsUp {
public:
    OnceTheFormIsUp(const TForm4& form, std::function<void()> act) {
        QObject::connect(&poll_, &QTimer::timeout, [this, &form, act = std::move(act)] {
            if (form.isVisible()) {
                poll_.stop();
                Acted = true;
                act();
            }
        });
        poll_.start(2);
    }
    bool Acted = false;

private:
    QTimer poll_;
};

// The program up under the window manager, its note typed into; deletes ask nothing.
void StartUnasked(const WindowManager& manager, NoteWindow& w) {
    ASSERT_TRUE(manager.Up()) << "no window manager on the display";
    ASSERT_TRUE(w.Start());
    w.Program->Settings().AskBeforeDelete = false;
}

TTreeNode* AddPage(TBinderTree& binder, const std::string& title) {
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::WebPage;
    record->Title = title;
    binder.Items().SetSelected(nullptr);
    return binder.CreateNode(NodeKind::WebPage, TInsertMode::Child, true, std::move(record));
}

} // namespace

TEST(WorkUnderWaitFormDisplay, ADeletePressedWhileANodeDeleteRunsIsACommandOfItsOwn) {
    const WindowManager manager;
    NoteWindow w;
    ASSERT_NO_FATAL_FAILURE(StartUnasked(manager, w));
    TBinderTree& binder = w.Window->Binder();
    std::vector<TTreeNode*> pages;
    for (int page = 0; page < 4; ++page) {
        pages.push_back(AddPage(binder, "Page " + std::to_string(page)));
        ASSERT_NE(pages.back(), nullptr);
    }
    const TBinderHeader header = [&] {
        TBinderHeader read;
        EXPECT_TRUE(ReadBinderHeader(JoinPath(w.Env.Folder.Str(), "default.bdf"), read));
        return read;
    }();
    ASSERT_NO_FATAL_FAILURE(
        FillNodeFolder(header.Root, header.Store, NodeRecord(pages[0])->Id, ManyFiles));
    const fs::path firstFolder =
        fs::path(header.Root) / header.Store / IntToHex(NodeRecord(pages[0])->Id, 1);
    binder.Items().SetSelected(pages[0]);
    QWidget& tree = w.Window->TreePane().TreeView1();
    tree.setFocus();
    ASSERT_TRUE(WaitUntil([&] { return tree.hasFocus(); }));
    const int before = binder.Items().Count();

    std::vector<int> counts;
    QAction& command = *w.Window->Actions().Action(TMainAction::EditDelete1);
    const QMetaObject::Connection ends = QObject::connect(
        &command, &QAction::triggered, [&] { counts.push_back(binder.Items().Count()); });
    OnceTheFormIsUp press(*w.Window->Roles().Status.Form(), [] {
        EXPECT_TRUE(RunTool("xdotool", {"key", "Delete"}));
    });
    command.trigger();
    EXPECT_TRUE(press.Acted) << "the delete ended before its wait form was seen";
    WaitUntil([&] { return counts.size() >= 2; }, std::chrono::seconds(20));
    ServeEventsFor(std::chrono::milliseconds(300));
    QObject::disconnect(ends);
    // The first run took its node alone; the key pressed meanwhile ran once it had ended.
    EXPECT_EQ(counts, (std::vector<int>{before - 1, before - 2}));
    EXPECT_FALSE(fs::exists(firstFolder));
}

TEST(WorkUnderWaitFormDisplay, KeysClicksAndRequestsDuringABinderDeleteWaitForItsEnd) {
    const WindowManager manager;
    NoteWindow w;
    ASSERT_NO_FATAL_FAILURE(StartUnasked(manager, w));
    TBinderTree& binder = w.Window->Binder();
    TTreeNode* note = binder.Selected();

    // A binder of many files beside the open one, in the binder list.
    const fs::path folder = w.Env.Folder / "big";
    fs::create_directories(folder);
    const std::string big = (folder / "Big.bdf").string();
    WriteFileBytes(big, "bindername=Big\r\nroot=" + folder.string() +
                            "\r\nstore=Bigstore\r\nsave=Big.sav\r\ncount=1\r\n");
    WriteFileBytes(folder / "Big.sav", OneNodeTree({}));
    ASSERT_NO_FATAL_FAILURE(FillNodeFolder(folder.string(), "Bigstore", 0x2024, ManyFiles));
    AddBinderToList(w.Env.Store, big);

    // The list on top, the big binder chosen in it; the keyboard in the note again.
    TShelfBarTqz& bar = w.Window->TreePane().ShelfBar1();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, [&] {
        const TRect r = bar.GetCaptionRect(&bar.Panels()[2]);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }());
    ASSERT_TRUE(WaitUntil([&] { return w.Window->SideBar().TopPanel() == BinderListPanel; }));
    TShelfPanel& list = bar.Panels()[2];
    QPoint bigAt;
    for (int i = 0; i < list.Items().Count(); ++i) {
        if (list.Items()[i].TextValue() == big) {
            const TRect r = bar.GetItemRect(&list, &list.Items()[i]);
            bigAt = QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        }
    }
    ASSERT_FALSE(bigAt.isNull()) << "the big binder is not in the list";
    // Chosen as a right click chooses it, its menu closed again.
    QTest::mouseClick(&bar, Qt::RightButton, {}, bigAt);
    ASSERT_TRUE(WaitUntil([&] { return w.Window->SideBar().ChosenBinderPath() == big; }));
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    QApplication::activePopupWidget()->close();
    binder.Items().SetSelected(nullptr);
    binder.Items().SetSelected(note);
    w.Window->TreeView1Click();
    ASSERT_TRUE(WaitUntil([&] { return w.Editor->isVisible(); }));
    QTest::mouseClick(w.Editor, Qt::LeftButton, {}, QPoint(40, 20));
    ASSERT_TRUE(WaitUntil([&] { return w.Editor->hasFocus(); }));
    const QString title = w.Window->windowTitle();
    const QPoint bigOnScreen = bar.mapToGlobal(bigAt);

    std::string typed;
    for (int word = 0; word < 12; ++word) {
        typed += static_cast<char>('a' + word % 26);
        typed += std::to_string(word);
        typed += ' ';
    }

    // While the folders go: letters typed into the note, a double click on the binder in the
    // list, the binder sent through the instance channel, a change whose save comes at once.
    QProcess sender;
    bool dirtyAtTheEnd = false;
    QAction& command = *w.Window->Actions().Action(TMainAction::EditDelete1);
    const QMetaObject::Connection ends = QObject::connect(
        &command, &QAction::triggered, [&] { dirtyAtTheEnd = binder.BinderDirty; });
    ModalWatch answers(true);
    // Nothing due yet: the save asked for during the delete is the first.
    ASSERT_TRUE(w.Window->PendingChanges().SaveNow());
    ASSERT_FALSE(w.Window->PendingChanges().Pending());
    OnceTheFormIsUp meanwhile(*w.Window->Roles().Status.Form(), [&] {
        sender.start(TARNWICK_SEND, {"--open", QString::fromStdString(big)});
        EXPECT_TRUE(RunTool("xdotool", {"type", "--delay", "1", QString::fromStdString(typed)}));
        EXPECT_TRUE(
            RunTool("xdotool", {"mousemove", QString::number(bigOnScreen.x()),
                                QString::number(bigOnScreen.y()), "click", "--repeat", "2", "1"}));
        w.Window->PendingChanges().SetDelay(std::chrono::milliseconds(1));
        binder.BinderDirty = true;
        w.Window->PendingChanges().BinderMarkedChanged();
        EXPECT_TRUE(sender.waitForFinished(20000));
    });
    command.trigger();
    QObject::disconnect(ends);
    // Later changes (the letters) are saved at the usual interval again.
    w.Window->PendingChanges().SetDelay(CaptureSaveInterval);
    EXPECT_TRUE(meanwhile.Acted) << "the delete ended before its wait form was seen";
    EXPECT_TRUE(dirtyAtTheEnd) << "the half-minute save ran inside the delete";

    WaitUntil([&] { return NoteText(*w.Editor).size() >= typed.size(); }, std::chrono::seconds(20));
    ServeEventsFor(std::chrono::milliseconds(500));
    EXPECT_EQ(NoteText(*w.Editor), typed);
    EXPECT_EQ(w.Window->windowTitle().toStdString(), title.toStdString())
        << "another binder was opened";
    EXPECT_FALSE(fs::exists(big));
    EXPECT_FALSE(fs::exists(folder / "Big.sav"));
    EXPECT_FALSE(fs::exists(folder / "Bigstore"));
    // The save came once the delete had ended.
    EXPECT_TRUE(WaitUntil([&] { return !binder.BinderDirty; }, std::chrono::seconds(10)));
}
