#pragma once

// Documents the browser shows from bytes it holds, each read in a text encoding the program
// names. The engine reads a response in the charset its type names, above what the document
// says or what the engine would guess; a file carries no type, and a document address carries
// no more than 2 MB. So such a document is served under its own scheme, by one handler for
// every browser of a profile. A held document names where it stands (its page file, or its
// folder) in a base element: what it refers to is loaded from the files beside it.

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <cstdint>
#include <map>

class QWebEngineProfile;

// The scheme of held documents: local, so no page from the net reaches them, and allowed to
// load local files.
inline constexpr char HeldPageScheme[] = "tarnwick-page";

class THeldPages : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // The handler of the profile, installed on first use.
    static THeldPages& Of(QWebEngineProfile& profile);

    // Holds the bytes to be served with the type (a charset in it); returns their address.
    QUrl Hold(const QByteArray& bytes, const QByteArray& type);
    // Forgets the bytes held under the address.
    void Release(const QUrl& url);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    struct THeld {
        QByteArray Bytes;
        QByteArray Type;
    };
    std::map<QString, THeld> held_; // by the address's path
    uint64_t next_ = 0;
};
