#pragma once
// File permissions bind the superuser only by its will: a test run as root that checks what a
// read-only file does takes the file rights of the user "nobody" for its checks. Only the calling
// thread's file-system identity changes (setfsuid), so the rest of the process goes on as before.
#include <sys/fsuid.h>
#include <unistd.h>

class OrdinaryUser
{
public:
    static constexpr uid_t kNobody = 65534;

    OrdinaryUser()
    {
        if (::geteuid() != 0) {
            m_active = true;  // already an ordinary user
            return;
        }
        ::setfsgid(kNobody);
        ::setfsuid(kNobody);
        // setfsuid answers the previous identity; asking with an invalid one tells the current.
        m_dropped = ::setfsuid(static_cast<uid_t>(-1)) == static_cast<int>(kNobody);
        m_active = m_dropped;
        if (!m_dropped)
            Restore();
    }
    ~OrdinaryUser()
    {
        if (m_dropped)
            Restore();
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    // Whether permissions now bind this thread.
    bool Active() const { return m_active; }

private:
    static void Restore()
    {
        ::setfsuid(0);
        ::setfsgid(0);
    }
    bool m_active = false;
    bool m_dropped = false;
};
