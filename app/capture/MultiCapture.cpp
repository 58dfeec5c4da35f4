#include "app/capture/MultiCapture.h"

#include "app/binder/CaptureStarter.h"
#include "app/binder/PageInfo.h"
#include "app/binder/TextScan.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/StringUtils.h"

namespace {

// A level page is titled by the start of its URL until its own title is known.
constexpr size_t UrlTitleLength = 100;

// Clears the flag however the levels end.
class LevelCaptureFlag {
public:
    LevelCaptureFlag() { LevelCaptureRunning = true; }
    ~LevelCaptureFlag() { LevelCaptureRunning = false; }
    LevelCaptureFlag(const LevelCaptureFlag&) = delete;
    LevelCaptureFlag& operator=(const LevelCaptureFlag&) = delete;
};

} // namespace

bool MultiCapture::CaptureLevels(ILevelCaptureHost& host) {
    // However the capture ends without finishing, the form waits for it: tell it to close.
    const auto closeForm = [this] {
        PostMessageTo(LevelForm, SavingStatusMessage(2));
        return false;
    };
    Background = true;
    const bool rootCaptured = CapturePage(*Root, UseCache, this, Context);
    Root->Reload = 1;
    host.RootCaptured(); // the root belongs to the main thread from here on
    if (!rootCaptured) {
        return closeForm();
    }
    Form = StatusForm::Level;
    LevelCaptureFlag running;
    std::vector<std::string> snapshot;
    for (int level = 1; level <= Options.Levels; ++level) {
        snapshot.swap(NextLevelLinks);
        NextLevelLinks.clear();
        for (size_t i = 0; i < snapshot.size(); ++i) {
            const std::string& url = snapshot[i];
            const std::string status = Format("No. %zu of %zu", i + 1, snapshot.size());
            PostMessageTo(LevelForm, SavingStatusMessage(0, status, url));
            if (IsCancelled()) {
                return closeForm();
            }
            if (!visited_.insert(LowerCase(url)).second) {
                continue;
            }
            auto page = std::make_unique<TPageInfo>();
            page->RequestedUrl = url;
            page->Title = url.substr(0, UrlTitleLength);
            if (!CapturePage(*page, UseCache, this, Context)) {
                continue;
            }
            page->CurrentCapture = nullptr; // this capture ends before the main thread sees it
            page->State = CaptureState::Completed;
            page->Reload = 1;
            page->Progress.StatusText = "Download Finished";
            page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
            const std::string title = ExtractHtmlTitle(page->Content.FetchedText);
            if (!title.empty()) {
                page->Title = title;
            }
            host.AddNodeSync(std::move(page));
        }
    }
    return IsCancelled() ? closeForm() : true;
}
