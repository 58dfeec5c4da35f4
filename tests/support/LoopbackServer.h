#pragma once

// Servers that tests start on 127.0.0.1 with a port the system picks: an HTTP server for
// well-formed sites, and a raw server that answers every connection with scripted bytes for
// the faults no HTTP library would produce (lying lengths, resets, stalls).

#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

class LoopbackServer {
public:
    LoopbackServer() {
        // Answers go out at once, as from servers on the net, instead of waiting for the
        // client's delayed acknowledgement of the headers (set before the socket is made, so
        // every accepted connection has it).
        server_.set_tcp_nodelay(true);
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) {
            throw std::runtime_error("cannot bind a loopback port");
        }
        server_.new_task_queue = [] { return new httplib::ThreadPool(8); };
        // Stopping waits for idle kept-alive connections to time out; a short wait keeps
        // the tests quick.
        server_.set_keep_alive_timeout(1);
    }
    ~LoopbackServer() { Stop(); }

    httplib::Server& Http() { return server_; }
    void Start() {
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // The socket is bound already, so connections queue up even before the loop runs;
        // waiting for it keeps Stop from racing the start.
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Stop() {
        server_.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    int Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // Serves fixed bytes with a content type.
    void Serve(const std::string& path, const std::string& body, const std::string& type) {
        server_.Get(path, [body, type](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, type);
        });
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// An address on 127.0.0.1 where nothing answers: a connection is refused, as by a host whose
// server has gone. The port is one a server had until a moment ago.
inline std::string UnansweredUrl(const std::string& path) {
    LoopbackServer gone;
    gone.Start(); // a server never started keeps its socket open when it stops
    const std::string url = gone.Url(path);
    gone.Stop();
    return url;
}

// Answers each connection by reading the request headers and then running the script on the
// socket. Scripts write raw bytes, sleep, or return to close the connection.
class RawServer {
public:
    using Script = std::function<void(int socket, const std::string& request)>;

    explicit RawServer(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0) {
            throw std::runtime_error("cannot bind a loopback port");
        }
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }

    ~RawServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        acceptor_.join();
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& worker : workers_) {
            worker.join();
        }
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Connections() const { return connections_; }
    bool Stopping() const { return stopping_; }

    static void Send(int socket, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<size_t>(n);
        }
    }

private:
    void AcceptLoop() {
        while (!stopping_) {
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            ++connections_;
            std::lock_guard<std::mutex> guard(lock_);
            workers_.emplace_back([this, client] {
                std::string request;
                char buffer[4096];
                while (request.find("\r\n\r\n") == std::string::npos) {
                    ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                    if (n <= 0) {
                        break;
                    }
                    request.append(buffer, static_cast<size_t>(n));
                }
                script_(client, request);
                ::shutdown(client, SHUT_RDWR);
                ::close(client);
            });
        }
    }

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread acceptor_;
    std::mutex lock_;
    std::vector<std::thread> workers_;
};

// Answers with a body of `type` that trickles in: `piece` bytes a second, `seconds` times,
// its whole length announced. False, at once, when the client hangs up before the end.
inline bool TrickleBody(int socket, const std::string& type, const std::string& piece,
                        int seconds) {
    RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " +
                                std::to_string(piece.size() * static_cast<size_t>(seconds)) +
                                "\r\n\r\n");
    for (int i = 0; i < seconds; ++i) {
        RawServer::Send(socket, piece);
        for (int tick = 0; tick < 10; ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            char probe;
            if (::recv(socket, &probe, 1, MSG_DONTWAIT) == 0) {
                return false;
            }
        }
    }
    return true;
}
