#include "support/HangingPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test {

HangingPort::HangingPort() {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_listen, 0) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return;
    m_port = ntohs(a.sin_port);
    // One connection that is never accepted fills the queue of a zero backlog.
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::connect(m_filler, reinterpret_cast<sockaddr*>(&a), sizeof a);
    pollfd p{m_filler, POLLOUT, 0};
    if (::poll(&p, 1, 10000) != 1)
        return;
    int err = 0;
    socklen_t el = sizeof err;
    m_ready = ::getsockopt(m_filler, SOL_SOCKET, SO_ERROR, &err, &el) == 0 && err == 0;
}

HangingPort::~HangingPort() {
    if (m_filler >= 0)
        ::close(m_filler);
    if (m_listen >= 0)
        ::close(m_listen);
}

} // namespace test
