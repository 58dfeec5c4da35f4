#pragma once

// How the binder commands start and stop the capture of a node's page. The capture engine
// implements ICaptureStarter; the binder code sees only this interface.

#include "app/binder/CaptureOptions.h"

class TPageInfo;

class ICaptureStarter {
public:
    virtual ~ICaptureStarter() = default;
    // Starts capturing the record's page.
    virtual void StartNodeCapture(TPageInfo& record, bool useCache,
                                  const CaptureOptions& options) = 0;
    // Stops every capture that works on the record and returns once none does, so the record
    // can be freed. Does nothing when no capture uses it.
    virtual void CancelCapture(TPageInfo& record) = 0;
    // Captures the record's page here and now from the fetched text it holds (a local file
    // being imported): the text is parsed, rewritten and its resources are stored, nothing
    // is downloaded again. True when a page text was processed; an engine that cannot do this
    // answers false.
    virtual bool CapturePageNow(TPageInfo& /*record*/) { return false; }
    // True while a capture of linked pages runs: the main window's wait form is left alone
    // meanwhile, as that capture has a form of its own.
    virtual bool LevelCaptureRunning() const { return false; }
};
