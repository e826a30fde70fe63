// Winsock stand-in over POSIX sockets. Sockets are handed out as handles of
// our own; the descriptor behind a handle stays open until the last call that
// uses it has returned, so closesocket can wake a blocked receive or accept
// without the descriptor number being reused under it.
// The POSIX declarations first, under their own names: this file calls them.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/standin/winsock.h"
#include "platform/standin/winsock_control.h"

#undef socket
#undef getaddrinfo

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct SocketEntry {
    int fd = -1;
    int type = 0;
    std::atomic<bool> closed{false};
    std::atomic<bool> nonBlocking{false};
    // Winsock leaves a connection whose blocking receive timed out in an
    // indeterminate state, not to be used again: later receives fail here.
    std::atomic<bool> receiveTimedOut{false};

    SocketEntry(int descriptor, int socketType) : fd(descriptor), type(socketType) {}
    ~SocketEntry() { ::close(fd); }
    SocketEntry(const SocketEntry&) = delete;
    SocketEntry& operator=(const SocketEntry&) = delete;
};
using EntryPtr = std::shared_ptr<SocketEntry>;

std::mutex lv_socketsMutex;
std::unordered_map<SOCKET, EntryPtr> lv_sockets;
SOCKET lv_nextHandle = 0x100;
std::atomic<int> lv_startups{0};
thread_local int lv_lastError = 0;
std::atomic<int> lv_datagramReceiveFault{0};

int lf_fail(int error)
{
    lv_lastError = error;
    return SOCKET_ERROR;
}

int lf_wsaCodeOf(int error)
{
    static const std::unordered_map<int, int> table{
        {EINTR, WSAEINTR},           {EBADF, WSAEBADF},
        {EACCES, WSAEACCES},         {EPERM, WSAEACCES},
        {EFAULT, WSAEFAULT},         {EINVAL, WSAEINVAL},
        {EMFILE, WSAEMFILE},         {ENFILE, WSAEMFILE},
        {EWOULDBLOCK, WSAEWOULDBLOCK}, {EINPROGRESS, WSAEWOULDBLOCK},
        {EALREADY, WSAEALREADY},     {ENOTSOCK, WSAENOTSOCK},
        {EDESTADDRREQ, WSAEDESTADDRREQ}, {EMSGSIZE, WSAEMSGSIZE},
        {EPROTOTYPE, WSAEPROTOTYPE}, {ENOPROTOOPT, WSAENOPROTOOPT},
        {EPROTONOSUPPORT, WSAEPROTONOSUPPORT}, {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
        {EOPNOTSUPP, WSAEOPNOTSUPP}, {EPFNOSUPPORT, WSAEPFNOSUPPORT},
        {EAFNOSUPPORT, WSAEAFNOSUPPORT}, {EADDRINUSE, WSAEADDRINUSE},
        {EADDRNOTAVAIL, WSAEADDRNOTAVAIL}, {ENETDOWN, WSAENETDOWN},
        {ENETUNREACH, WSAENETUNREACH}, {ENETRESET, WSAENETRESET},
        {ECONNABORTED, WSAECONNABORTED}, {ECONNRESET, WSAECONNRESET},
        {EPIPE, WSAECONNRESET},      {ENOBUFS, WSAENOBUFS},
        {ENOMEM, WSAENOBUFS},        {EISCONN, WSAEISCONN},
        {ENOTCONN, WSAENOTCONN},     {ESHUTDOWN, WSAESHUTDOWN},
        {ETOOMANYREFS, WSAETOOMANYREFS}, {ETIMEDOUT, WSAETIMEDOUT},
        {ECONNREFUSED, WSAECONNREFUSED}, {ELOOP, WSAELOOP},
        {ENAMETOOLONG, WSAENAMETOOLONG}, {EHOSTDOWN, WSAEHOSTDOWN},
        {EHOSTUNREACH, WSAEHOSTUNREACH}, {ENOTEMPTY, WSAENOTEMPTY},
        {EUSERS, WSAEUSERS},         {EDQUOT, WSAEDQUOT},
        {ESTALE, WSAESTALE},         {EREMOTE, WSAEREMOTE},
    };
    const auto found = table.find(error);
    return found == table.end() ? WSAEINVAL : found->second;
}

// The error of a failed call on a socket: a closed socket reports an
// interrupted call, a time-out of a blocking socket reports WSAETIMEDOUT.
int lf_failFromErrno(const SocketEntry& entry, int error)
{
    if (entry.closed)
        return lf_fail(WSAEINTR);
    if ((error == EAGAIN || error == EWOULDBLOCK) && !entry.nonBlocking)
        return lf_fail(WSAETIMEDOUT);
    return lf_fail(lf_wsaCodeOf(error));
}

EntryPtr lf_find(SOCKET s)
{
    const std::lock_guard lock(lv_socketsMutex);
    const auto found = lv_sockets.find(s);
    if (found == lv_sockets.end()) {
        lv_lastError = WSAENOTSOCK;
        return nullptr;
    }
    return found->second;
}

SOCKET lf_register(int fd, int type)
{
    const std::lock_guard lock(lv_socketsMutex);
    const SOCKET handle = lv_nextHandle;
    lv_nextHandle += 4;
    lv_sockets.emplace(handle, std::make_shared<SocketEntry>(fd, type));
    return handle;
}

// Takes the socket out of use and wakes every thread blocked on it.
void lf_close(const EntryPtr& entry)
{
    entry->closed = true;
    ::shutdown(entry->fd, SHUT_RDWR);
}

bool lf_isTimeout(int level, int name)
{
    return level == SOL_SOCKET && (name == SO_RCVTIMEO || name == SO_SNDTIMEO);
}

// Winsock takes boolean and small integer options as one byte or as a
// 32-bit value; POSIX wants an int.
int lf_intOption(const char* value, int length)
{
    if (length == 1)
        return static_cast<unsigned char>(value[0]);
    int result = 0;
    std::memcpy(&result, value, std::min<std::size_t>(sizeof result, static_cast<std::size_t>(length)));
    return result;
}

template <typename Call>
int lf_retryInterrupted(const SocketEntry& entry, Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR || entry.closed)
            return static_cast<int>(result);
    }
}

