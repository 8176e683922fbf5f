// Locks on resources between the sessions of this process. VISA locks belong to a resource, not
// to a connection: two sessions opened on the same name exclude each other, so the state lives
// here, keyed by the canonical resource name, and sessions ask it before every operation.
#pragma once

#include "visalib/visa32.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace visalib {

struct LockGrant
{
    std::string key;          // the shared lock's access key
    bool firstOfKind = false; // the session had no lock of this type before
};

class LockTable
{
public:
    static LockTable &instance();

    // Grants an exclusive or shared lock to the session, waiting up to timeoutMs for other
    // sessions to give theirs up. VI_SUCCESS, VI_SUCCESS_NESTED_*, VI_ERROR_TMO or
    // VI_ERROR_INV_ACCESS_KEY.
    ViStatus acquire(const std::string &resource, const void *session, ViAccessMode type, ViUInt32 timeoutMs,
                     const std::string &requestedKey, LockGrant &grant);
    // Gives up one level of the session's lock (the exclusive one first). released is the type
    // whose last level went, VI_NO_LOCK when one is still held.
    ViStatus release(const std::string &resource, const void *session, ViAccessMode &released);
    // Drops every lock of a session that goes away.
    void releaseAll(const std::string &resource, const void *session);
    // VI_ERROR_RSRC_LOCKED when another session's lock keeps this one out, else VI_SUCCESS.
    ViStatus mayAccess(const std::string &resource, const void *session) const;
    ViAccessMode state(const std::string &resource) const;

private:
    struct Locks
    {
        const void *exclusiveOwner = nullptr;
        unsigned exclusiveDepth = 0;
        std::string sharedKey;
        std::map<const void *, unsigned> sharedDepth;
        bool unused() const { return exclusiveOwner == nullptr && sharedDepth.empty(); }
    };
    bool grantable(const Locks &l, const void *session, ViAccessMode type, const std::string &key) const;

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<std::string, Locks> m_resources;
    unsigned long m_keyCounter = 0;
};

} // namespace visalib
