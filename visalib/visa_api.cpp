// The exported C functions. Each checks its handle and pointers, finds the object in the table
// and lets it do the work; no C++ exception ever leaves the library.
#include "visalib/visa32.h"

#include "visalib/find_expression.h"
#include "visalib/hislip_session.h"
#include "visalib/instr_session.h"
#include "visalib/lan_discovery.h"
#include "visalib/object_table.h"
#include "visalib/socket_session.h"
#include "visalib/status_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

using namespace visalib;

namespace {

template <typename Body> ViStatus guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return VI_ERROR_ALLOC;
    } catch (...) {
        return VI_ERROR_SYSTEM_ERROR;
    }
}

// The session behind a handle, or the status to return: VI_ERROR_INV_OBJECT for an unknown
// handle, VI_ERROR_NSUP_OPER for a handle that is not an I/O session.
std::shared_ptr<IoSession> ioSession(ViObject handle, ViStatus &status)
{
    std::shared_ptr<VisaObject> object = ObjectTable::instance().find(handle);
    if (!object) {
        status = VI_ERROR_INV_OBJECT;
        return nullptr;
    }
    if (object->kind() != VisaObject::Kind::Session) {
        status = VI_ERROR_NSUP_OPER;
        return nullptr;
    }
    status = VI_SUCCESS;
    return std::static_pointer_cast<IoSession>(object);
}

bool isResourceManager(ViSession handle)
{
    std::shared_ptr<VisaObject> object = ObjectTable::instance().find(handle);
    return object && object->kind() == VisaObject::Kind::ResourceManager;
}

ViStatus openSession(ViSession rm, const ResourceName &name, ViAccessMode mode, ViUInt32 openTimeout,
                     std::shared_ptr<IoSession> &session)
{
    if (name.isTcpipSocket()) {
        auto socket = std::make_shared<SocketSession>(rm, name);
        ViStatus status = socket->connect();
        session = socket;
        return status;
    }
    if (name.isHislipInstr()) {
        auto hislip = std::make_shared<HislipSession>(rm, name);
        ViStatus status = hislip->connect((mode & VI_EXCLUSIVE_LOCK) != 0, openTimeout);
        session = hislip;
        return status;
    }
    if (name.isTcpipInstr()) {
        auto instr = std::make_shared<InstrSession>(rm, name);
        ViStatus status = instr->connect((mode & VI_EXCLUSIVE_LOCK) != 0, openTimeout);
        session = instr;
        return status;
    }
    // GPIB, USB, serial, VXI and PXI hardware cannot be reached on this platform.
    return VI_ERROR_RSRC_NFOUND;
}

// The library raises no events: every event type the standard defines is valid to name but
// none can be enabled. The result for the handle itself comes first.
ViStatus checkEventCall(ViObject handle, ViEventType type, ViUInt16 mechanism, bool allowAll)
{
    if (!ObjectTable::instance().find(handle)) {
        return VI_ERROR_INV_OBJECT;
    }
    constexpr ViUInt16 mechanisms = VI_QUEUE | VI_HNDLR | VI_SUSPEND_HNDLR;
    if (mechanism != VI_ALL_MECH && (mechanism == 0 || (mechanism & ~mechanisms) != 0)) {
        return VI_ERROR_INV_MECH;
    }
    if (type == VI_ALL_ENABLED_EVENTS && allowAll) {
        return VI_SUCCESS;
    }
    return VI_ERROR_INV_EVENT;
}

} // namespace