int lf_received(SocketEntry& entry, ssize_t count, int length)
{
    if (entry.closed)
        return lf_fail(WSAEINTR);
    if (count < 0) {
        const int result = lf_failFromErrno(entry, errno);
        if (lv_lastError == WSAETIMEDOUT && entry.type == SOCK_STREAM)
            entry.receiveTimedOut = true;
        return result;
    }
    // A datagram larger than the buffer arrives cut, and reports that.
    if (entry.type == SOCK_DGRAM && count > length)
        return lf_fail(WSAEMSGSIZE);
    return static_cast<int>(count);
}

} // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    const int major = versionRequested & 0xff;
    const int minor = (versionRequested >> 8) & 0xff;
    if (major < 1 || (major == 1 && minor < 1))
        return WSAVERNOTSUPPORTED;
    if (data == nullptr)
        return WSAEFAULT;
    *data = WSADATA{};
    data->wVersion = major > 2 || (major == 2 && minor > 2) ? MAKEWORD(2, 2) : versionRequested;
    data->wHighVersion = MAKEWORD(2, 2);
    std::strcpy(data->szDescription, "Skyweaver Winsock stand-in");
    std::strcpy(data->szSystemStatus, "Running");
    ++lv_startups;
    return 0;
}

int WSACleanup()
{
    int count = lv_startups.load();
    do {
        if (count == 0)
            return lf_fail(WSANOTINITIALISED);
    } while (!lv_startups.compare_exchange_weak(count, count - 1));
    if (count > 1)
        return 0;
    // The last cleanup of the process closes every socket still open.
    std::vector<EntryPtr> open;
    {
        const std::lock_guard lock(lv_socketsMutex);
        for (auto& [handle, entry] : lv_sockets)
            open.push_back(entry);
        lv_sockets.clear();
    }
    for (const auto& entry : open)
        lf_close(entry);
    return 0;
}

