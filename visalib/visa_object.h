// The objects behind VISA handles: resource-manager sessions, find lists and I/O sessions share
// the attributes that describe the library itself and the user-data slot.
#pragma once

#include "visalib/visa32.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace visalib {

// Identity of this VISA implementation as reported through the resource attributes.
constexpr ViUInt16 kManufacturerId = 0x0FFF;
constexpr const char *kManufacturerName = "ListForge VISA";
constexpr ViUInt32 kImplementationVersion = 0x00100000; // 1.0.0

// Attribute values are copied with the width the attribute has, never more.
template <typename T> ViStatus putAttribute(void *destination, T value)
{
    std::memcpy(destination, &value, sizeof value);
    return VI_SUCCESS;
}
ViStatus putStringAttribute(void *destination, const std::string &value);
bool isBooleanState(ViAttrState value);

class VisaObject
{
public:
    enum class Kind
    {
        ResourceManager,
        FindList,
        Session
    };

    VisaObject(Kind kind, ViSession owner) : m_kind(kind), m_owner(owner) {}
    virtual ~VisaObject() = default;
    VisaObject(const VisaObject &) = delete;
    VisaObject &operator=(const VisaObject &) = delete;

    Kind kind() const { return m_kind; }
    // Resource-manager session that opened this object; 0 for a resource manager itself.
    ViSession owner() const { return m_owner; }

    virtual ViStatus getAttribute(ViAttr attribute, void *value);
    virtual ViStatus setAttribute(ViAttr attribute, ViAttrState value);

private:
    const Kind m_kind;
    const ViSession m_owner;
    std::mutex m_userDataLock;
    ViUInt64 m_userData = 0;
};

class ResourceManagerObject : public VisaObject
{
public:
    ResourceManagerObject() : VisaObject(Kind::ResourceManager, 0) {}
};

// The result of viFindRsrc that viFindNext walks through.
class FindListObject : public VisaObject
{
public:
    FindListObject(ViSession owner, std::vector<std::string> names)
        : VisaObject(Kind::FindList, owner), m_names(std::move(names))
    {
    }
    // Copies the next name into desc (VI_FIND_BUFLEN bytes); false when the list is exhausted.
    bool next(ViChar *desc);

private:
    std::mutex m_lock;
    std::vector<std::string> m_names;
    size_t m_next = 0;
};

// Copies a name into a VISA description buffer of VI_FIND_BUFLEN bytes, always terminated.
void copyToFindBuffer(ViChar *desc, const std::string &name);

} // namespace visalib
