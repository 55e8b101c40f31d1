#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While one lives, this thread obeys file permissions even when it runs as
// the super-user: the capabilities that override them are taken out of its
// effective set, and put back at the end. So a test of what happens to an
// unreadable folder runs under root too. active() is false when they could
// not be dropped; a test should skip then.
class WithoutAccessOverride
{
public:
    WithoutAccessOverride()
    {
        if (::geteuid() != 0) {
            m_active = true;
            return;
        }
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = ::syscall(SYS_capset, &m_header, reduced) == 0;
        m_restore = m_active;
    }
    ~WithoutAccessOverride()
    {
        if (m_restore)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutAccessOverride(const WithoutAccessOverride&) = delete;
    WithoutAccessOverride& operator=(const WithoutAccessOverride&) = delete;

    bool active() const { return m_active; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
    bool m_restore = false;
};
