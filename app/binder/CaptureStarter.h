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
    // Captures the record's page from the fetched text it holds (a local file being imported)
    // and returns once the capture has ended: the text is parsed, rewritten and its resources
    // are stored, nothing is downloaded again. The capture is one like any other, within the
    // page's time and ended by StopCapture, while the window's events are served. True when a
    // page text was processed; an engine that cannot do this answers false.
    virtual bool CapturePageNow(TPageInfo& /*record*/) { return false; }
    // The user's Stop of the record's page: the record is stopped and the capture at work on
    // it, if any, is cancelled; that capture ends as usual and shows the record stopped.
    virtual void StopCapture(TPageInfo& /*record*/) {}
    // An import's captures (CapturePageNow) have all ended: a page among them that could not be
    // stored is told of now, once for the whole import.
    virtual void ImportEnded() {}
    // True while a capture of linked pages runs: the main window's wait form is left alone
    // meanwhile, as that capture has a form of its own.
    virtual bool LevelCaptureRunning() const { return false; }
};
