#include "DropEvents.h"
#include "ShelfBarTestBar.h"
#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

// Logs the panel events with the open panel at the time.
void LogPanels(TShelfBar& bar, std::vector<std::string>& log) {
    bar.OnPanelOpen = [&log](TShelfBar& b, TShelfPanel* p) {
        log.push_back("open " + std::to_string(p->Index()) + " top " +
                      std::to_string(b.TopPanel()));
    };
    bar.OnPanelClose = [&log](TShelfBar& b, TShelfPanel* p) {
        log.push_back("close " + std::to_string(p->Index()) + " top " +
                      std::to_string(b.TopPanel()));
    };
}

void Paint(TShelfBar& bar) {
    TFakeCanvas canvas;
    bar.PaintTo(canvas);
}

void MoveWithLeft(TShelfBar& bar, QPoint at, bool leftDown) {
    QMouseEvent move(QEvent::MouseMove, at, bar.mapToGlobal(at), Qt::NoButton,
                     leftDown ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
}

} // namespace

TEST(ShelfBarMouse, CaptionClicksOpenPanels) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({2, 2, 2});
    bar.SetTopPanel(0);
    std::vector<std::string> log;
    LogPanels(bar, log);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, {50, 290});
    EXPECT_EQ(log, (std::vector<std::string>{"open 2 top 0", "close 0 top 0"}));
    EXPECT_EQ(bar.TopPanel(), 2);
    log.clear();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, {50, 50});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(bar.TopPanel(), 2);

    bar.SetMode(TShelfBarMode::imMultiPanelActive);
    // Panel 0 is open with two rows: the next caption starts at 20 + 96.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, {50, 126});
    EXPECT_TRUE(bar.Panels()[1].Open());
    QTest::mouseClick(&bar, Qt::LeftButton, {}, {50, 10});
    EXPECT_FALSE(bar.Panels()[0].Open());
    EXPECT_EQ(log, (std::vector<std::string>{"open 1 top 2", "close 0 top 2"}));
}

