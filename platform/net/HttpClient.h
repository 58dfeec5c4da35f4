#pragma once

// Downloads over HTTP, HTTPS and FTP. One client keeps one connection cache, so each worker
// thread uses its own (ThreadHttpClient) and talks to a host over a kept-alive connection.
// Bodies are kept byte for byte, or streamed to a sink so a large file is never held whole.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

struct HttpOptions {
    std::string UserAgent;
    std::chrono::milliseconds ConnectTimeout{15000};
    // A transfer that receives nothing for this long is given up.
    std::chrono::seconds StallTimeout{30};
    // A transfer that has not ended this long after it began is given up, however steadily
    // its bytes come; 0 sets no limit.
    std::chrono::milliseconds TotalTimeout{0};
    long MaxRedirects = 10;
    // A body longer than this ends the transfer, as does an announced length above it, both
    // before the bytes past it are kept or reach the sink; 0 sets no limit.
    size_t MaxBodySize = 0;
    // Polled during the transfer; true ends it.
    std::function<bool()> Cancelled;
};

struct HttpResult {
    bool Completed = false; // the whole answer arrived (whatever its status)
    long Status = 0;        // 0 where the protocol has none (FTP)
    std::string FinalUrl;   // after redirects
    bool HasContentType = false;
    std::string ContentType; // the whole header value
    std::string Body;        // empty when the body went to a sink
    bool WasCancelled = false;
    bool Refused = false; // the headers were refused by the caller
    // The body passed MaxBodySize: nothing of it is kept, and a sink got no byte past it.
    bool TooLarge = false;
    size_t BytesReceived = 0; // body bytes taken from the connection
    std::string Error;        // what went wrong, for traces

    // The answer can be used: complete, and not an error status.
    bool Ok() const { return Completed && Status < 400; }
};

class HttpClient {
public:
    // Called once with the status, final URL and content type before the first body byte
    // (or at the end of an empty body); false stops the transfer.
    using HeaderCheck = std::function<bool(const HttpResult& headers)>;
    // Receives the body as it arrives; false stops the transfer.
    using BodySink = std::function<bool(const char* data, size_t length)>;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    HttpResult Get(const std::string& url, const HttpOptions& options,
                   const HeaderCheck& check = nullptr);
    HttpResult GetTo(const std::string& url, const HttpOptions& options, const BodySink& sink,
                     const HeaderCheck& check = nullptr);
    // Only the headers: the transfer stops before the body.
    HttpResult QueryHeaders(const std::string& url, const HttpOptions& options);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// This thread's client.
HttpClient& ThreadHttpClient();
