#include "app/capture/MultiCapture.h"

#include "app/binder/CaptureStarter.h"
#include "app/binder/PageInfo.h"
#include "app/binder/TextScan.h"
#include "app/capture/PagePrefetch.h"
#include "app/capture/SavingStatus.h"
#include "app/capture/UrlRules.h"
#include "platform/base/CharacterReferences.h"
#include "platform/base/StringUtils.h"

#include <cstdint>
#include <optional>

namespace {

// A level page is titled by the start of its URL until its own title is known.
constexpr size_t UrlTitleLength = 100;

// A page is the same page whatever part of it a link jumps to: "a.htm#x" and "a.htm#y" are
// captured once, as "a.htm".
std::string PageIdentity(std::string_view url) {
    return LowerCase(url.substr(0, url.find('#')));
}

} // namespace

void MultiCapture::AskNextPage(PagePrefetch& prefetch, const std::vector<std::string>& snapshot,
                               size_t from) const {
    for (size_t i = from; i < snapshot.size(); ++i) {
        if (IsNetUrl(snapshot[i]) && visited_.count(PageIdentity(snapshot[i])) == 0) {
            prefetch.Ask(snapshot[i]);
            return;
        }
    }
}

bool MultiCapture::CaptureLevels(ILevelCaptureHost& host) {
    // However the capture ends without finishing, the form waits for it: tell it to close.
    const auto closeForm = [this] {
        if (Port != nullptr) {
            Port->SavingStatus(StatusForm::Level, 2);
        }
        return false;
    };
    Background = true;
    const bool rootCaptured = CapturePage(*Root, UseCache, this, Context);
    Root->Reload = 1;
    // The root is captured already: a link back to it adds no node.
    visited_.insert(PageIdentity(Root->RequestedUrl));
    visited_.insert(PageIdentity(Root->FinalUrl));
    host.RootCaptured(); // the root belongs to the main thread from here on
    if (!rootCaptured) {
        return closeForm();
    }
    Form = StatusForm::Level;
    // Pages of the net are downloaded one ahead, unless the cache is read first.
    std::optional<PagePrefetch> prefetch;
    if (!UseCache) {
        prefetch.emplace(*this);
    }
    std::vector<std::string> snapshot;
    // A level count typed by hand may be far past any site (and up to the largest number): the
    // capture ends with the first level that has no page to ask for, since only pages captured
    // bring the links of the next one.
    for (int64_t level = 1; level <= Options.Levels && !NextLevelLinks.empty(); ++level) {
        if (LevelBegun) {
            LevelBegun(level);
        }
        if (IsCancelled()) {
            return closeForm();
        }
        snapshot.swap(NextLevelLinks);
        NextLevelLinks.clear();
        for (size_t i = 0; i < snapshot.size(); ++i) {
            const std::string& url = snapshot[i];
            const std::string status = Format("No. %zu of %zu", i + 1, snapshot.size());
            if (Port != nullptr) {
                Port->SavingStatus(StatusForm::Level, 0, status, url);
            }
            if (IsCancelled()) {
                return closeForm();
            }
            if (!visited_.insert(PageIdentity(url)).second) {
                continue;
            }
            auto page = std::make_unique<TPageInfo>();
            page->RequestedUrl = url;
            page->Title = url.substr(0, UrlTitleLength);
            PrefetchedPage fetched = prefetch ? prefetch->Take(url) : PrefetchedPage{};
            if (prefetch) {
                AskNextPage(*prefetch, snapshot, i + 1);
            }
            bool captured;
            if (fetched.Page != nullptr) {
                page->Content.FetchedText = std::move(fetched.Page->Content.FetchedText);
                page->FinalUrl = std::move(fetched.Page->FinalUrl);
                page->Progress.StatusText = std::move(fetched.Page->Progress.StatusText);
                // The page's download, made ahead, took part of its time.
                captured = CaptureFetchedPage(*page, UseCache, this, Context,
                                              PageDeadline(Context) - fetched.Took);
            } else {
                captured = CapturePage(*page, UseCache, this, Context);
            }
            if (!captured) {
                continue;
            }
            // Reached again under the address it was sent on to.
            visited_.insert(PageIdentity(page->FinalUrl));
            page->CurrentCapture = nullptr; // this capture ends before the main thread sees it
            page->State = CaptureState::Completed;
            page->Reload = 1;
            page->Progress.StatusText = "Download Finished";
            page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
            const std::string title =
                DecodeCharacterReferences(ExtractHtmlTitle(page->Content.FetchedText));
            if (!title.empty()) {
                page->Title = title;
            }
            host.AddNodeSync(std::move(page));
        }
    }
    return IsCancelled() ? closeForm() : true;
}

void StopPageCapture(TPageInfo& record) {
    record.State = CaptureState::Stopped;
    if (record.CurrentCapture != nullptr) {
        record.CurrentCapture->Cancel();
    }
}
