#include "platform/net/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Loopback hosts never go through a proxy, whatever the environment names.
std::string NoProxyList() {
    std::string list = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            list += ',';
            list += value;
            break;
        }
    }
    return list;
}

struct Transfer {
    CURL* handle = nullptr;
    const HttpOptions* options = nullptr;
    const HttpClient::HeaderCheck* check = nullptr;
    const HttpClient::BodySink* sink = nullptr;
    HttpResult* result = nullptr;
    bool headersChecked = false;

    void FillHeaders() {
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result->Status);
        char* url = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url) {
            result->FinalUrl = url;
        }
        char* type = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
            result->HasContentType = true;
            result->ContentType = type;
        }
    }

    bool AnnouncedAbove(size_t limit) const {
        curl_off_t length = -1;
        return curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
               length > 0 && static_cast<uint64_t>(length) > limit;
    }

    // False when the caller refuses the answer.
    bool CheckHeaders() {
        if (headersChecked) {
            return true;
        }
        headersChecked = true;
        FillHeaders();
        if (check != nullptr && *check && !(*check)(*result)) {
            result->Refused = true;
            return false;
        }
        return true;
    }
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t length = size * count;
    if (!transfer->CheckHeaders()) {
        return 0; // ends the transfer with a write error
    }
    HttpResult& result = *transfer->result;
    // Whether kept or streamed, a body past the limit ends before a byte of it is handed on.
    const size_t limit = transfer->options->MaxBodySize;
    const size_t taken = result.BytesReceived;
    result.BytesReceived += length;
    if (limit != 0 && (taken + length > limit || transfer->AnnouncedAbove(limit))) {
        result.TooLarge = true;
        std::string().swap(result.Body); // what was read goes at once
        return 0;
    }
    if (transfer->sink != nullptr && *transfer->sink) {
        return (*transfer->sink)(data, length) ? length : 0;
    }
    result.Body.append(data, length);
    return length;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->options->Cancelled && transfer->options->Cancelled()) {
        transfer->result->WasCancelled = true;
        return 1;
    }
    return 0;
}

} // namespace

struct HttpClient::Impl {
    CURL* handle = nullptr;
    std::string noProxy = NoProxyList();

    HttpResult Run(const std::string& url, const HttpOptions& options, const HeaderCheck* check,
                   const BodySink* sink, bool headersOnly) {
        HttpResult result;
        if (handle == nullptr) {
            result.Error = "no transfer handle";
            return result;
        }
        curl_easy_reset(handle);
        Transfer transfer{handle, &options, check, sink, &result, false};
        HeaderCheck stopAtHeaders = [](const HttpResult&) { return false; };
        if (headersOnly) {
            transfer.check = &stopAtHeaders;
        }
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options.MaxRedirects);
        curl_easy_setopt(handle, CURLOPT_AUTOREFERER, 1L);
        curl_easy_setopt(handle, CURLOPT_USERAGENT, options.UserAgent.c_str());
        curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str());
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.ConnectTimeout.count()));
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME,
                         static_cast<long>(options.StallTimeout.count()));
        // A body that trickles in never stalls; this bound ends it all the same.
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(std::max<int64_t>(options.TotalTimeout.count(), 0)));
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, Progress);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

        const CURLcode code = curl_easy_perform(handle);
        if (code == CURLE_OK) {
            // An empty body never reaches the writer: the headers are judged here.
            result.Completed = transfer.CheckHeaders();
        } else {
            if (!transfer.headersChecked) {
                transfer.FillHeaders();
            }
            result.Error = curl_easy_strerror(code);
        }
        if (result.FinalUrl.empty()) {
            result.FinalUrl = url;
        }
        return result;
    }
};

HttpClient::HttpClient() : impl_(std::make_unique<Impl>()) {
    GlobalInit();
    impl_->handle = curl_easy_init();
}

HttpClient::~HttpClient() {
    if (impl_->handle != nullptr) {
        curl_easy_cleanup(impl_->handle);
    }
}

HttpResult HttpClient::Get(const std::string& url, const HttpOptions& options,
                           const HeaderCheck& check) {
    return impl_->Run(url, options, &check, nullptr, false);
}

HttpResult HttpClient::GetTo(const std::string& url, const HttpOptions& options,
                             const BodySink& sink, const HeaderCheck& check) {
    return impl_->Run(url, options, &check, &sink, false);
}

HttpResult HttpClient::QueryHeaders(const std::string& url, const HttpOptions& options) {
    HttpResult result = impl_->Run(url, options, nullptr, nullptr, true);
    // Stopping at the headers is how this query ends; the headers are all it wanted.
    result.Completed = result.Refused || result.Completed;
    result.Refused = false;
    result.Error.clear();
    return result;
}

HttpClient& ThreadHttpClient() {
    thread_local HttpClient client;
    return client;
}
