#ifndef LISTFORGE_TESTS_INSTRMANAGE_PRIVATEHOSTS_H
#define LISTFORGE_TESTS_INSTRMANAGE_PRIVATEHOSTS_H

// The LAN scanner binds to the addresses of the local host name and broadcasts from them. Its
// suites therefore run only inside the private network namespace that netns-run.sh makes (only
// loopback up, host name "listforge-test"), and additionally give themselves a private mount
// namespace in which /etc/hosts is replaced by a file of their own: there the host names used by
// the tests resolve to loopback addresses, and reverse look-ups of those addresses give known
// names. Nothing outside the process (and its children) sees either change.
//
// Must run first in main(), before any thread exists: unsharing the mount namespace is refused
// to a process with threads.

#include <QByteArray>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateHosts {

// Exit status that CTest counts as "skipped".
constexpr int SkipStatus = 77;

// Returns 0 when /etc/hosts now reads hostsText, or SkipStatus after saying why not.
inline int install(const char *hostsText)
{
    const auto skip = [](const char *why) {
        std::fprintf(stderr, "%s (%s); skipping\n", why, std::strerror(errno));
        return SkipStatus;
    };
    if (qgetenv("LISTFORGE_IN_NETNS") != "1") {
        std::fprintf(stderr, "refusing to run outside the private network namespace of netns-run.sh\n");
        return SkipStatus;
    }
    if (::unshare(CLONE_NEWNS) != 0)
        return skip("no private mount namespace");
    // Mounts made from here on must not propagate back to the shared namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return skip("cannot make mounts private");
    char path[] = "/tmp/listforge-hosts-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return skip("no temporary file");
    const size_t length = std::strlen(hostsText);
    const bool written = ::write(fd, hostsText, length) == ssize_t(length);
    ::fchmod(fd, 0644);
    ::close(fd);
    const bool mounted = written && ::mount(path, "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
    // The mount keeps the file alive; its name is no longer needed.
    ::unlink(path);
    return mounted ? 0 : skip("cannot replace /etc/hosts");
}

// Host names the process may switch to (private UTS namespace) so that a scanner created
// afterwards binds to other addresses.
inline bool setHostName(const char *name)
{
    return ::sethostname(name, std::strlen(name)) == 0;
}

} // namespace PrivateHosts

// main() of a suite that needs its own /etc/hosts: installs it before the application exists.
#define PRIVATE_HOSTS_MAIN(Suite, App, hostsText)                                                            \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        const int status = PrivateHosts::install(hostsText);                                                 \
        if (status != 0)                                                                                     \
            return status;                                                                                   \
        App app(argc, argv);                                                                                 \
        Suite suite;                                                                                         \
        return QTest::qExec(&suite, argc, argv);                                                             \
    }

#endif
