#include "platform/base/PostedMessage.h"

#include "platform/base/Invoker.h"

#include <mutex>
#include <unordered_set>

namespace {

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_set<const MessageTarget*>& LiveTargets() {
    static std::unordered_set<const MessageTarget*> targets;
    return targets;
}

} // namespace

MessageTarget::MessageTarget() {
    std::lock_guard<std::mutex> guard(RegistryLock());
    LiveTargets().insert(this);
}

MessageTarget::~MessageTarget() {
    std::lock_guard<std::mutex> guard(RegistryLock());
    LiveTargets().erase(this);
}

void PostMessageTo(MessageTarget* target, PostedMessage message) {
    if (target == nullptr) {
        return;
    }
    Invoker().Post([target, message = std::move(message)] {
        // Targets are created and destroyed on the main thread, where this runs too, so a
        // target found alive here stays alive for the call.
        {
            std::lock_guard<std::mutex> guard(RegistryLock());
            if (LiveTargets().count(target) == 0) {
                return;
            }
        }
        target->Dispatch(message);
    });
}
