#pragma once

// The open binder as its exports and imports see it. What they ask of the window goes through
// the export commands; the document side answers with values.

class ICaptureStarter;
class ITaskQueue;
class TBinderTree;
struct BinderPaths;
struct TSettings;

struct ExportContext {
    TBinderTree& Binder;
    const BinderPaths& Paths;
    const TSettings& Settings;
    ITaskQueue& Queue;
    ICaptureStarter& Capture;
};
