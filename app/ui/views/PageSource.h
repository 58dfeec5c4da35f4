#pragma once

// Which document the page browser shows for a web page record: its stored page with the base
// of its node folder, the text fetched so far while it is captured, or the not-available page.

#include "platform/browser/Browser.h"

#include <cstdint>
#include <string>

class TPageInfo;
struct BinderPaths;

struct PageSourceSettings {
    bool ShowPageViaFile = true;
    bool StripScript = true;
    std::string StartFolder;  // the installation's "common" folder lies below it
    std::string NotAvailable; // the page shown when there is no stored page
};

struct PageSource {
    std::string Html;
    std::string BaseUrl;  // what relative references resolve against; empty for none
    bool Stored = false;  // the record's own stored page
    bool ViaFile = false; // written to the node's page file and opened from there
    // A captured page is read as the browser reads pages; the not-available page is ours.
    HtmlEncoding Encoding = HtmlEncoding::BrowserDefault;
};

// The file URL of root + "/" + store + "/" + HEX + "/", percent-encoded (FileUrl) so that a
// "#", "?" or "%" in a folder name stays part of the path; empty without a binder root.
std::string PageBaseUrl(const BinderPaths& paths, uint32_t id);

// A rewritten page that is empty or the text "null" counts as no stored page.
PageSource ChoosePageSource(const TPageInfo& record, const BinderPaths& paths,
                            const PageSourceSettings& settings);
