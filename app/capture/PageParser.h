#pragma once

// Rewriting a fetched page so that it can be shown offline from its node folder, and the
// hyperlink list of a stored page.

class ICaptureReports;
class TPageInfo;
struct MultiCapture;

// Rewrites the node's fetched page into its page HTML: resource references become paths below
// the node folder, relative hyperlinks absolute URLs. Records every resource and hyperlink in
// the node's link list (a URL of a type already there is not added again) and sets the page
// folder. A final URL without a path gets its "/". Progress goes through the capture's port: to
// its status form for a background capture; none without a capture.
void ParsePage(TPageInfo& node, MultiCapture* capture);

// Adds the hyperlinks of the node's stored page HTML to its link list, resolved against the
// requested URL. Runs on the main thread, its progress in the wait form of `progress`.
void CollectHyperlinks(TPageInfo& node, ICaptureReports* progress = nullptr);