int WSAGetLastError()
{
    return lv_lastError;
}

void WSASetLastError(int error)
{
    lv_lastError = error;
}

namespace standin {

SOCKET wsaSocket(int family, int type, int protocol)
{
    if (lv_startups == 0) {
        lv_lastError = WSANOTINITIALISED;
        return INVALID_SOCKET;
    }
    const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        lv_lastError = lf_wsaCodeOf(errno);
        return INVALID_SOCKET;
    }
    return lf_register(fd, type);
}

int wsaGetaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result)
{
    if (lv_startups == 0)
        return lv_lastError = WSANOTINITIALISED;
    const int status = ::getaddrinfo(node, service, hints, result);
    static const std::unordered_map<int, int> table{
        {EAI_NONAME, WSAHOST_NOT_FOUND}, {EAI_AGAIN, WSATRY_AGAIN},   {EAI_FAIL, WSANO_RECOVERY},
        {EAI_NODATA, WSANO_DATA},        {EAI_FAMILY, WSAEAFNOSUPPORT}, {EAI_SOCKTYPE, WSAESOCKTNOSUPPORT},
        {EAI_SERVICE, WSATYPE_NOT_FOUND}, {EAI_BADFLAGS, WSAEINVAL},   {EAI_MEMORY, WSA_NOT_ENOUGH_MEMORY},
    };
    if (status == 0)
        return 0;
    const auto found = table.find(status);
    int code = found == table.end() ? WSANO_RECOVERY : found->second;
    if (status == EAI_SYSTEM)
        code = lf_wsaCodeOf(errno);
    return lv_lastError = code;
}

} // namespace standin

int closesocket(SOCKET s)
{
    EntryPtr entry;
    {
        const std::lock_guard lock(lv_socketsMutex);
        const auto found = lv_sockets.find(s);
        if (found == lv_sockets.end())
            return lf_fail(WSAENOTSOCK);
        entry = std::move(found->second);
        lv_sockets.erase(found);
    }
    lf_close(entry);
    return 0;
}

int ioctlsocket(SOCKET s, long command, u_long* argument)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (argument == nullptr)
        return lf_fail(WSAEFAULT);
    if (command == static_cast<long>(FIONBIO)) {
        const int flags = ::fcntl(entry->fd, F_GETFL);
        const bool on = *argument != 0;
        if (flags < 0 || ::fcntl(entry->fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) < 0)
            return lf_failFromErrno(*entry, errno);
        entry->nonBlocking = on;
        return 0;
    }
    if (command == static_cast<long>(FIONREAD)) {
        int available = 0;
        if (::ioctl(entry->fd, FIONREAD, &available) < 0)
            return lf_failFromErrno(*entry, errno);
        *argument = static_cast<u_long>(available);
        return 0;
    }
    return lf_fail(WSAEINVAL);
}

int bind(SOCKET s, const sockaddr* address, int length)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (::bind(entry->fd, address, static_cast<socklen_t>(length)) < 0)
        return lf_failFromErrno(*entry, errno);
    return 0;
}

int listen(SOCKET s, int backlog)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (::listen(entry->fd, backlog) < 0)
        return lf_failFromErrno(*entry, errno);
    return 0;
}

SOCKET accept(SOCKET s, sockaddr* address, int* length)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return INVALID_SOCKET;
    socklen_t size = length ? static_cast<socklen_t>(*length) : 0;
    const int fd = lf_retryInterrupted(*entry, [&] {
        return ::accept4(entry->fd, address, length ? &size : nullptr, SOCK_CLOEXEC);
    });
    if (entry->closed || fd < 0) {
        if (fd >= 0)
            ::close(fd);
        lf_failFromErrno(*entry, errno);
        return INVALID_SOCKET;
    }
    if (length)
        *length = static_cast<int>(size);
    return lf_register(fd, SOCK_STREAM);
}

