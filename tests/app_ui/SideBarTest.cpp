// The side bar in the main window: the binder list from the settings store, the page list and
// its search results, clicks, double clicks and the binder menu.
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/dialogs/OKRightDlg.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct SideBarRig : MainWindowRig {
    TFormVelmorRnx& Open() {
        TFormVelmorRnx& window = Make();
        window.resize(700, 500);
        window.show();
        return window;
    }
    TSideBarPane& Bar() { return Window->SideBar(); }
    TShelfBarTqz& Control() { return Window->TreePane().ShelfBar1(); }
    TShelfPanel& Panel(int index) { return Control().Panels()[index]; }
    std::vector<std::string> Captions(int index) {
        std::vector<std::string> captions;
        for (int i = 0; i < Panel(index).Items().Count(); ++i) {
            captions.push_back(Panel(index).Items()[i].Caption());
        }
        return captions;
    }
    // The middle of an item of the open panel.
    QPoint ItemPoint(int index, int item) {
        const TRect r = Control().GetItemRect(&Panel(index), &Panel(index).Items()[item]);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    TTreeNode* Page(const std::string& title, const std::string& url, uint32_t id) {
        TTreeNode* node = Add(NodeKind::WebPage, title);
        NodeRecord(node)->RequestedUrl = url;
        NodeRecord(node)->Id = id;
        return node;
    }
    bool Enabled(TMainAction action) { return Window->Actions().Action(action)->isEnabled(); }
};

TEST(SideBar, BinderListFromTheStore) {
    SideBarRig rig;
    for (const char* path : {"/b/One.bdf", "", "/b.d/plain", "/b/one.bdf"}) {
        AddBinderToList(rig.Store, path);
    }
    rig.Paths.BinderFilePath = "/b/One.bdf";
    rig.Open();
    rig.Bar().OpenPanel(BinderListPanel);
    // Empty values are skipped; a "." only in a folder name gives no caption.
    EXPECT_EQ(rig.Captions(BinderListPanel), (std::vector<std::string>{"One", "", "one"}));
    const TShelfItems& items = rig.Panel(BinderListPanel).Items();
    EXPECT_EQ(items[0].TextValue(), "/b/One.bdf");
    // Only the very same path is the open binder.
    const QImage open = rig.Bar().BinderIcon(true).Image();
    EXPECT_EQ(items[0].HasIcon() ? items[0].Icon().Image() : QImage(), open);
    EXPECT_NE(items[2].HasIcon() ? items[2].Icon().Image() : QImage(), open);
    EXPECT_TRUE(rig.Enabled(TMainAction::EditDelete1));
    EXPECT_FALSE(rig.Enabled(TMainAction::FileNewFolder));

    SideBarRig empty;
    empty.Open();
    empty.Bar().OpenPanel(BinderListPanel);
    EXPECT_EQ(empty.Panel(BinderListPanel).Items().Count(), 0);
    EXPECT_FALSE(empty.Enabled(TMainAction::EditDelete1));
}

TEST(SideBar, BinderMenuAndDoubleClick) {
    SideBarRig rig;
    AddBinderToList(rig.Store, "/b/Open.bdf");
    AddBinderToList(rig.Store, "/b/Other.bdf");
    rig.Paths.BinderFilePath = "/b/Open.bdf";
    rig.Open();
    rig.Bar().OpenPanel(BinderListPanel);
    TSideBarPane& bar = rig.Bar();
    const struct {
        QPoint point;
        bool open, remove;
        const char* chosen;
    } cases[] = {
        {rig.ItemPoint(BinderListPanel, 0), false, true, "/b/Open.bdf"},
        {rig.ItemPoint(BinderListPanel, 1), true, true, "/b/Other.bdf"},
        {QPoint(5, rig.Control().height() - 5), false, false, "/b/Other.bdf"},
    };
    for (const auto& c : cases) {
        bar.ShelfBar1MouseUp(true, c.point.x(), c.point.y());
        EXPECT_TRUE(bar.PopupMenu6().isVisible());
        bar.PopupMenu6().hide();
        EXPECT_EQ(bar.OpenBinder1().isEnabled(), c.open) << c.chosen;
        EXPECT_EQ(bar.DeleteBinder1().isEnabled(), c.remove) << c.chosen;
        EXPECT_EQ(bar.ChosenBinderPath(), c.chosen);
    }

    const QPoint other = rig.ItemPoint(BinderListPanel, 1);
    rig.Control().OnDblClick(other.x(), other.y());
    EXPECT_EQ(rig.Lifecycle.Calls.back(), "open /b/Other.bdf");
    EXPECT_EQ(bar.TopPanel(), TreePanel);

    // An item of the page list opens nothing.
    rig.Page("t", "http://t.test/", 7);
    bar.OpenPanel(PagesListPanel);
    const size_t calls = rig.Lifecycle.Calls.size();
    const QPoint page = rig.ItemPoint(PagesListPanel, 0);
    rig.Control().OnDblClick(page.x(), page.y());
    EXPECT_EQ(rig.Lifecycle.Calls.size(), calls);
    EXPECT_EQ(bar.TopPanel(), PagesListPanel);
}

TEST(SideBar, PageListItemsSelectTheirNodes) {
    SideBarRig rig;
    rig.Open();
    rig.Settings.ListMode = 1;
    TTreeNode* high = rig.Page("high", "http://h.test/", 0x9ABCDEF0);
    rig.Page("low", "http://l.test/", 0x1F);
    rig.Add(NodeKind::Folder, "folder");
    rig.Bar().OpenPanel(PagesListPanel);
    EXPECT_EQ(rig.Captions(PagesListPanel),
              (std::vector<std::string>{"  http://h.test/", "  http://l.test/"}));
    TShelfItem& item = rig.Panel(PagesListPanel).Items()[0];
    EXPECT_EQ(item.TextValue(), "9ABCDEF0");
    EXPECT_EQ(item.ImageIndex(), PageListImage);
    rig.Bar().ShelfBar1ItemClick(&rig.Panel(PagesListPanel), &item);
    EXPECT_EQ(rig.Window->Binder().Selected(), high);

    // A text that is no id selects nothing.
    rig.Window->Binder().Items().SetSelected(nullptr);
    item.SetTextValue("G1");
    rig.Bar().ShelfBar1ItemClick(&rig.Panel(PagesListPanel), &item);
    EXPECT_EQ(rig.Window->Binder().Selected(), nullptr);
}

TEST(SideBar, SearchResultsStayUntilCleared) {
    SideBarRig rig;
    rig.Open();
    rig.Settings.ListMode = 0;
    rig.Page("green tea", "http://g.test/", 1);
    rig.Page("black tea", "http://b.test/", 2);
    WhenModalIs<TOKHelpRightDlg>([](TOKHelpRightDlg* dialog) {
        dialog->Edit1->setText("green");
        dialog->OKBtn->click();
    });
    rig.Bar().Search().trigger();
    EXPECT_EQ(rig.Panel(PagesListPanel).Caption(), SearchResultCaption);
    EXPECT_EQ(rig.Bar().TopPanel(), PagesListPanel);
    EXPECT_EQ(rig.Captions(PagesListPanel), (std::vector<std::string>{"  green tea"}));
    EXPECT_TRUE(rig.Bar().ClearSearch().isEnabled());

    rig.Bar().OpenPanel(PagesListPanel);
    EXPECT_EQ(rig.Captions(PagesListPanel), (std::vector<std::string>{"  green tea"}));

    rig.Bar().ClearSearch().trigger();
    EXPECT_EQ(rig.Panel(PagesListPanel).Caption(), PagesListCaption);
    EXPECT_EQ(rig.Captions(PagesListPanel),
              (std::vector<std::string>{"  black tea", "  green tea"}));
    EXPECT_FALSE(rig.Bar().ClearSearch().isEnabled());
}

// A title with character references is listed with its characters, and an "&" in it is shown
// as itself, not taken as the mark of a shortcut letter.
TEST(SideBar, TitlesAreListedWithTheirCharacters) {
    SideBarRig rig;
    rig.Open();
    rig.Settings.ListMode = 0;
    rig.Page("A &#8212; B", "http://a.test/", 1);
    rig.Page("R&amp;D & more", "http://r.test/", 2);
    rig.Bar().OpenPanel(PagesListPanel);
    EXPECT_EQ(rig.Captions(PagesListPanel),
              (std::vector<std::string>{"  A \xE2\x80\x94 B", "  R&&D && more"}));
    EXPECT_EQ(rig.Panel(PagesListPanel).Items()[1].TextValue(), "2");

    AddBinderToList(rig.Store, "/b/Tom & Jerry.bdf");
    rig.Bar().OpenPanel(BinderListPanel);
    EXPECT_EQ(rig.Captions(BinderListPanel), (std::vector<std::string>{"Tom && Jerry"}));
}

} // namespace
