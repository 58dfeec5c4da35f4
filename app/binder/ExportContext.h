#pragma once

// The open binder as its exports and imports see it.

class IExportUi;
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
    IExportUi& Ui;
};
