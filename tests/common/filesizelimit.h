#ifndef LISTFORGE_TESTS_COMMON_FILESIZELIMIT_H
#define LISTFORGE_TESTS_COMMON_FILESIZELIMIT_H

// While it lives, every write that would make a regular file of this process larger than the
// limit fails (EFBIG), as a full disk would; the signal the kernel sends with it is ignored.
// Output to pipes and terminals is not affected.

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_old;
        small.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isActive() const { return m_active; }

private:
    struct rlimit m_old;
    void (*m_oldHandler)(int);
    bool m_active = false;
};

#endif
