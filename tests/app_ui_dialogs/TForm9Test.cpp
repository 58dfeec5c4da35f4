#include "app/ui/dialogs/TForm9.h"

#include "app/capture/SavingStatus.h"
#include "platform/base/EventLoopInvoker.h"

#include "tests/support/FormControls.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The program's invoker, drained by the Qt event loop as in the running program.
struct LoopInvoker {
    MainThreadInvoker invoker;
    LoopInvoker() {
        SetInvoker(&invoker);
        BindInvokerToEventLoop(invoker);
    }
    ~LoopInvoker() { SetInvoker(nullptr); }
};

std::string Texts(const TForm9& form) {
    return form.windowTitle().toStdString() + "|" +
           Control<QLabel>(form, "Label1")->text().toStdString();
}

} // namespace

TEST(TForm9, ShowsTheCaptureTextsCancelsAndClosesWithOk) {
    LoopInvoker loop;
    TForm9 form;
    std::vector<std::string> seen;
    int cancels = 0;
    form.ShowModal(
        "http://h/root",
        [&] {
            seen.push_back(Texts(form) +
                           (Control<QPushButton>(form, "BitBtn1")->isEnabled() ? " ok" : " wait"));
            // The capture's worker sends its texts in the messages.
            PostMessageTo(&form, SavingStatusMessage(0, "No. 1 of 2", "http://h/a"));
            PostMessageTo(&form, SavingStatusMessage(0, "Parsing page, please wait ...."));
            Invoker().Post([&] {
                seen.push_back(Texts(form));
                form.reject(); // Escape while capturing: a cancel, the form stays
                seen.push_back(form.isVisible() ? "still shown" : "closed");
                form.Finished();
                seen.push_back(
                    Texts(form) + " " +
                    std::to_string(Control<QProgressBar>(form, "ProgressBar1")->value()));
                Control<QPushButton>(form, "BitBtn1")->click();
            });
        },
        [&] { ++cancels; });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Saving root page|http://h/root wait",
                        "Parsing page, please wait ....|http://h/a",
                        "still shown",
                        "Parsing page, please wait ....|Finished. 100",
                    }));
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(form.CancelFlag());
    EXPECT_FALSE(Control<QPushButton>(form, "BitBtn2")->isEnabled());
    EXPECT_EQ(form.result(), QDialog::Accepted);

    // Reused: the capture closes it; hidden, it ignores status texts.
    form.ShowModal(
        "http://h/next", [&] { PostMessageTo(&form, SavingStatusMessage(2)); }, [] {});
    EXPECT_FALSE(form.isVisible() || form.CancelFlag());
    form.Dispatch(SavingStatusMessage(0, "late", "http://h/late"));
    EXPECT_EQ(Texts(form), "Saving root page|http://h/next");
}
