#pragma once

// The options of one capture request, as the Add Item dialog fills them. The binder commands
// hand them to the capture engine, so they live below both.

#include <cstdint>
#include <string>

struct CaptureOptions {
    int32_t Mode = 0;           // this page only or with its linked pages; the capture ignores it
    int32_t Levels = 0;         // 0 to 6 by the up-down, any number typed; below 1 the page alone
    bool CurrentWebOnly = true; // "Save Pages within Current Web Only": a followed link must
                                // contain the host of the captured page
    uint8_t SecondFlag = 0;     // kept for the dialog; the capture ignores it
    std::string FirstText{};    // kept for the dialog; the capture ignores it
    std::string SecondText{};   // kept for the dialog; the capture ignores it
    int32_t Number = 0;         // kept for the dialog; the capture ignores it
    bool KeepWaitFormHidden = false; // a content sync: the main window's wait form stays hidden
    // The record's fetched text is the page itself, handed over with the request (a page
    // behind a login, say): it is parsed and stored as it is, and only its resources are
    // fetched. Set by the Add Item command, not by the dialog.
    bool PageGiven = false;
};
