// The process-wide table that maps VISA handles to objects. Every exported function looks its
// handle up here; the table hands out shared ownership so that a viClose in one thread cannot
// free an object another thread is still using.
#pragma once

#include "visalib/visa_object.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace visalib {

class ObjectTable
{
public:
    static ObjectTable &instance();

    // A fresh, non-zero handle for the object; VI_NULL when the handle space is exhausted.
    ViObject add(std::shared_ptr<VisaObject> object);
    std::shared_ptr<VisaObject> find(ViObject handle) const;
    // Removes the handle; the object lives on while some caller still holds it.
    std::shared_ptr<VisaObject> take(ViObject handle);
    // Removes every object opened through the given resource-manager session.
    std::vector<std::shared_ptr<VisaObject>> takeOwnedBy(ViSession resourceManager);
    size_t size() const;

    // Resources that were opened successfully in this process: what viFindRsrc can report for
    // network interfaces, which cannot be enumerated without configuration.
    void rememberResource(const std::string &canonicalName);
    std::vector<std::string> knownResources() const;

private:
    ObjectTable() = default;

    mutable std::mutex m_lock;
    std::unordered_map<ViObject, std::shared_ptr<VisaObject>> m_objects;
    std::vector<std::string> m_known;
    ViObject m_next = 0x1000;
};

} // namespace visalib
