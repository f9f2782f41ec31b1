// A loopback port where a TCP connect neither succeeds nor fails: the listener's accept
// queue is kept full, so further SYNs go unanswered. For connect time-outs and stops.
//
//   test::HangingPort hang;
//   ASSERT_TRUE(hang.Ready());
//   ... connect to 127.0.0.1:hang.Port() and expect a time-out ...
#pragma once

#include <cstdint>

namespace test {

class HangingPort {
public:
    HangingPort();
    ~HangingPort();
    HangingPort(const HangingPort&) = delete;
    HangingPort& operator=(const HangingPort&) = delete;

    bool Ready() const { return m_ready; }
    std::uint16_t Port() const { return m_port; }

private:
    int m_listen = -1;
    int m_filler = -1;
    std::uint16_t m_port = 0;
    bool m_ready = false;
};

} // namespace test
