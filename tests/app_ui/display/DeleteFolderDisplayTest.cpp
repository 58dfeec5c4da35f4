// A folder of pages deleted on a real display: once the question is answered, the window is
// drawn again where it stood and the wait form of the tree write is on the screen, bar and all,
// before the first node goes.
#include "app/binder/PageInfo.h"
#include "app/ui/ConfirmDlg.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/WaitFormScreen.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

TEST(DeleteFolderDisplay, TheQuestionIsGoneAndTheWaitFormDrawnBeforeTheFirstNodeGoes) {
    MainWindowRig rig;
    rig.BinderInFolder();
    rig.Settings.AskBeforeDelete = true;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "Site");
    for (int page = 0; page < 50; ++page) {
        rig.Add(NodeKind::WebPage, "http://site.example/" + std::to_string(page), folder);
    }
    ASSERT_NO_FATAL_FAILURE(ShowSelecting(window, folder));

    // The question stands over the tree, drawn, when it is answered.
    QRect dialogArea;
    WhenModalIs<TForm5>([&](TForm5* confirm) {
        dialogArea = StandOverTheTree(window, *confirm, 40);
        confirm->accept();
    });
    const ScreenAtFirstChange gone(window, rig.Form4);
    window.Actions().Action(TMainAction::EditDelete1)->trigger();
    EXPECT_EQ(window.Binder().Items().Count(), 0);
    EXPECT_FALSE(rig.Form4.isVisible());

    ExpectTreeAndFormDrawn(gone.Screen, window, dialogArea, "the question");
}
