#include "visalib/visa_object.h"

namespace visalib {

ViStatus putStringAttribute(void *destination, const std::string &value)
{
    copyToFindBuffer(static_cast<ViChar *>(destination), value);
    return VI_SUCCESS;
}

bool isBooleanState(ViAttrState value)
{
    return value == VI_TRUE || value == VI_FALSE;
}

void copyToFindBuffer(ViChar *desc, const std::string &name)
{
    size_t n = name.size() < VI_FIND_BUFLEN - 1 ? name.size() : VI_FIND_BUFLEN - 1;
    std::memcpy(desc, name.data(), n);
    desc[n] = '\0';
}

ViStatus VisaObject::getAttribute(ViAttr attribute, void *value)
{
    switch (attribute) {
    case VI_ATTR_RSRC_MANF_ID:
        return putAttribute<ViUInt16>(value, kManufacturerId);
    case VI_ATTR_RSRC_MANF_NAME:
        return putStringAttribute(value, kManufacturerName);
    case VI_ATTR_RSRC_IMPL_VERSION:
        return putAttribute<ViUInt32>(value, kImplementationVersion);
    case VI_ATTR_RSRC_SPEC_VERSION:
        return putAttribute<ViUInt32>(value, VI_SPEC_VERSION);
    case VI_ATTR_RSRC_LOCK_STATE:
        return putAttribute<ViUInt32>(value, VI_NO_LOCK);
    case VI_ATTR_USER_DATA_64: {
        std::lock_guard<std::mutex> guard(m_userDataLock);
        return putAttribute<ViUInt64>(value, m_userData);
    }
    case VI_ATTR_USER_DATA_32: {
        std::lock_guard<std::mutex> guard(m_userDataLock);
        return putAttribute<ViUInt32>(value, static_cast<ViUInt32>(m_userData));
    }
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus VisaObject::setAttribute(ViAttr attribute, ViAttrState value)
{
    switch (attribute) {
    case VI_ATTR_USER_DATA_64: {
        std::lock_guard<std::mutex> guard(m_userDataLock);
        m_userData = value;
        return VI_SUCCESS;
    }
    case VI_ATTR_USER_DATA_32: {
        std::lock_guard<std::mutex> guard(m_userDataLock);
        m_userData = static_cast<ViUInt32>(value);
        return VI_SUCCESS;
    }
    case VI_ATTR_RSRC_MANF_ID:
    case VI_ATTR_RSRC_MANF_NAME:
    case VI_ATTR_RSRC_IMPL_VERSION:
    case VI_ATTR_RSRC_SPEC_VERSION:
    case VI_ATTR_RSRC_LOCK_STATE:
        return VI_ERROR_ATTR_READONLY;
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

bool FindListObject::next(ViChar *desc)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_next >= m_names.size()) {
        return false;
    }
    if (desc != nullptr) {
        copyToFindBuffer(desc, m_names[m_next]);
    }
    ++m_next;
    return true;
}

} // namespace visalib