int connect(SOCKET s, const sockaddr* address, int length)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (::connect(entry->fd, address, static_cast<socklen_t>(length)) < 0)
        return lf_failFromErrno(*entry, errno);
    return 0;
}

int getsockname(SOCKET s, sockaddr* address, int* length)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (length == nullptr)
        return lf_fail(WSAEFAULT);
    socklen_t size = static_cast<socklen_t>(*length);
    if (::getsockname(entry->fd, address, &size) < 0)
        return lf_failFromErrno(*entry, errno);
    *length = static_cast<int>(size);
    return 0;
}

int recv(SOCKET s, char* buffer, int length, int flags)
{
    return recvfrom(s, buffer, length, flags, nullptr, nullptr);
}

int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (length < 0)
        return lf_fail(WSAEINVAL);
    if (entry->receiveTimedOut)
        return lf_fail(WSAECONNABORTED);
    if (entry->type == SOCK_DGRAM) {
        if (const int fault = lv_datagramReceiveFault.exchange(0); fault != 0)
            return lf_fail(fault);
    }
    socklen_t size = fromLength ? static_cast<socklen_t>(*fromLength) : 0;
    const int posixFlags = flags | (entry->type == SOCK_DGRAM ? MSG_TRUNC : 0);
    const ssize_t count = lf_retryInterrupted(*entry, [&] {
        return ::recvfrom(entry->fd, static_cast<void*>(buffer), static_cast<std::size_t>(length), posixFlags,
                          fromLength ? from : nullptr, fromLength ? &size : nullptr);
    });
    if (fromLength && count >= 0)
        *fromLength = static_cast<int>(size);
    return lf_received(*entry, count, length);
}

int send(SOCKET s, const char* buffer, int length, int flags)
{
    return sendto(s, buffer, length, flags, nullptr, 0);
}

// A blocking send hands over the whole buffer, as on Windows; a peer that has
// gone reports an error and never raises SIGPIPE.
int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (length < 0)
        return lf_fail(WSAEINVAL);
    int sent = 0;
    do {
        const int count = lf_retryInterrupted(*entry, [&] {
            return ::sendto(entry->fd, static_cast<const void*>(buffer + sent), static_cast<std::size_t>(length - sent), flags | MSG_NOSIGNAL,
                            to, static_cast<socklen_t>(to ? toLength : 0));
        });
        if (entry->closed)
            return lf_fail(WSAEINTR);
        if (count < 0)
            return sent > 0 && entry->nonBlocking ? sent : lf_failFromErrno(*entry, errno);
        sent += count;
    } while (sent < length && !entry->nonBlocking && entry->type == SOCK_STREAM);
    return sent;
}

int shutdown(SOCKET s, int how)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    const int posixHow = how == SD_RECEIVE ? SHUT_RD : how == SD_SEND ? SHUT_WR : SHUT_RDWR;
    if (::shutdown(entry->fd, posixHow) < 0)
        return lf_failFromErrno(*entry, errno);
    return 0;
}

int setsockopt(SOCKET s, int level, int name, const char* value, int length)
{
    const EntryPtr entry = lf_find(s);
    if (!entry)
        return SOCKET_ERROR;
    if (value == nullptr || length <= 0)
        return lf_fail(WSAEFAULT);
    int result = 0;
    if (lf_isTimeout(level, name)) {
        // Winsock time-outs are a DWORD of milliseconds.
        if (length < static_cast<int>(sizeof(DWORD)))
            return lf_fail(WSAEFAULT);
        DWORD milliseconds = 0;
        std::memcpy(&milliseconds, value, sizeof milliseconds);
        const timeval timeout{static_cast<time_t>(milliseconds / 1000),
                              static_cast<suseconds_t>((milliseconds % 1000) * 1000)};
        result = ::setsockopt(entry->fd, level, name, &timeout, sizeof timeout);
    } else if (length <= static_cast<int>(sizeof(int))) {
        const int number = lf_intOption(value, length);
        result = ::setsockopt(entry->fd, level, name, &number, sizeof number);
    } else {
        result = ::setsockopt(entry->fd, level, name, static_cast<const void*>(value), static_cast<socklen_t>(length));
    }
    if (result < 0)
        return lf_failFromErrno(*entry, errno);
    return 0;
}