extern "C" {

ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi)
{
    return guarded([&]() -> ViStatus {
        if (vi == nullptr) {
            return VI_ERROR_USER_BUF;
        }
        *vi = VI_NULL;
        ViSession handle = ObjectTable::instance().add(std::make_shared<ResourceManagerObject>());
        if (handle == VI_NULL) {
            return VI_ERROR_ALLOC;
        }
        *vi = handle;
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViPSession vi)
{
    return guarded([&]() -> ViStatus {
        if (vi == nullptr) {
            return VI_ERROR_USER_BUF;
        }
        *vi = VI_NULL;
        if (!isResourceManager(sesn)) {
            return VI_ERROR_INV_OBJECT;
        }
        if ((mode & ~static_cast<ViAccessMode>(VI_EXCLUSIVE_LOCK | VI_LOAD_CONFIG)) != 0) {
            return VI_ERROR_INV_ACC_MODE;
        }
        if (name == nullptr) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        ResourceName parsed;
        ViStatus status = parseResourceName(name, parsed);
        if (status != VI_SUCCESS) {
            return status;
        }
        std::shared_ptr<IoSession> session;
        status = openSession(sesn, parsed, mode, timeout, session);
        if (status != VI_SUCCESS) {
            return status;
        }
        ObjectTable &table = ObjectTable::instance();
        ViSession handle = table.add(session);
        if (handle == VI_NULL) {
            session->close();
            return VI_ERROR_ALLOC;
        }
        // The resource manager may have been closed by another thread while connecting.
        if (!isResourceManager(sesn)) {
            table.take(handle);
            session->close();
            return VI_ERROR_INV_OBJECT;
        }
        table.rememberResource(parsed.canonical);
        *vi = handle;
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC viClose(ViObject vi)
{
    return guarded([&]() -> ViStatus {
        if (vi == VI_NULL) {
            return VI_WARN_NULL_OBJECT;
        }
        ObjectTable &table = ObjectTable::instance();
        std::shared_ptr<VisaObject> object = table.take(vi);
        if (!object) {
            return VI_ERROR_INV_OBJECT;
        }
        if (object->kind() == VisaObject::Kind::ResourceManager) {
            for (std::shared_ptr<VisaObject> &owned : table.takeOwnedBy(vi)) {
                if (owned->kind() == VisaObject::Kind::Session) {
                    std::static_pointer_cast<IoSession>(owned)->close();
                }
            }
        } else if (object->kind() == VisaObject::Kind::Session) {
            std::static_pointer_cast<IoSession>(object)->close();
        }
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC viStatusDesc(ViObject, ViStatus status, ViChar desc[])
{
    if (desc == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    const char *text = statusDescription(status);
    if (text == nullptr) {
        std::snprintf(desc, VI_FIND_BUFLEN, "Unknown VISA status code 0x%08X.",
                      static_cast<unsigned>(status));
        return VI_WARN_UNKNOWN_STATUS;
    }
    std::snprintf(desc, VI_FIND_BUFLEN, "%s", text);
    return VI_SUCCESS;
}

ViStatus _VI_FUNC viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue)
{
    return guarded([&]() -> ViStatus {
        std::shared_ptr<VisaObject> object = ObjectTable::instance().find(vi);
        if (!object) {
            return VI_ERROR_INV_OBJECT;
        }
        return object->setAttribute(attrName, attrValue);
    });
}

ViStatus _VI_FUNC viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
    return guarded([&]() -> ViStatus {
        std::shared_ptr<VisaObject> object = ObjectTable::instance().find(vi);
        if (!object) {
            return VI_ERROR_INV_OBJECT;
        }
        if (attrValue == nullptr) {
            return VI_ERROR_USER_BUF;
        }
        return object->getAttribute(attrName, attrValue);
    });
}

ViStatus _VI_FUNC viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    return guarded([&]() -> ViStatus {
        if (retCnt != nullptr) {
            *retCnt = 0;
        }
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        if (!session) {
            return status;
        }
        if (buf == nullptr && cnt > 0) {
            return VI_ERROR_USER_BUF;
        }
        ViUInt32 returned = 0;
        status = session->read(buf, cnt, returned);
        if (retCnt != nullptr) {
            *retCnt = returned;
        }
        return status;
    });
}

ViStatus _VI_FUNC viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    return guarded([&]() -> ViStatus {
        if (retCnt != nullptr) {
            *retCnt = 0;
        }
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        if (!session) {
            return status;
        }
        if (buf == nullptr && cnt > 0) {
            return VI_ERROR_USER_BUF;
        }
        ViUInt32 returned = 0;
        status = session->write(buf, cnt, returned);
        if (retCnt != nullptr) {
            *retCnt = returned;
        }
        return status;
    });
}

ViStatus _VI_FUNC viClear(ViSession vi)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->clear() : status;
    });
}

ViStatus _VI_FUNC viReadSTB(ViSession vi, ViPUInt16 status)
{
    return guarded([&]() -> ViStatus {
        ViStatus rc;
        std::shared_ptr<IoSession> session = ioSession(vi, rc);
        if (!session) {
            return rc;
        }
        if (status == nullptr) {
            return VI_ERROR_USER_BUF;
        }
        ViUInt16 stb = 0;
        rc = session->readStatusByte(stb);
        if (rc == VI_SUCCESS) {
            *status = stb;
        }
        return rc;
    });
}

ViStatus _VI_FUNC viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->setBuffer(mask, size) : status;
    });
}

