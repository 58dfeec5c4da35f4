#pragma once

// Keeps a stored page from reaching the network: while offline, every request for anything
// but a local file (or inline data) is blocked before it is sent, and remembered.

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>
#include <mutex>
#include <vector>

// True for addresses served without the network: file:, data:, about:, blob:, qrc: and the
// documents the browser holds.
bool IsLocalUrl(const QUrl& url);

class TOfflineInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void SetOffline(bool offline) { offline_ = offline; }
    bool Offline() const { return offline_; }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Every request blocked so far, and every request let through.
    std::vector<QUrl> Blocked() const;
    std::vector<QUrl> Passed() const;

private:
    std::atomic<bool> offline_{false};
    mutable std::mutex lock_;
    std::vector<QUrl> blocked_;
    std::vector<QUrl> passed_;
};
