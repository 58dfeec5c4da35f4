#pragma once

#include "platform/base/Invoker.h"

// Makes the Qt event loop of the running QCoreApplication drain the invoker whenever a call is
// queued, so posted messages and invoked calls run between the main thread's events.
void BindInvokerToEventLoop(MainThreadInvoker& invoker);
