// The side bar in a window on a real display: a page dragged from another widget lands on the
// "Pages List" panel. The window is kept as a picture. Files dropped from a folder are checked
// offscreen.

#include "controls/ShelfBar.h"
#include "tests/controls/DropEvents.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDrag>
#include <QLabel>
#include <QTest>

// The X platform's session-bus connection keeps a buffer to the end; it is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

TEST(ShelfBarDisplay, ADraggedPageBecomesAnItemOfTheOpenPanel) {
    QWidget window;
    window.resize(420, 360);
    auto* source = new QLabel("https://example.org/a.htm", &window);
    source->setGeometry(10, 10, 190, 30);
    auto* bar = new TShelfBar(&window);
    bar->setGeometry(220, 0, 200, 360);
    for (const char* caption : {"My Binders", "Pages List"}) {
        TShelfPanel& panel = bar->Panels().Add();
        panel.SetCaption(caption);
        panel.SetStyle(TPanelStyle::psSmallIcon);
        panel.SetItemHeight(20);
    }
    bar->SetTopPanel(1);
    bar->SetOleDropTarget(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The source starts the drag; the pointer travels to the open panel and lets go there.
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setUrls({QUrl("https://example.org/a.htm")});
    data->setText("https://example.org/a.htm");
    drag->setMimeData(data);
    QTest::mousePress(source, Qt::LeftButton, {}, {20, 15});
    const QPoint overPages(60, 80);
    QTest::mouseMove(bar, overPages);
    DropAnswers answers = DragAndDrop(*bar, *drag->mimeData(), overPages);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, overPages);
    EXPECT_EQ(answers.enterAction, Qt::LinkAction);
    TShelfItems& pages = bar->Panels()[1].Items();
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(pages[0].Caption(), "https://example.org/a.htm");
    EXPECT_EQ(pages[0].URL(), "https://example.org/a.htm");
    EXPECT_TRUE(pages[0].AutoIcon());
    delete drag;

    bar->Repaint();
    QCoreApplication::processEvents();
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    EXPECT_TRUE(window.grab().save(TARNWICK_SCREENSHOT_DIR "/shelf-bar-drops.png"));
}
