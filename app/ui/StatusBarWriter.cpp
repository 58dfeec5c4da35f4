#include "app/ui/StatusBarWriter.h"

#include "app/ui/StatusRules.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/Invoker.h"
#include "platform/base/QtText.h"

#include <QDesktopServices>
#include <QUrl>

#include <algorithm>

namespace {

// Status panels 1 to 4; panel 0 takes what the window leaves.
constexpr int StatusPanelWidths[] = {110, 250, 100, 120};

} // namespace

TStatusBarWriter::TStatusBarWriter(QWidget* parent, const TImageList& images, int windowWidth)
    : bar_(new TMarkupStatusBar(parent)), lastSeenWidth_(windowWidth) {
    bar_->setObjectName("MarkupStatusBar1");
    bar_->SetImages(&images);
    bar_->ShellOpen = [](const std::string& target) {
        QDesktopServices::openUrl(QUrl(ToQ(target)));
    };
    int others = 0;
    for (int width : StatusPanelWidths) {
        others += width;
    }
    panel0Width_ = windowWidth - others;
    TMarkupStatusPanel& hints = bar_->Panels().Add();
    hints.SetStyle(TMarkupStatusPanelStyle::psHTML);
    hints.SetWidth(std::max(0, panel0Width_));
    for (int width : StatusPanelWidths) {
        TMarkupStatusPanel& panel = bar_->Panels().Add();
        panel.SetStyle(TMarkupStatusPanelStyle::psHTML);
        panel.SetWidth(width);
    }
    bar_->Loaded();
}

void TStatusBarWriter::modifysb(int panel, const std::string& text, int progress) {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_MODIFYSB, panel, progress, text});
        return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    if (panel < 0 || panel >= bar_->Panels().Count()) {
        return;
    }
    TMarkupStatusPanel& target = bar_->Panels()[panel];
    if (progress == -1) {
        target.SetStyle(TMarkupStatusPanelStyle::psHTML);
        target.SetText(text.empty() ? std::string(10, ' ') : text);
    } else {
        target.SetStyle(TMarkupStatusPanelStyle::psProgress);
        target.Progress().SetPosition(progress);
    }
    bar_->update();
}

void TStatusBarWriter::Dispatch(const PostedMessage& message) {
    if (message.Msg == WM_MODIFYSB) {
        modifysb(static_cast<int>(message.WParam), message.Text, static_cast<int>(message.LParam));
    }
}

void TStatusBarWriter::ApplicationHint(const std::string& hint) {
    const std::string text = GetLongHint(hint);
    if (!text.empty()) {
        modifysb(HintPanel, text, -1);
    }
}

void TStatusBarWriter::WebBrowserStatusTextChange(const std::string& text) {
    if (BrowserStatusShown(text)) {
        modifysb(HintPanel, text, -1);
    }
}

void TStatusBarWriter::WebBrowserProgressChange(int progress, int maximum) {
    if (progress == -1) {
        modifysb(ProgressPanel, "", -1);
        return;
    }
    modifysb(ProgressPanel, "", BrowserProgressPosition(progress, maximum));
}

void TStatusBarWriter::ShowCaretPosition(int line, int column) {
    modifysb(StatusPanel, CaretPositionText(line, column), -1);
}

void TStatusBarWriter::FormResize(int width) {
    if (lastSeenWidth_ != -1 && bar_->Panels().Count() > 0) {
        panel0Width_ -= lastSeenWidth_ - width;
        bar_->Panels()[HintPanel].SetWidth(std::max(0, panel0Width_));
    }
    lastSeenWidth_ = width;
}

void TStatusBarWriter::SetStatusPanel(int panel, const std::string& text) {
    modifysb(panel, text, -1);
}

void TStatusBarWriter::SetStatusProgress(int position) {
    modifysb(ProgressPanel, "", position);
}
