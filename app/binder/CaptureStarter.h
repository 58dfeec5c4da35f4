#pragma once

// How the binder commands start and stop the capture of a node's page. The capture engine
// implements ICaptureStarter; the binder code sees only this interface.

#include <cstdint>
#include <string>

class TPageInfo;

// The options of one capture, as the Add Item dialog fills them.
struct CaptureOptions {
    int32_t Mode = 0;   // 0: this page only, 1: with its linked pages (not read by the capture)
    int32_t Levels = 0; // 0 to 6; 0 captures the page alone
    uint8_t CurrentWebOnly = 1; // "Save Pages within Current Web Only"
    uint8_t SecondFlag = 0;
    std::string FirstText;
    std::string SecondText;
    std::string PageUrl; // its host is the host a followed link must contain
    int32_t Number = 0;
};

class ICaptureStarter {
public:
    virtual ~ICaptureStarter() = default;
    // Starts capturing the record's page.
    virtual void StartNodeCapture(TPageInfo& record, bool useCache,
                                  const CaptureOptions& options) = 0;
    // Stops every capture that works on the record and returns once none does, so the record
    // can be freed. Does nothing when no capture uses it.
    virtual void CancelCapture(TPageInfo& record) = 0;
};
