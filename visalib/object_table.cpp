#include "visalib/object_table.h"

#include <algorithm>

namespace visalib {

ObjectTable &ObjectTable::instance()
{
    static ObjectTable table;
    return table;
}

ViObject ObjectTable::add(std::shared_ptr<VisaObject> object)
{
    std::lock_guard<std::mutex> guard(m_lock);
    // Handles are not reused soon, so that a stale handle is reported as invalid rather than
    // silently reaching a newer session.
    for (size_t tries = 0; tries < 1024; ++tries) {
        ViObject handle = m_next++;
        if (handle == VI_NULL || m_objects.count(handle) != 0) {
            continue;
        }
        m_objects.emplace(handle, std::move(object));
        return handle;
    }
    return VI_NULL;
}

std::shared_ptr<VisaObject> ObjectTable::find(ViObject handle) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_objects.find(handle);
    return it == m_objects.end() ? nullptr : it->second;
}

std::shared_ptr<VisaObject> ObjectTable::take(ViObject handle)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_objects.find(handle);
    if (it == m_objects.end()) {
        return nullptr;
    }
    std::shared_ptr<VisaObject> object = std::move(it->second);
    m_objects.erase(it);
    return object;
}

std::vector<std::shared_ptr<VisaObject>> ObjectTable::takeOwnedBy(ViSession resourceManager)
{
    std::vector<std::shared_ptr<VisaObject>> owned;
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        if (it->second->owner() == resourceManager) {
            owned.push_back(std::move(it->second));
            it = m_objects.erase(it);
        } else {
            ++it;
        }
    }
    return owned;
}

size_t ObjectTable::size() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_objects.size();
}

void ObjectTable::rememberResource(const std::string &canonicalName)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (std::find(m_known.begin(), m_known.end(), canonicalName) == m_known.end()) {
        m_known.push_back(canonicalName);
    }
}

std::vector<std::string> ObjectTable::knownResources() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_known;
}

} // namespace visalib
