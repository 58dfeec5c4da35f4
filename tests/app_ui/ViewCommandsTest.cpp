// The commands the views enable, on the real window: every command reaches its action, menu or
// control, Change URL follows the selected node, and the page browser's text sizes.
#include "app/binder/PageInfo.h"
#include "app/ui/NotesCommands.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QVariant>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

// What each command of the views enables, by object name (a menu of the menu bar or a widget
// when not an action of the window).
const std::pair<ViewCommand, const char*> CommandTargets[] = {
    {ViewCommand::FileNewNode, "FileNewNode"},
    {ViewCommand::FileNewFolder, "FileNewFolder"},
    {ViewCommand::FileImportVelmor, "FileImportVelmor"},
    {ViewCommand::FileImportHtml, "FileImportHtml"},
    {ViewCommand::FileAppendNode, "FileAppendNode"},
    {ViewCommand::FileAppendFolder, "FileAppendFolder"},
    {ViewCommand::ToolChangeURL1, "ToolChangeURL"},
    {ViewCommand::ToolRefresh, "ToolRefresh"},
    {ViewCommand::FilePrint, "FilePrint"},
    {ViewCommand::ToolChangeURL, "ToolChangeURL"},
    {ViewCommand::ToolSyncContent, "ToolSyncContent"},
    {ViewCommand::FileSaveHtml, "FileSaveHtml"},
    {ViewCommand::FileExportContent, "FileExportContent"},
    {ViewCommand::EditCut1, "EditCut1"},
    {ViewCommand::EditCopy1, "EditCopy1"},
    {ViewCommand::EditDelete1, "EditDelete1"},
    {ViewCommand::RichEdit1, "RichEdit1"},
    {ViewCommand::ViewSummary, "ViewSummary"},
    {ViewCommand::ViewNote, "ViewNote"},
    {ViewCommand::ViewBrowser, "ViewBrowser"},
    {ViewCommand::ViewDetail, "ViewDetail"},
    {ViewCommand::NavigateBack, "ToolButton4"},
    {ViewCommand::NavigateForward, "ToolButton5"},
    {ViewCommand::Stop, "ToolButton13"},
    {ViewCommand::Print, "FilePrint"},
    {ViewCommand::TextSize, "ToolButton16"},
    {ViewCommand::ApplyChange, "ApplyChange"},
    {ViewCommand::CancelChange, "CancelChange"},
    {ViewCommand::Edit1, "Edit1"},
    {ViewCommand::Browse1, "Browse1"},
    {ViewCommand::PageControl1, "PageControl1"},
};

QObject* Target(TFormVelmorRnx& window, const char* name) {
    QMenu& edit = window.NotesPart().Commands().EditMenu(); // the notes editor's menu has no parent
    if (edit.objectName() == name) {
        return &edit;
    }
    return window.findChild<QObject*>(name);
}

bool Enabled(QObject* target) {
    return target->property("enabled").toBool();
}

QAction* ChangeUrl(TFormVelmorRnx& window) {
    return window.findChild<QAction*>("ToolChangeURL");
}

// The span of greys over the visible pixels of a picture, and its strongest colour.
struct PictureLook {
    int Contrast = 0;
    int Colour = 0;
};
PictureLook LookOf(const QImage& image) {
    int low = 255, high = 0;
    PictureLook look;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128) {
                continue;
            }
            low = std::min(low, qGray(c.rgb()));
            high = std::max(high, qGray(c.rgb()));
            look.Colour = std::max(look.Colour, c.hsvSaturation());
        }
    }
    look.Contrast = std::max(0, high - low);
    return look;
}

// How far apart two pictures of one size look: the mean distance of the pixels visible in
// either, each pixel's distance the largest of its red, green and blue differences.
int MeanDistance(const QImage& one, const QImage& other) {
    long sum = 0;
    long visible = 0;
    for (int y = 0; y < std::min(one.height(), other.height()); ++y) {
        for (int x = 0; x < std::min(one.width(), other.width()); ++x) {
            const QColor a = one.pixelColor(x, y);
            const QColor b = other.pixelColor(x, y);
            if (a.alpha() < 128 && b.alpha() < 128) {
                continue;
            }
            ++visible;
            sum += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                             std::abs(a.blue() - b.blue())});
        }
    }
    return visible == 0 ? 0 : static_cast<int>(sum / visible);
}

// Calls `check` with the picture and the faded picture of each button of the window's tool bar
// that has one, at the size the bar draws them; the number of pictures.
int ForEachToolPicture(TFormVelmorRnx& window,
                       const std::function<void(const QImage&, const QImage&)>& check) {
    auto* toolBar = window.findChild<QToolBar*>("ToolBar1");
    EXPECT_NE(toolBar, nullptr);
    int pictures = 0;
    for (QAction* action : toolBar != nullptr ? toolBar->actions() : QList<QAction*>()) {
        if (action->icon().isNull()) {
            continue;
        }
        SCOPED_TRACE(action->objectName().toStdString());
        ++pictures;
        const QIcon icon = action->icon();
        check(icon.pixmap(toolBar->iconSize(), QIcon::Normal).toImage(),
              icon.pixmap(toolBar->iconSize(), QIcon::Disabled).toImage());
    }
    return pictures;
}

} // namespace