ViStatus _VI_FUNC viFlush(ViSession vi, ViUInt16 mask)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->flush(mask) : status;
    });
}

ViStatus _VI_FUNC viGpibControlREN(ViSession vi, ViUInt16 mode)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->controlRen(mode) : status;
    });
}

ViStatus _VI_FUNC viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                             ViChar desc[])
{
    return guarded([&]() -> ViStatus {
        if (vi != nullptr) {
            *vi = VI_NULL;
        }
        if (retCnt != nullptr) {
            *retCnt = 0;
        }
        if (!isResourceManager(sesn)) {
            return VI_ERROR_INV_OBJECT;
        }
        if (expr == nullptr) {
            return VI_ERROR_INV_EXPR;
        }
        FindExpression expression;
        ViStatus status = expression.compile(expr);
        if (status != VI_SUCCESS) {
            return status;
        }
        // LAN instruments answer a broadcast; other interfaces cannot be enumerated here, so
        // for them only what this process has opened is known.
        std::vector<std::string> candidates = ObjectTable::instance().knownResources();
        if (expression.canMatchSome("TCPIP0::", "::inst0::INSTR")) {
            for (const std::string &host : discoverVxi11Hosts(discoveryWindowMs())) {
                candidates.push_back("TCPIP0::" + host + "::inst0::INSTR");
            }
        }
        std::vector<std::string> found;
        for (const std::string &name : candidates) {
            if (expression.matches(name) && std::find(found.begin(), found.end(), name) == found.end()) {
                found.push_back(name);
            }
        }
        if (found.empty()) {
            return VI_ERROR_RSRC_NFOUND;
        }
        if (desc != nullptr) {
            copyToFindBuffer(desc, found.front());
        }
        const ViUInt32 count = static_cast<ViUInt32>(found.size());
        if (vi != nullptr) {
            found.erase(found.begin());
            ViFindList handle =
                ObjectTable::instance().add(std::make_shared<FindListObject>(sesn, std::move(found)));
            if (handle == VI_NULL) {
                return VI_ERROR_ALLOC;
            }
            *vi = handle;
        }
        if (retCnt != nullptr) {
            *retCnt = count;
        }
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC viFindNext(ViFindList vi, ViChar desc[])
{
    return guarded([&]() -> ViStatus {
        std::shared_ptr<VisaObject> object = ObjectTable::instance().find(vi);
        if (!object) {
            return VI_ERROR_INV_OBJECT;
        }
        if (object->kind() != VisaObject::Kind::FindList) {
            return VI_ERROR_NSUP_OPER;
        }
        return std::static_pointer_cast<FindListObject>(object)->next(desc) ? VI_SUCCESS
                                                                            : VI_ERROR_RSRC_NFOUND;
    });
}

ViStatus _VI_FUNC viParseRsrcEx(ViSession rmSesn, ViConstRsrc rsrcName, ViPUInt16 intfType, ViPUInt16 intfNum,
                                ViChar rsrcClass[], ViChar expandedUnaliasedName[], ViChar aliasIfExists[])
{
    return guarded([&]() -> ViStatus {
        if (!isResourceManager(rmSesn)) {
            return VI_ERROR_INV_OBJECT;
        }
        if (rsrcName == nullptr) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        ResourceName parsed;
        ViStatus status = parseResourceName(rsrcName, parsed);
        if (status != VI_SUCCESS) {
            return status;
        }
        if (intfType != nullptr) {
            *intfType = parsed.interfaceType;
        }
        if (intfNum != nullptr) {
            *intfNum = parsed.board;
        }
        if (rsrcClass != nullptr) {
            copyToFindBuffer(rsrcClass, parsed.resourceClass);
        }
        if (expandedUnaliasedName != nullptr) {
            copyToFindBuffer(expandedUnaliasedName, parsed.canonical);
        }
        if (aliasIfExists != nullptr) {
            aliasIfExists[0] = '\0'; // this library keeps no aliases
        }
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC viParseRsrc(ViSession rmSesn, ViConstRsrc rsrcName, ViPUInt16 intfType, ViPUInt16 intfNum)
{
    return viParseRsrcEx(rmSesn, rsrcName, intfType, intfNum, nullptr, nullptr, nullptr);
}

ViStatus _VI_FUNC viAssertTrigger(ViSession vi, ViUInt16 protocol)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->assertTrigger(protocol) : status;
    });
}

ViStatus _VI_FUNC viLock(ViSession vi, ViAccessMode lockType, ViUInt32 timeout, ViConstKeyId requestedKey,
                         ViChar accessKey[])
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        if (!session) {
            return status;
        }
        if (requestedKey != nullptr && std::strlen(requestedKey) >= VI_FIND_BUFLEN) {
            return VI_ERROR_INV_ACCESS_KEY;
        }
        return session->lock(lockType, timeout, requestedKey, accessKey);
    });
}

