// An exchange import on a real display: once its file is chosen, the window is drawn again where
// the file dialog stood and the wait form is on the screen, bar and all, before the first node
// goes into the tree.
#include "app/binder/PageInfo.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/WaitFormScreen.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(ExchangeImportDisplay, TheWaitFormIsDrawnBeforeTheFirstNode) {
    MainWindowRig rig;
    rig.BinderInFolder();
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* target = rig.Add(NodeKind::Folder, "Into");
    ASSERT_NO_FATAL_FAILURE(ShowSelecting(window, target));

    TempDir source;
    const std::string file = source.Str() + "/pages.tqz";
    ASSERT_TRUE(WritePagesExchangeFile(source.Str(), file, 300));

    // The dialog stands over the tree, drawn, when its file is chosen.
    QRect dialogArea;
    WhenModalIs<QFileDialog>([&](QFileDialog* files) {
        dialogArea = StandOverTheTree(window, *files, 0);
        // Typed into its field: once drawn, the dialog answers as a user sees it.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(file));
        static_cast<QDialog*>(files)->accept();
    });
    const ScreenAtFirstChange first(window, rig.Form4);
    window.Actions().Action(TMainAction::FileImportVelmor)->trigger();
    ASSERT_EQ(target->Count(), 1);
    EXPECT_EQ(target->Item(0)->Count(), 300);

    ExpectTreeAndFormDrawn(first.Screen, window, dialogArea, "the file dialog");
}
