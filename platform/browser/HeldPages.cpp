#include "platform/browser/HeldPages.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace {

// The engine learns of a scheme before the application object exists, which is before main
// runs for every program that shows a browser.
const bool SchemeRegistered = [] {
    QWebEngineUrlScheme scheme(HeldPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
}();

} // namespace

THeldPages& THeldPages::Of(QWebEngineProfile& profile) {
    (void)SchemeRegistered;
    // The profile holds its handler as its child.
    if (auto* installed = profile.findChild<THeldPages*>(QString(), Qt::FindDirectChildrenOnly)) {
        return *installed;
    }
    auto* pages = new THeldPages(&profile);
    profile.installUrlSchemeHandler(HeldPageScheme, pages);
    return *pages;
}

QUrl THeldPages::Hold(const QByteArray& bytes, const QByteArray& type) {
    const QString path = "/" + QString::number(++next_);
    held_[path] = THeld{bytes, type};
    QUrl url;
    url.setScheme(HeldPageScheme);
    url.setPath(path);
    return url;
}

void THeldPages::Release(const QUrl& url) {
    held_.erase(url.path());
}

void THeldPages::requestStarted(QWebEngineUrlRequestJob* job) {
    const auto held = held_.find(job->requestUrl().path());
    if (held == held_.end()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The job reads the buffer after this returns, and deletes it with itself.
    auto* body = new QBuffer(job);
    body->setData(held->second.Bytes);
    job->reply(held->second.Type, body);
}
