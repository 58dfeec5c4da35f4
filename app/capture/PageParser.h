#pragma once

// Rewriting a fetched page so that it can be shown offline from its node folder, and the
// hyperlink list of a stored page.

class TPageInfo;
struct MultiCapture;

// Rewrites the node's fetched page into its page HTML: resource references become paths below
// the node folder, relative hyperlinks absolute URLs. Records every resource and hyperlink in
// the node's link list (a URL of a type already there is not added again) and sets the page
// folder. A final URL without a path gets its "/". Progress goes to the main window's wait
// form, or, for a background capture, to the capture's status form.
void ParsePage(TPageInfo& node, MultiCapture* capture);

// Adds the hyperlinks of the node's stored page HTML to its link list, resolved against the
// requested URL.
void CollectHyperlinks(TPageInfo& node);
