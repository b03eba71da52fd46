// The waiter over poll(2) with a self-pipe for the wake-ups.
#include "platform/InputWait.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace pennoria::platform {

InputWaiter::InputWaiter() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_readEnd = ends[0];
        m_writeEnd = ends[1];
    }
}

InputWaiter::~InputWaiter() {
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
}

void InputWaiter::Wake() {
    if (m_writeEnd < 0)
        return;
    const char byte = 1;
    // A full pipe already holds a wake-up; that is all a second one would say.
    while (::write(m_writeEnd, &byte, 1) < 0 && errno == EINTR) {
    }
}

InputWaiter::Ready InputWaiter::Wait(std::FILE* in) {
    const int fd = in ? ::fileno(in) : -1;
    // A stream without a descriptor (in memory) always has its input at hand.
    if (m_readEnd < 0 || fd < 0)
        return Ready::Input;
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_readEnd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Ready::Input;
        break;
    }
    if (fds[1].revents & POLLIN) {
        char drain[64];
        while (::read(m_readEnd, drain, sizeof drain) > 0) {
        }
        return Ready::Woken;
    }
    return Ready::Input;
}

} // namespace pennoria::platform
