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
    int status = 200;
    std::string body;
    // Sent as Content-Length; when larger than the body the connection closes early.
    long long announcedLength = -1;
};

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

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::map<std::string, HttpReply> m_replies;
    std::vector<HttpRequest> m_requests;
    std::thread m_thread;
};

} // namespace testsupport
