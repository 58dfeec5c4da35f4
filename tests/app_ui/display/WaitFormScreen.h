#pragma once

// What the screen shows when work that holds the window up starts after a dialog: the window's
// tree drawn again where the dialog stood, and the wait form on the screen as it paints itself.

#include "app/ui/BinderTreeView.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/TreePane.h"
#include "app/ui/WaitForm.h"

#include "tests/app_ui/display/ScreenPixels.h"

#include <QImage>
#include <QRect>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

// The pixels of `shot` (taken of `area`) inside `part` that differ from `expected` (an image
// of `area` too, or null for a plain colour), and those looked at.
struct Differing {
    int Pixels = 0;
    int Seen = 0;
};
inline Differing Compare(const QImage& shot, const QRect& area, const QRect& part,
                         const QImage& expected, const QColor& plain, const QRect& skip) {
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

// The screen over the window's tree and over the wait form, taken once.
struct WorkScreen {
    bool Seen = false;
    bool FormShown = false;
    QImage Tree;     // the screen over the tree's rows
    QRect TreeArea;  // where they are, in the window
    QImage FormShot; // the screen over the wait form
    QImage FormOwn;  // the wait form as it paints itself
    QRect FormArea;  // where it stands, in the window

    void Take(TFormVelmorRnx& window, TForm4& form) {
        if (Seen) {
            return;
        }
        Seen = true;
        QWidget& rows = *window.TreePane().TreeView1().viewport();
        TreeArea = QRect(rows.mapTo(&window, QPoint(0, 0)), rows.size());
        Tree = ScreenPixels(window, TreeArea);
        FormShown = form.isVisible();
        FormShot = ScreenPixels(form, form.rect());
        FormOwn = form.grab().toImage();
        const QRect frame = form.frameGeometry(); // its title bar too, under a window manager
        FormArea = QRect(window.mapFromGlobal(frame.topLeft()), frame.size());
    }
};

// The window on the screen, drawn, with `node` selected and shown in its views.
inline void ShowSelecting(TFormVelmorRnx& window, TTreeNode* node) {
    window.Binder().Items().SetSelected(node);
    window.TreeView1Click();
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
}

// Puts `dialog` over the tree's rows, `down` pixels below their top, and waits until it is
// drawn there; where it stands, in the window.
inline QRect StandOverTheTree(TFormVelmorRnx& window, QWidget& dialog, int down) {
    dialog.move(window.TreePane().TreeView1().viewport()->mapToGlobal(QPoint(0, down)));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
    return QRect(window.mapFromGlobal(dialog.mapToGlobal(QPoint(0, 0))), dialog.size());
}

// The screen at the first change of the window's tree: a batch begun, a node put in or taken
// out, whichever comes first.
struct ScreenAtFirstChange : ITreeNodesObserver {
    ScreenAtFirstChange(TFormVelmorRnx& window, TForm4& form) : Window(window), Form(form) {
        Window.Binder().Items().AddObserver(this);
    }
    ~ScreenAtFirstChange() override { Window.Binder().Items().RemoveObserver(this); }
    ScreenAtFirstChange(const ScreenAtFirstChange&) = delete;
    ScreenAtFirstChange& operator=(const ScreenAtFirstChange&) = delete;

    void TreeUpdating() override { Screen.Take(Window, Form); }
    void NodeInserting(TTreeNode*, int) override { Screen.Take(Window, Form); }
    void NodeRemoving(TTreeNode*) override { Screen.Take(Window, Form); }

    TFormVelmorRnx& Window;
    TForm4& Form;
    WorkScreen Screen;
};

// Below the first row of the tree, where the dialog stood (`dialogArea`, in the window), the
// screen showed the tree's own empty ground again (the wait form aside), and the wait form as
// it paints itself, its bar with it.
inline void ExpectTreeAndFormDrawn(const WorkScreen& seen, TFormVelmorRnx& window,
                                   const QRect& dialogArea, const std::string& dialog) {
    ASSERT_TRUE(seen.Seen);
    ASSERT_FALSE(dialogArea.isEmpty());
    QTreeView& tree = window.TreePane().TreeView1();
    const int rowsEnd =
        tree.visualRect(tree.model()->index(0, 0)).bottom() + seen.TreeArea.top() + 4;
    QRect ground = seen.TreeArea & dialogArea;
    ground.setTop(std::max(ground.top(), rowsEnd));
    ASSERT_GT(ground.height(), 20);
    const Differing shownTree =
        Compare(seen.Tree, seen.TreeArea, ground, QImage(),
                tree.viewport()->palette().color(QPalette::Base), seen.FormArea);
    EXPECT_GT(shownTree.Seen, 1000);
    EXPECT_LE(shownTree.Pixels, shownTree.Seen / 100) << dialog << "'s picture is still there";

    EXPECT_TRUE(seen.FormShown);
    const QRect form(QPoint(0, 0), seen.FormShot.size());
    const Differing shown = Compare(seen.FormShot, form, form, seen.FormOwn, QColor(), QRect());
    EXPECT_GT(shown.Seen, 0);
    EXPECT_LE(shown.Pixels, shown.Seen / 100) << "the wait form is not drawn";
}
