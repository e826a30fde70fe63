// Winsock stand-in: the Windows socket calls the program makes, implemented
// over POSIX sockets with Windows behaviour (handles, error codes, time-outs).
#pragma once

#include "platform/standin/wintypes.h"

// The POSIX socket types (sockaddr, sockaddr_in, addrinfo, in_addr) and
// constants (AF_INET, SOCK_DGRAM, SOL_SOCKET, INADDR_ANY ...) serve as their
// Windows namesakes; their layouts and meanings match what the program uses.
// The POSIX functions of the same names are declared under other names here,
// so that a call resolves to the Winsock version alone (a header included
// earlier that declares them makes such calls overloads instead).
#define accept standin_posix_accept
#define bind standin_posix_bind
#define connect standin_posix_connect
#define getsockname standin_posix_getsockname
#define listen standin_posix_listen
#define recv standin_posix_recv
#define recvfrom standin_posix_recvfrom
#define send standin_posix_send
#define sendto standin_posix_sendto
#define setsockopt standin_posix_setsockopt
#define shutdown standin_posix_shutdown
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/types.h>
#undef FD_SETSIZE
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#undef FD_ZERO
#undef accept
#undef bind
#undef connect
#undef getsockname
#undef listen
#undef recv
#undef recvfrom
#undef send
#undef sendto
#undef setsockopt
#undef shutdown

using SOCKET = UINT_PTR;
#define INVALID_SOCKET (~static_cast<SOCKET>(0))
#define SOCKET_ERROR (-1)

#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2

#ifndef MAKEWORD
#  define MAKEWORD(low, high) ((WORD)(((BYTE)(((DWORD_PTR)(low)) & 0xff)) | ((WORD)((BYTE)(((DWORD_PTR)(high)) & 0xff))) << 8))
#endif

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
};
using LPWSADATA = WSADATA*;
using ADDRINFOA = addrinfo;
using PADDRINFOA = addrinfo*;

// Winsock error codes.
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETOOMANYREFS 10059
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAELOOP 10062
#define WSAENAMETOOLONG 10063
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSAENOTEMPTY 10066
#define WSAEPROCLIM 10067
#define WSAEUSERS 10068
#define WSAEDQUOT 10069
#define WSAESTALE 10070
#define WSAEREMOTE 10071
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAEDISCON 10101
#define WSATYPE_NOT_FOUND 10109
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004
#define WSA_NOT_ENOUGH_MEMORY 8

// Winsock's socket set: a count and the sockets, FD_SETSIZE at most, not
// POSIX's bit mask of descriptors (which every C++ header brings along, so the
// name leads to ours; select is then an overload that takes our set).
#define FD_SETSIZE 64
#define fd_set standin_fd_set
struct standin_fd_set {
    u_int fd_count;
    SOCKET fd_array[FD_SETSIZE];
};
int __WSAFDIsSet(SOCKET s, fd_set* set);
namespace standin {
void fdSetAdd(SOCKET s, fd_set* set);
void fdSetRemove(SOCKET s, fd_set* set);
} // namespace standin
#define FD_ZERO(set) ((set)->fd_count = 0)
#define FD_SET(s, set) standin::fdSetAdd((s), (set))
#define FD_CLR(s, set) standin::fdSetRemove((s), (set))
#define FD_ISSET(s, set) __WSAFDIsSet((SOCKET)(s), (fd_set*)(set))

int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long command, u_long* argument);
int bind(SOCKET s, const sockaddr* address, int length);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* address, int* length);
int connect(SOCKET s, const sockaddr* address, int length);
int getsockname(SOCKET s, sockaddr* address, int* length);
int recv(SOCKET s, char* buffer, int length, int flags);
int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength);
int send(SOCKET s, const char* buffer, int length, int flags);
int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength);
int shutdown(SOCKET s, int how);
int setsockopt(SOCKET s, int level, int name, const char* value, int length);
// Waits until a socket of the sets is ready or the time-out (none: no end) has
// passed; the first argument is ignored, as on Windows. Leaves in each set only
// the ready sockets; returns their count, 0 on a time-out, or SOCKET_ERROR.
int select(int ignored, fd_set* readable, fd_set* writable, fd_set* failed, const timeval* timeout);

namespace standin {
SOCKET wsaSocket(int family, int type, int protocol);
int wsaGetaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result);
} // namespace standin

// These two differ from their POSIX namesakes only in the result, so they
// cannot be overloads; the names lead to the Winsock versions instead.
#define socket(family, type, protocol) standin::wsaSocket(family, type, protocol)
#define getaddrinfo(node, service, hints, result) standin::wsaGetaddrinfo(node, service, hints, result)