namespace standin {

void fdSetAdd(SOCKET s, fd_set* set)
{
    const auto end = set->fd_array + set->fd_count;
    if (std::find(set->fd_array, end, s) == end && set->fd_count < FD_SETSIZE)
        set->fd_array[set->fd_count++] = s;
}

void fdSetRemove(SOCKET s, fd_set* set)
{
    const auto end = set->fd_array + set->fd_count;
    set->fd_count = static_cast<u_int>(std::remove(set->fd_array, end, s) - set->fd_array);
}

void failNextDatagramReceive(int error)
{
    lv_datagramReceiveFault.store(error);
}

} // namespace standin

int __WSAFDIsSet(SOCKET s, fd_set* set)
{
    const auto end = set->fd_array + set->fd_count;
    return std::find(set->fd_array, end, s) != end ? 1 : 0;
}

namespace {

struct SelectEntry {
    fd_set* set;
    SOCKET socket;
    short events;
    EntryPtr entry;
};

// The sockets of the three sets with what each waits for; false when one is no socket.
bool lf_selectEntries(fd_set* readable, fd_set* writable, fd_set* failed, std::vector<SelectEntry>& entries)
{
    const std::pair<fd_set*, short> sets[] = {
        {readable, POLLIN}, {writable, POLLOUT}, {failed, POLLPRI}};
    for (const auto& [set, events] : sets) {
        for (u_int i = 0; set != nullptr && i < set->fd_count; ++i) {
            EntryPtr entry = lf_find(set->fd_array[i]);
            if (!entry)
                return false;
            entries.push_back({set, set->fd_array[i], events, std::move(entry)});
        }
    }
    return true;
}

// Whether poll's answer makes the socket ready for what its set waits for: a
// closed or failed connection counts as readable (recv then reports it).
bool lf_selectReady(const SelectEntry& wanted, short revents)
{
    if (wanted.events == POLLIN)
        return (revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    if (wanted.events == POLLOUT)
        return (revents & (POLLOUT | POLLERR | POLLHUP)) != 0;
    return (revents & POLLPRI) != 0;
}

} // namespace

int select(int, fd_set* readable, fd_set* writable, fd_set* failed, const timeval* timeout)
{
    std::vector<SelectEntry> entries;
    if (!lf_selectEntries(readable, writable, failed, entries))
        return SOCKET_ERROR;
    if (entries.empty() || (timeout != nullptr && (timeout->tv_sec < 0 || timeout->tv_usec < 0)))
        return lf_fail(WSAEINVAL);
    std::vector<pollfd> polled;
    for (const SelectEntry& wanted : entries)
        polled.push_back({wanted.entry->fd, wanted.events, 0});
    const int waitMs = timeout == nullptr ? -1
                                          : static_cast<int>(timeout->tv_sec * 1000 + (timeout->tv_usec + 999) / 1000);
    const int result = lf_retryInterrupted(*entries.front().entry, [&] {
        return ::poll(polled.data(), polled.size(), waitMs);
    });
    for (const SelectEntry& wanted : entries)
        if (wanted.entry->closed)
            return lf_fail(WSAEINTR);
    if (result < 0)
        return lf_fail(lf_wsaCodeOf(errno));
    for (fd_set* set : {readable, writable, failed})
        if (set != nullptr)
            FD_ZERO(set);
    int ready = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (lf_selectReady(entries[i], polled[i].revents)) {
            standin::fdSetAdd(entries[i].socket, entries[i].set);
            ++ready;
        }
    }
    return ready;
}
