#pragma once

// Window messages posted from workers to objects that live on the main thread (the main
// window, the status forms). A message carries its number, two integers and, where a worker
// has text to show, the text itself, so that no worker ever writes into a form.

#include <cstdint>
#include <string>

struct PostedMessage {
    uint32_t Msg = 0;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    std::string Text;
};

// A receiver of posted messages. A message posted to a target that is destroyed before the
// main thread gets to it is dropped.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    // Runs on the main thread.
    virtual void Dispatch(const PostedMessage& message) = 0;
};

// Queues the message for the target on the main thread's invoker; callable from any thread.
void PostMessageTo(MessageTarget* target, PostedMessage message);
