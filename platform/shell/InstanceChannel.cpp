#include "platform/shell/InstanceChannel.h"

#include "platform/shell/ChannelClient.h"
#include "platform/shell/InstanceFolder.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <exception>
#include <iostream>

using namespace std::chrono;

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

// The server goes first (it removes the socket file), the lock after it, so the next instance
// never finds our socket file once it holds the lock.
InstanceChannel::~InstanceChannel() {
    delete server_;
    server_ = nullptr;
    lock_.Release();
}

bool InstanceChannel::Listening() const {
    return server_ != nullptr && server_->isListening();
}

InstanceChannel::Claim InstanceChannel::ClaimOrHandOver(const std::string& handover,
                                                        milliseconds patience) {
    error_.clear();
    const std::string folder = InstanceFolder(error_);
    if (folder.empty()) {
        return Claim::Failed;
    }
    const auto deadline = steady_clock::now() + patience;
    while (true) {
        switch (lock_.TryLock(InstanceLockPath(folder), error_)) {
        case InstanceLock::Result::Taken:
            if (Listen(folder)) {
                return Claim::Primary;
            }
            lock_.Release();
            return Claim::Failed;
        case InstanceLock::Result::Failed:
            return Claim::Failed;
        case InstanceLock::Result::HeldElsewhere:
            break;
        }
        if (TrySendFrames(InstanceSocketPath(folder), handover, milliseconds(500), error_)) {
            error_.clear();
            return Claim::HandedOver;
        }
        if (steady_clock::now() >= deadline) {
            return Claim::Failed;
        }
        // The holder has the lock but does not listen yet, or has just died and the kernel is
        // about to drop its lock.
        QThread::msleep(20);
    }
}

bool InstanceChannel::Listen(const std::string& folder) {
    const QString path = QString::fromStdString(InstanceSocketPath(folder));
    // Holding the lock, we are the only one entitled to the socket: a file left there belongs
    // to an instance that died.
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        error_ = "Cannot listen on \"" + path.toStdString() +
                 "\": " + server->errorString().toStdString();
        return false;
    }
    server_ = server.release();
    connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::Accept);
    return true;
}

void InstanceChannel::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto reader = std::make_shared<ChannelFrameReader>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Only reading and decoding happen inside the socket's signal. A receiver may open a
        // dialog whose event loop sees the sender go and frees the socket; the socket's own
        // code must have returned by then, so the frames are delivered from the event loop.
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
            const QByteArray bytes = socket->readAll();
            reader->Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
            if (reader->Failed()) {
                socket->abort();
            }
            while (auto frame = reader->Next()) {
                pending_.push_back(std::move(*frame));
            }
            if (!pending_.empty() && !deliveryQueued_) {
                deliveryQueued_ = true;
                QMetaObject::invokeMethod(this, &InstanceChannel::DeliverPending,
                                          Qt::QueuedConnection);
            }
        });
    }
}

void InstanceChannel::DeliverPending() {
    deliveryQueued_ = false;
    // Each frame leaves the queue before it is delivered, so frames that arrive while a
    // receiver waits in a dialog are delivered from the dialog's loop, still in their order.
    while (!pending_.empty()) {
        const ChannelFrame frame = std::move(pending_.front());
        pending_.pop_front();
        Deliver(frame);
    }
}

// A receiver's exception must not cross into the event loop.
void InstanceChannel::Deliver(const ChannelFrame& frame) {
    try {
        if (frame.kind == ChannelFrame::Kind::Message) {
            if (onMessage_) {
                onMessage_(frame.message);
            }
        } else if (onExecute_) {
            onExecute_(frame.service, frame.topic, frame.text);
        }
    } catch (const std::exception& e) {
        std::cerr << "Tarnwick: a request from another program failed: " << e.what() << '\n';
    }
}
