// The dialog inside the add-node command of a binder tree, with binder switches carried out by
// the request runner.

#include "app/ui/dialogs/UnitLocation.h"
#include "app/ui/dialogs/WindowAddItemHost.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/support/FakeBinderLifecycle.h"
#include "tests/support/FormControls.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

using Script = std::function<void(TFormLoc&)>;

// Runs the next script once the dialog's modal loop serves events; each script ends the dialog.
struct ScriptedFormLoc : TFormLoc {
    std::deque<Script>& scripts;
    ScriptedFormLoc(std::deque<Script>& s, IAddItemHost& host, int mode,
                    std::optional<uint32_t> folder, const std::string& dump,
                    const TAddItemRequest& origin)
        : TFormLoc(nullptr, host, mode, folder, dump, origin), scripts(s) {}
    TModalResult ShowModal() override {
        if (scripts.empty()) {
            return TModalResult::Cancel;
        }
        QTimer::singleShot(0, this, [this, script = scripts.front()] { script(*this); });
        scripts.pop_front();
        return TFormLoc::ShowModal();
    }
};

struct Flow : BinderFixture {
    FakeBinderLifecycle lifecycle;
    TAddRequestRunner runner{lifecycle, [this](const TAddItemRequest& request) {
                                 commands.AddNode(request.Url, request.Info, request.Html,
                                                  request.TreeMode, request.DialogMode);
                             }};
    MemorySettingsStore store;
    TWindowAddItemHost host{ui, ui, paths, store, binder.Items(), runner};
    std::deque<Script> scripts;
    TTreeNode* folder = AddRecord(Tree(), nullptr, NodeKind::Folder, 0xF, "F");

    Flow() {
        paths.BinderFilePath = "/b/one.bdf";
        AddBinderToList(store, "/b/one.bdf");
        AddBinderToList(store, "/b/a--b.bdf");
        Tree().SetSelected(folder);
        ui.MakeAddItemDialog = [this](int mode, std::optional<uint32_t> id,
                                      const std::string& dump) {
            return std::make_unique<ScriptedFormLoc>(scripts, host, mode, id, dump,
                                                     runner.Current());
        };
    }
};

} // namespace

TEST(AddItemFlow, MenuRequestSwitchesBinderAndComesBackWithWhatTheUserTyped) {
    Flow flow;
    flow.ui.BoxAnswers = {TModalResult::Retry};
    flow.scripts = {
        [](TFormLoc& d) {
            Control<QLineEdit>(d, "Edit2")->setText("http://typed.example/");
            Control<QLineEdit>(d, "Edit3")->setText("Typed");
            d.ListBox1Change(1);
        },
        [](TFormLoc& d) {
            EXPECT_EQ(d.Mode(), 10);
            EXPECT_EQ(d.Url(), "http://typed.example/");
            Control<QLineEdit>(d, "Edit2")->setText("http://a"); // too short: the retry question
            Control<QPushButton>(d, "Button1")->click();
        },
        [](TFormLoc& d) {
            Control<QLineEdit>(d, "Edit2")->setText("http://typed.example/");
            Control<QRadioButton>(d, "RadioButton5")->click();
            Control<QLineEdit>(d, "Edit4")->setText("3");
            Control<QPushButton>(d, "Button1")->click();
        }};
    EXPECT_TRUE(flow.runner.Run({"", "", "", -1, TInsertMode::Child}));

    EXPECT_EQ(flow.lifecycle.Calls, std::vector<std::string>{"open /b/a--b.bdf"});
    EXPECT_EQ(
        flow.ui.CallsOf("CreateAddItemDialog"),
        (std::vector<std::string>{"CreateAddItemDialog(-1|15)", "CreateAddItemDialog(10|15)"}));
    EXPECT_EQ(
        flow.ui.CallsOf("MessageBox"),
        std::vector<std::string>{"MessageBox(Illegal address or title, retry?    |Input Error|2)"});
    const TTreeNode* added = flow.binder.Selected();
    ASSERT_EQ(added->Parent(), flow.folder);
    EXPECT_EQ(NodeRecord(added)->RequestedUrl + "|" + NodeRecord(added)->Title,
              "http://typed.example/|Typed");
    EXPECT_EQ(flow.capture.Calls,
              std::vector<std::string>{"start " + IntToHex(NodeRecord(added)->Id, 1) + " 3"});
    EXPECT_TRUE(flow.scripts.empty());
}

TEST(AddItemFlow, OpenBinderButtonOfAMenuRequestBringsItBackAsTheDestinationChooser) {
    Flow flow;
    flow.scripts = {[](TFormLoc& d) {
                        Control<QLineEdit>(d, "Edit2")->setText("http://typed.example/");
                        Control<QLineEdit>(d, "Edit3")->setText("Typed");
                        Control<QToolButton>(d, "BitBtn1")->click();
                    },
                    [](TFormLoc& d) {
                        EXPECT_EQ(d.Mode(), 4);
                        EXPECT_EQ(Control<QRadioButton>(d, "RadioButton1")->text(),
                                  "Existing Binder");
                        EXPECT_FALSE(Control<QLineEdit>(d, "Edit2")->isEnabled());
                        EXPECT_EQ(d.Url(), "http://typed.example/");
                        EXPECT_EQ(d.Title(), "Typed");
                        Control<QPushButton>(d, "Button1")->click();
                    }};
    EXPECT_TRUE(flow.runner.Run({"", "", "", -1, TInsertMode::Sibling}));
    EXPECT_EQ(flow.lifecycle.Calls, std::vector<std::string>{"open dialog"});
    EXPECT_EQ(
        flow.ui.CallsOf("CreateAddItemDialog"),
        (std::vector<std::string>{"CreateAddItemDialog(-1|-1)", "CreateAddItemDialog(4|15)"}));
    const TPageInfo* record = NodeRecord(flow.folder->getFirstChild());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Kind, NodeKind::WebPage);
    EXPECT_EQ(record->RequestedUrl + "|" + record->Title, "http://typed.example/|Typed");
    EXPECT_TRUE(flow.scripts.empty());
}

TEST(AddItemFlow, BrowserPageComesBackWithItsOwnHtmlAndARequestMeanwhileWaits) {
    Flow flow;
    flow.scripts = {[&flow](TFormLoc& d) {
                        EXPECT_FALSE(Control<QLineEdit>(d, "Edit2")->isEnabled());
                        EXPECT_FALSE(flow.runner.Run({"", "Waiting", "", -1}));
                        d.BitBtn1Click();
                    },
                    [](TFormLoc& d) {
                        EXPECT_EQ(d.Mode(), 4);
                        Control<QPushButton>(d, "Button1")->click();
                    },
                    [](TFormLoc& d) {
                        Control<QRadioButton>(d, "RadioButton2")->click();
                        Control<QPushButton>(d, "Button1")->click();
                    }};
    EXPECT_TRUE(flow.runner.Run({"http://sent.example/p", "Sent", "<html>sent</html>", 4}));
    EXPECT_EQ(flow.lifecycle.Calls, std::vector<std::string>{"open dialog"});
    EXPECT_EQ(NodeRecord(flow.binder.Selected())->Title, "Waiting");
    const TPageInfo* record = NodeRecord(flow.folder->getFirstChild());
    EXPECT_EQ(record->Content.FetchedText, "<html>sent</html>");
    EXPECT_EQ(record->RequestedUrl + "|" + record->Title, "http://sent.example/p|Sent");
    EXPECT_EQ(flow.runner.Current(), TAddItemRequest{});
}
