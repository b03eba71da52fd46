// Waiting for input on a stream while other threads may ask the waiter to look up: the headless
// host sleeps on its request stream and still runs the work that a worker thread posts.
#pragma once

#include <cstdio>

namespace pennoria::platform {

class InputWaiter {
public:
    InputWaiter();
    ~InputWaiter();
    InputWaiter(const InputWaiter&) = delete;
    InputWaiter& operator=(const InputWaiter&) = delete;

    // Makes the current or next Wait return Woken. Safe from any thread; wake-ups that come
    // before the waiter looks are not lost, and several of them count as one.
    void Wake();

    enum class Ready { Input, Woken };
    // Blocks until in has something to read (also its end or an error) or Wake is called. in
    // must be unbuffered, so that nothing waits in its buffer unseen. Input when the waiter
    // cannot wait (then reading simply blocks).
    Ready Wait(std::FILE* in);

private:
    int m_readEnd = -1;
    int m_writeEnd = -1;
};

} // namespace pennoria::platform
