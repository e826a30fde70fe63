// A tiny HTTP server on 127.0.0.1 for download tests: fixed replies per path, requests recorded.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpReply {
    HttpReply(int status_ = 200, std::string body_ = {}, long long announcedLength_ = -1)
        : status(status_), body(std::move(body_)), announcedLength(announcedLength_)
    {
    }

    int status = 200;
    std::string body;
    // Sent as Content-Length; when larger than the body the connection closes early.
    long long announcedLength = -1;
    // Sent as Location (a redirect).
    std::string location;
    // When not negative: only this many bytes of the reply (head included) are sent, then the
    // connection stays open and silent until the client or the server ends it (0: a host that never answers).
    long long stallAfter = -1;
};

// A redirect reply to the path.
HttpReply redirectTo(const std::string& location);
// A reply that sends the first bytes and then nothing more; 0 sends nothing at all.
HttpReply stalling(long long bytes, const std::string& body = std::string(4096, 'x'));

struct HttpRequest {
    std::string path;
    std::string userAgent;
};

class HttpServer {
public:
    HttpServer();   // listens on an ephemeral port of 127.0.0.1
    ~HttpServer();  // stops the server thread
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::string base() const;
    void serve(const std::string& path, HttpReply reply);
    void serve(const std::string& path, const std::string& body) { serve(path, HttpReply{200, body, -1}); }
    std::vector<HttpRequest> requests() const;

private:
    void run();
    void answer(int connection);
    void holdSilent(int connection) const;

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::map<std::string, HttpReply> m_replies;
    std::vector<HttpRequest> m_requests;
    std::thread m_thread;
};

} // namespace testsupport
