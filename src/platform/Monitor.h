// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

namespace platform {

// A lock, and a condition that threads holding it wait on until another
// thread changes what they wait for.
class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    void Lock();
    void Unlock();
    // With the lock held: lets it go until NotifyAll (or for no reason, so
    // that callers wait in a loop), and holds it again on return.
    void Wait();
    void NotifyAll();

    // Holds the lock for a scope; Release and Take let it go and take it
    // again in between.
    class Hold {
    public:
        explicit Hold(Monitor& monitor) : monitor(monitor) { monitor.Lock(); }
        ~Hold() {
            if (held) monitor.Unlock();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        void Release() {
            monitor.Unlock();
            held = false;
        }
        void Take() {
            monitor.Lock();
            held = true;
        }
        bool Holds() const { return held; }

    private:
        Monitor& monitor;
        bool held = true;
    };

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace platform
