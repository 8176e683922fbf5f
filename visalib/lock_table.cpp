#include "visalib/lock_table.h"

#include <chrono>

namespace visalib {

LockTable &LockTable::instance()
{
    static LockTable table;
    return table;
}

bool LockTable::grantable(const Locks &l, const void *session, ViAccessMode type,
                          const std::string &key) const
{
    if (l.exclusiveOwner != nullptr && l.exclusiveOwner != session) {
        return false;
    }
    if (type == VI_EXCLUSIVE_LOCK) {
        // A session holding the shared lock may upgrade once nobody else shares it.
        for (const auto &holder : l.sharedDepth) {
            if (holder.first != session) {
                return false;
            }
        }
        return true;
    }
    // Without a key a new shared lock is made, which needs the resource free of other sharers.
    return l.sharedDepth.empty() || (!key.empty() && key == l.sharedKey);
}

ViStatus LockTable::acquire(const std::string &resource, const void *session, ViAccessMode type,
                            ViUInt32 timeoutMs, const std::string &requestedKey, LockGrant &grant)
{
    std::unique_lock<std::mutex> guard(m_lock);
    Locks &l = m_resources[resource];
    if (type == VI_EXCLUSIVE_LOCK && l.exclusiveOwner == session) {
        ++l.exclusiveDepth;
        return VI_SUCCESS_NESTED_EXCLUSIVE;
    }
    if (type == VI_SHARED_LOCK) {
        auto own = l.sharedDepth.find(session);
        if (own != l.sharedDepth.end()) {
            ++own->second;
            grant.key = l.sharedKey;
            return VI_SUCCESS_NESTED_SHARED;
        }
        // Another group's key can never become valid by waiting for the same group.
        if (!requestedKey.empty() && !l.sharedDepth.empty() && requestedKey != l.sharedKey) {
            return VI_ERROR_INV_ACCESS_KEY;
        }
    }
    auto ready = [&] { return grantable(m_resources[resource], session, type, requestedKey); };
    if (timeoutMs == VI_TMO_INFINITE) {
        m_changed.wait(guard, ready);
    } else if (!m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), ready)) {
        auto it = m_resources.find(resource);
        if (it != m_resources.end() && it->second.unused()) {
            m_resources.erase(it);
        }
        return VI_ERROR_TMO;
    }
    Locks &now = m_resources[resource];
    if (type == VI_EXCLUSIVE_LOCK) {
        now.exclusiveOwner = session;
        now.exclusiveDepth = 1;
    } else {
        if (now.sharedDepth.empty()) {
            now.sharedKey =
                !requestedKey.empty() ? requestedKey : "ListForgeShared" + std::to_string(++m_keyCounter);
        }
        now.sharedDepth[session] = 1;
        grant.key = now.sharedKey;
    }
    grant.firstOfKind = true;
    return VI_SUCCESS;
}

ViStatus LockTable::release(const std::string &resource, const void *session, ViAccessMode &released)
{
    std::lock_guard<std::mutex> guard(m_lock);
    released = VI_NO_LOCK;
    auto it = m_resources.find(resource);
    if (it == m_resources.end()) {
        return VI_ERROR_SESN_NLOCKED;
    }
    Locks &l = it->second;
    auto shared = l.sharedDepth.find(session);
    if (l.exclusiveOwner == session) {
        if (--l.exclusiveDepth == 0) {
            l.exclusiveOwner = nullptr;
            released = VI_EXCLUSIVE_LOCK;
        }
    } else if (shared != l.sharedDepth.end()) {
        if (--shared->second == 0) {
            l.sharedDepth.erase(shared);
            released = VI_SHARED_LOCK;
        }
    } else {
        return VI_ERROR_SESN_NLOCKED;
    }
    const bool stillExclusive = l.exclusiveOwner == session;
    const bool stillShared = l.sharedDepth.count(session) != 0;
    if (l.unused()) {
        m_resources.erase(it);
    }
    m_changed.notify_all();
    return stillExclusive ? VI_SUCCESS_NESTED_EXCLUSIVE : stillShared ? VI_SUCCESS_NESTED_SHARED : VI_SUCCESS;
}

void LockTable::releaseAll(const std::string &resource, const void *session)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_resources.find(resource);
    if (it == m_resources.end()) {
        return;
    }
    if (it->second.exclusiveOwner == session) {
        it->second.exclusiveOwner = nullptr;
        it->second.exclusiveDepth = 0;
    }
    it->second.sharedDepth.erase(session);
    if (it->second.unused()) {
        m_resources.erase(it);
    }
    m_changed.notify_all();
}

ViStatus LockTable::mayAccess(const std::string &resource, const void *session) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_resources.find(resource);
    if (it == m_resources.end()) {
        return VI_SUCCESS;
    }
    const Locks &l = it->second;
    if (l.exclusiveOwner != nullptr) {
        return l.exclusiveOwner == session ? VI_SUCCESS : VI_ERROR_RSRC_LOCKED;
    }
    return l.sharedDepth.empty() || l.sharedDepth.count(session) ? VI_SUCCESS : VI_ERROR_RSRC_LOCKED;
}

ViAccessMode LockTable::state(const std::string &resource) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_resources.find(resource);
    if (it == m_resources.end()) {
        return VI_NO_LOCK;
    }
    return it->second.exclusiveOwner != nullptr ? VI_EXCLUSIVE_LOCK : VI_SHARED_LOCK;
}

} // namespace visalib
