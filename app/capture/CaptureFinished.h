#pragma once

// The main thread's end of a page capture: the worker posts the node id (message 3022) and
// this sets the node's capture state, status text and statistics and marks the binder
// changed, and the node announces its new state to whatever shows it. A node that was deleted
// meanwhile is simply not found.

#include "app/capture/CapturePort.h"

#include <cstdint>

class ICaptureRecords;

void OnCaptureFinished(ICaptureRecords& records, uint32_t nodeId);