TEST(ShelfBarMouse, ScrollArrowsStopAtTheirLimits) {
    struct Case {
        int topItem;
        QPoint click;
        int expected;
    };
    // Ten rows of 48 in an area from 20 to 300: the up arrow at 20..40, the down one at
    // 280..300, both at the right edge.
    for (Case c :
         {Case{0, {170, 30}, 0}, {1, {170, 30}, 0}, {0, {170, 290}, 1}, {9, {170, 290}, 9}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({10});
        bar.Panels()[0].SetTopItem(c.topItem);
        Paint(bar);
        QTest::mouseClick(&bar, Qt::LeftButton, {}, c.click);
        EXPECT_EQ(bar.Panels()[0].TopItem(), c.expected) << c.topItem;
    }
}

TEST(ShelfBarMouse, ItemClicksByPanelStyle) {
    struct Case {
        TPanelStyle style;
        bool hoverCaption;
        int x;
        bool clicked;
    };
    using S = TPanelStyle;
    for (Case c : {Case{S::psLargeIcon, false, 90, true},
                   {S::psLargeIcon, false, 20, false},
                   {S::psLargeIcon, true, 20, true},
                   {S::psSmallIcon, false, 170, false},
                   {S::psSmallIcon, false, 100, true},
                   {S::psButtons, false, 170, true}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({2});
        TShelfPanel& panel = bar.Panels()[0];
        panel.SetStyle(c.style);
        panel.SetHoverCaption(c.hoverCaption);
        int clicks = 0;
        bar.OnItemClick = [&](TShelfBar&, TShelfPanel*, TShelfItem*) { ++clicks; };
        QTest::mouseClick(&bar, Qt::LeftButton, {}, {c.x, 40});
        EXPECT_EQ(clicks, c.clicked ? 1 : 0) << static_cast<int>(c.style) << " " << c.x;
        if (c.style == S::psButtons) {
            EXPECT_TRUE(panel.Items()[0].Down());
            QTest::mouseClick(&bar, Qt::LeftButton, {}, {c.x, 90});
            EXPECT_FALSE(panel.Items()[0].Down());
            EXPECT_TRUE(panel.Items()[1].Down());
        }
    }
}

TEST(ShelfBarMouse, SplitterCursorAndDrag) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({3}, 20);
    TShelfPanel& panel = bar.Panels()[0];
    panel.SetStyle(TPanelStyle::psProperties);
    panel.SetGridLines(true);
    panel.SetAllowResize(true);
    panel.SetCaptionWidth(80);
    for (auto [x, cursor] :
         {std::pair{76, crDefault}, {77, crHSplit}, {83, crHSplit}, {84, crDefault}}) {
        MoveWithLeft(bar, {x, 30}, false);
        EXPECT_EQ(bar.Cursor(), cursor) << x;
    }
    MoveWithLeft(bar, {81, 30}, false);
    MoveWithLeft(bar, {120, 30}, true);
    EXPECT_EQ(panel.CaptionWidth(), 120);
    MoveWithLeft(bar, {60, 150}, false); // below the rows
    EXPECT_EQ(bar.Cursor(), crDefault);
}

TEST(ShelfBarKeys, AltLetterOpensAPanelOrClicksAnItem) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({2, 2, 2});
    bar.Panels()[0].SetCaption("&Alpha");
    bar.Panels()[1].SetCaption("Panel &b");
    bar.Panels()[0].Items()[1].SetCaption("E&xtra");
    bar.SetTopPanel(0);
    std::vector<std::string> log;
    LogPanels(bar, log);
    std::vector<TShelfItem*> clicked;
    bar.OnItemClick = [&](TShelfBar&, TShelfPanel*, TShelfItem* item) { clicked.push_back(item); };
    struct Case {
        Qt::Key key;
        bool claimed;
    };
    for (Case c : {Case{Qt::Key_B, true}, {Qt::Key_Q, false}}) {
        QKeyEvent shortcut(QEvent::ShortcutOverride, c.key, Qt::AltModifier);
        shortcut.ignore();
        QApplication::sendEvent(&bar, &shortcut);
        EXPECT_EQ(shortcut.isAccepted(), c.claimed);
    }
    QTest::keyClick(&bar, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(bar.TopPanel(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"open 1 top 0", "close 0 top 0"}));
    QTest::keyClick(&bar, Qt::Key_X, Qt::AltModifier); // panel 0 is closed now
    EXPECT_TRUE(clicked.empty());
    bar.SetTopPanel(0);
    QTest::keyClick(&bar, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicked, std::vector<TShelfItem*>{&bar.Panels()[0].Items()[1]});
    QTest::keyClick(&bar, Qt::Key_X);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST(ShelfBarHints, CaptionItemOrTheBarsOwn) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({2, 2});
    bar.Panels()[0].SetHint("panel hint");
    bar.Panels()[0].Items()[1].SetHint("item hint");
    bar.SetHint("bar hint");
    struct Case {
        TPoint at;
        const char* hint;
    };
    for (Case c : {Case{{50, 10}, "panel hint"},
                   {{50, 80}, "item hint"},
                   {{50, 30}, "bar hint"},
                   {{50, 290}, "bar hint"}}) {
        EXPECT_EQ(bar.GetCursorHint(c.at), c.hint) << c.at.Y;
    }
    bar.SetMode(TShelfBarMode::imMultiPanelActive);
    EXPECT_EQ(bar.GetHint(50, 80), "item hint");
}

TEST(ShelfBarDrops, DesktopFilesBecomeItemsOfTheOpenPanel) {
    const std::string longPath = "/tmp/" + std::string(295, 'p');
    struct Case {
        int panels;
        std::vector<std::string> files;
        std::vector<std::string> items;
    };
    for (const Case& c :
         {Case{2, {"/tmp/a.htm", "/tmp/veto.htm", "/tmp/c.htm"}, {"/tmp/a.htm", "/tmp/c.htm"}},
          Case{2, {longPath}, {longPath}}, Case{0, {"/tmp/a.htm"}, {}}}) {
        TestShelfBar bar(180, 300);
        std::vector<int> counts(static_cast<size_t>(c.panels), 0);
        bar.AddPanels(counts);
        bar.SetTopPanel(1);
        bar.SetAcceptFiles(true);
        std::vector<std::string> reported;
        bar.OnFileDrop = [&](TShelfBar&, const std::string& name, bool& defaultHandler) {
            reported.push_back(name);
            defaultHandler = name.find("veto") == std::string::npos;
        };
        QMimeData data;
        SetFiles(data, c.files);
        DropAnswers answers = DragAndDrop(bar, data, {50, 100});
        EXPECT_TRUE(answers.enterAccepted);
        EXPECT_EQ(reported, c.files);
        std::vector<std::string> items;
        for (int p = 0; p < bar.Panels().Count(); ++p) {
            TShelfItems& list = bar.Panels()[p].Items();
            for (int i = 0; i < list.Count(); ++i) {
                EXPECT_EQ(p, 1);
                EXPECT_EQ(list[i].URL(), list[i].Caption());
                EXPECT_TRUE(list[i].AutoIcon());
                items.push_back(list[i].Caption());
            }
        }
        EXPECT_EQ(items, c.items);
    }
}
