// A tiny HTTP/1.1 server for download tests; one request per connection.
#include "support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

std::string lf_headerValue(const std::string& head, const std::string& name)
{
    const std::string key = "\r\n" + name + ": ";
    const auto at = head.find(key);
    if (at == std::string::npos) {
        return {};
    }
    const auto start = at + key.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

void lf_sendAll(int connection, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

std::string lf_replyBytes(const HttpReply& reply)
{
    const long long length =
        reply.announcedLength >= 0 ? reply.announcedLength : static_cast<long long>(reply.body.size());
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " Reply\r\nContent-Length: " +
                       std::to_string(length) + "\r\n";
    if (!reply.location.empty()) {
        head += "Location: " + reply.location + "\r\n";
    }
    return head + "Connection: close\r\n\r\n" + reply.body;
}

} // namespace

HttpReply redirectTo(const std::string& location)
{
    HttpReply reply{302, "<html>Moved</html>", -1};
    reply.location = location;
    return reply;
}

HttpReply stalling(long long bytes, const std::string& body)
{
    HttpReply reply{200, body, -1};
    reply.stallAfter = bytes;
    return reply;
}

HttpServer::HttpServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("test HTTP server cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

HttpServer::~HttpServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

std::string HttpServer::base() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void HttpServer::serve(const std::string& path, HttpReply reply)
{
    const std::lock_guard lock(m_mutex);
    m_replies[path] = std::move(reply);
}

std::vector<HttpRequest> HttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpServer::run()
{
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection >= 0) {
            answer(connection);
            ::close(connection);
        }
    }
}

void HttpServer::answer(int connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 2000) <= 0) {
            return;
        }
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        head.append(buffer, static_cast<size_t>(n));
    }
    const auto pathStart = head.find(' ') + 1;
    const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    HttpReply reply{404, "not found", -1};
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back({path, lf_headerValue(head, "User-Agent")});
        if (const auto found = m_replies.find(path); found != m_replies.end()) {
            reply = found->second;
        }
    }
    const std::string bytes = lf_replyBytes(reply);
    if (reply.stallAfter < 0) {
        lf_sendAll(connection, bytes);
        return;
    }
    lf_sendAll(connection, bytes.substr(0, static_cast<size_t>(reply.stallAfter)));
    holdSilent(connection);
}

void HttpServer::holdSilent(int connection) const
{
    char byte = 0;
    while (!m_stop) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 20) > 0 && ::recv(connection, &byte, 1, 0) <= 0) {
            return;
        }
    }
}

} // namespace testsupport
