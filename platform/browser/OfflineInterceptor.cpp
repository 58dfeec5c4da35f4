#include "platform/browser/OfflineInterceptor.h"

#include "platform/browser/HeldPages.h"

#include <QWebEngineUrlRequestInfo>

bool IsLocalUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "file" || scheme == "data" || scheme == "about" || scheme == "blob" ||
           scheme == "qrc" || scheme == HeldPageScheme;
}

void TOfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    const bool block = offline_ && !IsLocalUrl(url);
    if (block) {
        info.block(true);
    }
    const std::lock_guard<std::mutex> guard(lock_);
    (block ? blocked_ : passed_).push_back(url);
}

std::vector<QUrl> TOfflineInterceptor::Blocked() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return blocked_;
}

std::vector<QUrl> TOfflineInterceptor::Passed() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return passed_;
}
