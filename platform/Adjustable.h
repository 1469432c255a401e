#pragma once
// A period or pause of the program's that a test of the logic around it may shorten, so that
// the test need not wait out the real length. Nothing sets it in the program: the getter then
// answers the real length. Read from any thread.
#include <atomic>

namespace platform {

template <typename T>
class Adjustable
{
public:
    // The value a test set, or `real` while none is set (0: none).
    T Or(T real) const
    {
        const T v = m_value.load(std::memory_order_relaxed);
        return v > 0 ? v : real;
    }
    void Set(T value) { m_value.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> m_value{0};
};

}