ViStatus _VI_FUNC viUnlock(ViSession vi)
{
    return guarded([&]() -> ViStatus {
        ViStatus status;
        std::shared_ptr<IoSession> session = ioSession(vi, status);
        return session ? session->unlock() : status;
    });
}

ViStatus _VI_FUNC viEnableEvent(ViSession vi, ViEventType eventType, ViUInt16 mechanism, ViEventFilter)
{
    return guarded([&]() -> ViStatus {
        ViStatus status = checkEventCall(vi, eventType, mechanism, false);
        // Enabling for a handler is refused the same way: there is nothing to call it for.
        return status;
    });
}

ViStatus _VI_FUNC viDisableEvent(ViSession vi, ViEventType eventType, ViUInt16 mechanism)
{
    return guarded([&]() -> ViStatus {
        ViStatus status = checkEventCall(vi, eventType, mechanism, true);
        return status == VI_SUCCESS ? VI_SUCCESS_EVENT_DIS : status;
    });
}

ViStatus _VI_FUNC viDiscardEvents(ViSession vi, ViEventType eventType, ViUInt16 mechanism)
{
    return guarded([&]() -> ViStatus {
        ViStatus status = checkEventCall(vi, eventType, mechanism, true);
        return status == VI_SUCCESS ? VI_SUCCESS_QUEUE_EMPTY : status;
    });
}

ViStatus _VI_FUNC viWaitOnEvent(ViSession vi, ViEventType inEventType, ViUInt32, ViPEventType outEventType,
                                ViPEvent outContext)
{
    return guarded([&]() -> ViStatus {
        if (outEventType != nullptr) {
            *outEventType = 0;
        }
        if (outContext != nullptr) {
            *outContext = VI_NULL;
        }
        ViStatus status = checkEventCall(vi, inEventType, VI_QUEUE, true);
        // Waiting on "all enabled events" with none enabled would never end.
        return status == VI_SUCCESS ? VI_ERROR_NENABLED : status;
    });
}

ViStatus _VI_FUNC viInstallHandler(ViSession vi, ViEventType eventType, ViHndlr handler, ViAddr)
{
    return guarded([&]() -> ViStatus {
        ViStatus status = checkEventCall(vi, eventType, VI_HNDLR, false);
        if (status == VI_ERROR_INV_EVENT && handler == nullptr) {
            return VI_ERROR_INV_HNDLR_REF;
        }
        return status;
    });
}

ViStatus _VI_FUNC viUninstallHandler(ViSession vi, ViEventType eventType, ViHndlr, ViAddr)
{
    return guarded([&]() -> ViStatus { return checkEventCall(vi, eventType, VI_HNDLR, false); });
}

} // extern "C"