TEST(ViewCommands, EveryCommandOfTheViewsReachesItsTargetAndAnUnknownOneIsAnError) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TViewsPane& views = window.ViewsPane();
    ASSERT_EQ(std::size(CommandTargets), static_cast<size_t>(ViewCommand::Count));
    for (const auto& [command, name] : CommandTargets) {
        views.SetCommandEnabled(command, true);
    }
    for (const auto& [command, name] : CommandTargets) {
        SCOPED_TRACE(name);
        QObject* target = Target(window, name);
        ASSERT_NE(target, nullptr);
        views.SetCommandEnabled(command, false);
        EXPECT_FALSE(Enabled(target));
        views.SetCommandEnabled(command, true);
        EXPECT_TRUE(Enabled(target));
    }
    EXPECT_THROW(views.SetCommandEnabled(ViewCommand::Count, true), std::logic_error);
    EXPECT_THROW(views.SetCommandEnabled(static_cast<ViewCommand>(-1), false), std::logic_error);
}

TEST(ViewCommands, ChangeUrlIsOnForFinishedPagesOnlyInTheMenuAndOnTheButton) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    QAction* changeUrl = ChangeUrl(window);
    ASSERT_NE(changeUrl, nullptr);
    auto* toolBar = window.findChild<QToolBar*>("ToolBar1");
    ASSERT_NE(toolBar, nullptr);
    QWidget* button = toolBar->widgetForAction(changeUrl);
    ASSERT_NE(button, nullptr);
    QMenu* tools = nullptr;
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->title() == "&Tools") {
            tools = menu;
        }
    }
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->actions().contains(changeUrl));

    const auto page = [&](const char* title, CaptureState state) {
        TTreeNode* node = rig.Add(NodeKind::WebPage, title);
        NodeRecord(node)->State = state;
        return node;
    };
    struct {
        TTreeNode* Node;
        bool On;
    } cases[] = {
        {page("http://done.example/", CaptureState::Completed), true},
        {rig.Add(NodeKind::Folder, "folder"), false},
        {page("http://stopped.example/", CaptureState::Stopped), true},
        {rig.Add(NodeKind::Notes, "note"), false},
        {page("http://failed.example/", CaptureState::Failed), true},
        {rig.Add(NodeKind::Link, "http://link.example/"), false},
        {page("http://running.example/", CaptureState::Unfinished), false},
        {page("http://done.example/2", CaptureState::Completed), true},
    };
    // Each in both orders of neighbours: no state is left over from the node before.
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.Node->Text());
            window.Binder().Items().SetSelected(c.Node);
            EXPECT_EQ(changeUrl->isEnabled(), c.On);
            EXPECT_EQ(button->isEnabled(), c.On);
        }
        std::reverse(std::begin(cases), std::end(cases));
    }
}

TEST(ViewCommands, TextSizesCarryTheirCaptionsAndTheCheckMovesToTheOneChosen) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    auto* sizes = window.findChild<QMenu*>("ToolButton16");
    ASSERT_NE(sizes, nullptr);
    const QList<QAction*> entries = sizes->actions();
    QStringList captions;
    for (QAction* entry : entries) {
        captions << entry->text();
    }
    EXPECT_EQ(captions, (QStringList{"Smallest", "Small", "Media", "Large", "Largest"}));
    const auto checked = [&entries] {
        QString which;
        for (QAction* entry : entries) {
            which += entry->isChecked() ? entry->text() + ";" : "";
        }
        return which;
    };
    EXPECT_EQ(checked(), "Media;");
    EXPECT_EQ(window.ViewsPane().Views().FontStep(), 2);
    // Chosen twice in a row, an entry keeps its check.
    for (const int step : {4, 0, 0, 3, 1, 2}) {
        SCOPED_TRACE(step);
        entries[step]->trigger();
        EXPECT_EQ(checked(), entries[step]->text() + ";");
        EXPECT_EQ(window.ViewsPane().Views().FontStep(), step);
        EXPECT_EQ(window.ViewsPane().WebBrowser().ZoomStep(), step);
    }
}

// At the first start nothing is selected in the empty binder: there is no page to give a new
// address. Once the only page has gone, the command is off again.
TEST(ViewCommands, ChangeUrlIsOffWithNothingSelected) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    window.TreeView1Click();
    QAction* changeUrl = ChangeUrl(window);
    ASSERT_NE(changeUrl, nullptr);
    EXPECT_FALSE(changeUrl->isEnabled());

    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://done.example/");
    NodeRecord(page)->State = CaptureState::Completed;
    window.Binder().Items().SetSelected(page);
    EXPECT_TRUE(changeUrl->isEnabled());
    window.Binder().Items().Clear();
    window.TreeView1Click();
    EXPECT_FALSE(changeUrl->isEnabled());
}

// A disabled button of the window's tool bar shows a faded grey picture, plainly unlike the
// picture it shows when enabled.
TEST(ViewCommands, DisabledToolButtonsLookDisabled) {
    MainWindowRig rig;
    const int pictures =
        ForEachToolPicture(rig.Make(), [](const QImage& normalPicture, const QImage& fadedPicture) {
            const PictureLook normal = LookOf(normalPicture);
            const PictureLook faded = LookOf(fadedPicture);
            EXPECT_GT(normal.Contrast, 60);
            EXPECT_LE(faded.Contrast * 2, normal.Contrast);
            EXPECT_EQ(faded.Colour, 0);
        });
    EXPECT_GE(pictures, 9);
}

// The extremes alone say little: a picture that is almost all white (a blank page with a thin
// outline) keeps them apart yet looks the same faded. Every button's faded picture is plainly
// unlike its picture as a whole.
TEST(ViewCommands, DisabledToolButtonsDifferOverTheWholePicture) {
    MainWindowRig rig;
    const int pictures =
        ForEachToolPicture(rig.Make(), [](const QImage& normal, const QImage& faded) {
            EXPECT_GE(MeanDistance(normal, faded), 32);
        });
    EXPECT_GE(pictures, 9);
}
