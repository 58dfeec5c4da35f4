#pragma once

#include "platform/shell/ChannelFrame.h"
#include "platform/shell/InstanceLock.h"
#include "platform/shell/RegisteredMessages.h"

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLocalSocket;

// The per-user channel that makes this program a single instance and lets other programs reach
// the running one. Whoever takes the lock file owns the socket beside it; everyone else hands
// their request over through that socket and ends. The running instance is found by this
// socket, never by a window caption, which changes once a binder is open.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    enum class Claim { Primary, HandedOver, Failed };
    using MessageHandler = std::function<void(const RegisteredMessage&)>;
    using ExecuteHandler = std::function<void(const std::string& service, const std::string& topic,
                                              const std::string& text)>;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the channel (Primary: this process is the running instance and listens from now
    // on), or hands `handover` (encoded frames) to the instance that holds it (HandedOver).
    // Two processes started at the same moment settle it between them through the lock: one
    // takes it, the other keeps trying to hand over until the winner listens or `patience`
    // runs out (Failed, with ErrorText()).
    Claim ClaimOrHandOver(const std::string& handover,
                          std::chrono::milliseconds patience = std::chrono::seconds(10));
    const std::string& ErrorText() const { return error_; }
    bool Listening() const;

    // Receivers of what arrives; a frame without a receiver is dropped. They run on the main
    // thread from the event loop, never inside a socket's signal, and may open modal dialogs:
    // frames arriving meanwhile are delivered from the dialog's event loop, still in their
    // order.
    void SetMessageHandler(MessageHandler handler) { onMessage_ = std::move(handler); }
    void SetExecuteHandler(ExecuteHandler handler) { onExecute_ = std::move(handler); }

private:
    bool Listen(const std::string& folder);
    void Accept();
    void DeliverPending();
    void Deliver(const ChannelFrame& frame);

    InstanceLock lock_;
    QLocalServer* server_ = nullptr;
    MessageHandler onMessage_;
    ExecuteHandler onExecute_;
    std::deque<ChannelFrame> pending_; // read, not yet delivered
    bool deliveryQueued_ = false;
    std::string error_;
};
