#include "app/capture/CaptureFinished.h"

#include "app/binder/CaptureRecords.h"
#include "app/binder/PageInfo.h"
#include "app/capture/CapturePage.h"

void OnCaptureFinished(ICaptureRecords& records, uint32_t nodeId) {
    TPageInfo* record = records.FindRecord(nodeId);
    if (record == nullptr) {
        return; // the node was deleted meanwhile
    }
    record->ViewFlags |= 0x100;
    if (record->State == CaptureState::Stopped) {
        record->Reload = 0;
        record->Progress.StatusText = "Download Stopped";
        record->Content.Stats.State = static_cast<int32_t>(CaptureState::Stopped);
    } else if (!record->Content.FetchedText.empty()) {
        // A capture that got no page leaves no text, whatever an earlier capture held: the
        // text is this capture's page.
        record->State = CaptureState::Completed;
        record->Reload = 1;
        record->Progress.StatusText = "Download Finished";
        record->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    } else {
        record->State = CaptureState::Failed;
        record->Reload = 1;
        if (!IsFailedStatus(record->Progress.StatusText)) {
            record->Progress.StatusText = "Download Failed";
        }
        record->Content.Stats.State = static_cast<int32_t>(CaptureState::Failed);
    }
    records.MarkChanged();
    records.RecordChanged(*record);
}
