#pragma once

// A capture engine for tests: records which records were started, stopped and cancelled, as
// "start <HEX id> <levels>", "stop <HEX id>" and "cancel <HEX id>".

#include "app/binder/CaptureStarter.h"
#include "app/binder/PageInfo.h"
#include "platform/base/StringUtils.h"

#include <functional>
#include <string>
#include <vector>

class FakeCaptureStarter : public ICaptureStarter {
public:
    std::vector<std::string> Calls;
    // Runs when a record is cancelled, before the call returns (a test checks what still
    // exists at that moment).
    std::function<void(TPageInfo&)> OnCancel;
    // Runs when a capture starts (a test reads the record as the capture finds it).
    std::function<void(TPageInfo&)> OnStart;

    void StartNodeCapture(TPageInfo& record, bool /*useCache*/,
                          const CaptureOptions& options) override {
        Calls.push_back("start " + IntToHex(record.Id, 1) + " " + std::to_string(options.Levels) +
                        (options.KeepWaitFormHidden ? " hidden" : ""));
        if (OnStart) {
            OnStart(record);
        }
    }
    // Answers CapturePageNow; its record is recorded as "now <HEX id> <fetched text>".
    bool CaptureNowResult = true;
    // Runs when a page is captured at once, before the answer (a test makes it throw).
    std::function<void(TPageInfo&)> OnNow;
    bool CapturePageNow(TPageInfo& record) override {
        Calls.push_back("now " + IntToHex(record.Id, 1) + " " + record.Content.FetchedText);
        if (OnNow) {
            OnNow(record);
        }
        return CaptureNowResult;
    }
    // Recorded as "stop <HEX id>"; the record is stopped, as the engine stops it.
    void StopCapture(TPageInfo& record) override {
        Calls.push_back("stop " + IntToHex(record.Id, 1));
        record.State = CaptureState::Stopped;
    }
    void CancelCapture(TPageInfo& record) override {
        Calls.push_back("cancel " + IntToHex(record.Id, 1));
        if (OnCancel) {
            OnCancel(record);
        }
    }
    // Whether a capture with linked pages runs.
    bool LevelRunning = false;
    bool LevelCaptureRunning() const override { return LevelRunning; }
};
