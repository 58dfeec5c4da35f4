// An exchange import on a real display: once its file is chosen, the window is drawn again where
// the file dialog stood and the wait form is on the screen, bar and all, before the first node
// goes into the tree.
#include "app/binder/PageInfo.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/TreePane.h"
#include "app/ui/WaitForm.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/ScreenPixels.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The pixels of `shot` (taken of `area`) inside `part` that differ from `expected` (an image
// of `area` too, or null for a plain colour), and those looked at.
struct Differing {
    int Pixels = 0;
    int Seen = 0;
};
Differing Compare(const QImage& shot, const QRect& area, const QRect& part, const QImage& expected,
                  const QColor& plain, const QRect& skip) {
    Differing result;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            if (skip.contains(x, y)) {
                continue;
            }
            const QPoint at(x - area.left(), y - area.top());
            const QColor want = expected.isNull() ? plain : expected.pixelColor(at);
            const QColor got = shot.pixelColor(at);
            ++result.Seen;
            result.Pixels +=
                std::max({std::abs(want.red() - got.red()), std::abs(want.green() - got.green()),
                          std::abs(want.blue() - got.blue())}) > 24
                    ? 1
                    : 0;
        }
    }
    return result;
}

// What the screen showed when the import put its first node into the tree.
struct FirstNode : ITreeNodesObserver {
    TFormVelmorRnx* Window = nullptr;
    TForm4* Form = nullptr;
    bool Seen = false;
    bool FormShown = false;
    QImage Tree;     // the screen over the tree's rows
    QRect TreeArea;  // where they are, in the window
    QImage FormShot; // the screen over the wait form
    QImage FormOwn;  // the wait form as it paints itself
    QRect FormArea;  // where it stands, in the window

    void Look() {
        if (Seen) {
            return;
        }
        Seen = true;
        QWidget& rows = *Window->TreePane().TreeView1().viewport();
        TreeArea = QRect(rows.mapTo(Window, QPoint(0, 0)), rows.size());
        Tree = ScreenPixels(*Window, TreeArea);
        FormShown = Form->isVisible();
        FormShot = ScreenPixels(*Form, Form->rect());
        FormOwn = Form->grab().toImage();
        const QRect frame = Form->frameGeometry(); // its title bar too, under a window manager
        FormArea = QRect(Window->mapFromGlobal(frame.topLeft()), frame.size());
    }
    void TreeUpdating() override { Look(); }
    void NodeInserting(TTreeNode*, int) override { Look(); }
};

} // namespace

TEST(ExchangeImportDisplay, TheWaitFormIsDrawnBeforeTheFirstNode) {
    MainWindowRig rig;
    rig.BinderInFolder();
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* target = rig.Add(NodeKind::Folder, "Into");
    window.Binder().Items().SetSelected(target);
    window.TreeView1Click();
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();

    TempDir source;
    const std::string file = source.Str() + "/pages.tqz";
    ASSERT_TRUE(WritePagesExchangeFile(source.Str(), file, 300));

    // The dialog stands over the tree, drawn, when its file is chosen.
    QWidget& rows = *window.TreePane().TreeView1().viewport();
    QRect dialogArea;
    WhenModalIs<QFileDialog>([&](QFileDialog* files) {
        files->move(rows.mapToGlobal(QPoint(0, 0)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(files));
        QCoreApplication::processEvents();
        dialogArea = QRect(window.mapFromGlobal(files->mapToGlobal(QPoint(0, 0))), files->size());
        // Typed into its field: once drawn, the dialog answers as a user sees it.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(file));
        static_cast<QDialog*>(files)->accept();
    });
    FirstNode first;
    first.Window = &window;
    first.Form = &rig.Form4;
    window.Binder().Items().AddObserver(&first);
    window.Actions().Action(TMainAction::FileImportVelmor)->trigger();
    window.Binder().Items().RemoveObserver(&first);
    ASSERT_EQ(target->Count(), 1);
    EXPECT_EQ(target->Item(0)->Count(), 300);

    ASSERT_TRUE(first.Seen);
    ASSERT_FALSE(dialogArea.isEmpty());
    // Below the rows of the tree, where the dialog stood, the screen shows the tree's own empty
    // ground again (the wait form aside).
    const int rowsEnd = window.TreePane()
                            .TreeView1()
                            .visualRect(window.TreePane().TreeView1().model()->index(0, 0))
                            .bottom() +
                        first.TreeArea.top() + 4;
    QRect ground = first.TreeArea & dialogArea;
    ground.setTop(std::max(ground.top(), rowsEnd));
    ASSERT_GT(ground.height(), 20);
    const Differing tree = Compare(first.Tree, first.TreeArea, ground, QImage(),
                                   rows.palette().color(QPalette::Base), first.FormArea);
    EXPECT_GT(tree.Seen, 1000);
    EXPECT_LE(tree.Pixels, tree.Seen / 100) << "the file dialog's picture is still there";

    // The wait form is on the screen as it paints itself, its bar with it.
    EXPECT_TRUE(first.FormShown);
    const QRect form(QPoint(0, 0), first.FormShot.size());
    const Differing shown = Compare(first.FormShot, form, form, first.FormOwn, QColor(), QRect());
    EXPECT_GT(shown.Seen, 0);
    EXPECT_LE(shown.Pixels, shown.Seen / 100) << "the wait form is not drawn";
}
