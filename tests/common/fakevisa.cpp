// A scripted stand-in for a VISA library, loaded at run time by the suites exactly like a real
// one. It plays one SCPI instrument per session: queries are answered from a table (by default
// "*IDN?" with an identification, per resource where one is set, and "*OPC?" with "1"), and every
// call is counted so that the suites can check what the binding did (and did not do) to the library.

#include "visa/visadefs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <strings.h>
#include <vector>

using namespace Visa;

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr ViSession ResourceManager = 1;

struct Session
{
    std::string resource;
    std::string pending; // reply bytes not yet read
    std::map<ViAttr, ViAttrState> attributes;
};

struct FakeState
{
    std::map<std::string, ViStatus> failures; // by entry point
    bool rmOpen = false;
    ViSession nextHandle = 100;
    std::map<ViSession, Session> sessions;
    std::set<ViFindList> findLists;
    std::map<std::string, std::string> replies;
    std::map<std::string, std::string> idnByResource;
    std::vector<std::string> writes;
    std::vector<int> writeEnds; // VI_ATTR_SEND_END_EN at the time of each write
    std::vector<std::string> findResults;
    std::string lastFindExpr;
    size_t findIndex = 0;
    std::map<std::string, int> calls;
    std::string text; // storage for strings handed out
};

FakeState &fake()
{
    static FakeState s;
    return s;
}

void count(const char *name)
{
    ++fake().calls[name];
}

// Counts the call of an entry point a suite can make fail: returns the status scripted for it.
ViStatus enter(const char *name)
{
    count(name);
    const auto it = fake().failures.find(name);
    return it == fake().failures.end() ? VI_SUCCESS : it->second;
}

quint16 interfaceOf(const std::string &resource)
{
    for (const auto &type :
         {std::make_pair("GPIB", 1), std::make_pair("TCPIP", 6), std::make_pair("USB", 7)}) {
        if (strncasecmp(resource.c_str(), type.first, std::strlen(type.first)) == 0)
            return static_cast<quint16>(type.second);
    }
    return 0;
}

std::string withoutLineFeed(std::string cmd)
{
    while (!cmd.empty() && (cmd.back() == '\n' || cmd.back() == '\r'))
        cmd.pop_back();
    return cmd;
}

} // namespace

// ---- control interface for the suites ----

FAKE_EXPORT void fakeVisaReset()
{
    FakeState &s = fake();
    const bool rmOpen = s.rmOpen;
    s = FakeState();
    s.rmOpen = rmOpen;
}
// The status later calls of viOpenDefaultRM, viOpen or viSetBuf fail with (0: they succeed again).
FAKE_EXPORT void fakeVisaSetStatus(const char *function, int status)
{
    fake().failures[function] = status;
}
FAKE_EXPORT void fakeVisaSetIdnFor(const char *resource, const char *idn)
{
    fake().idnByResource[resource] = idn;
}
FAKE_EXPORT void fakeVisaSetReply(const char *query, const char *reply)
{
    fake().replies[query] = reply;
}
// Resources found by viFindRsrc, separated by ";".
FAKE_EXPORT void fakeVisaSetFindResults(const char *list)
{
    FakeState &s = fake();
    s.findResults.clear();
    std::string rest = list;
    while (!rest.empty()) {
        const size_t pos = rest.find(';');
        s.findResults.push_back(rest.substr(0, pos));
        rest = pos == std::string::npos ? std::string() : rest.substr(pos + 1);
    }
}
FAKE_EXPORT int fakeVisaCalls(const char *name)
{
    return fake().calls[name];
}
FAKE_EXPORT int fakeVisaRmOpen()
{
    return fake().rmOpen ? 1 : 0;
}
FAKE_EXPORT int fakeVisaOpenObjects()
{
    return static_cast<int>(fake().sessions.size() + fake().findLists.size());
}
FAKE_EXPORT int fakeVisaWriteCount()
{
    return static_cast<int>(fake().writes.size());
}
FAKE_EXPORT const char *fakeVisaWrite(int index, int *size)
{
    FakeState &s = fake();
    s.text = index >= 0 && size_t(index) < s.writes.size() ? s.writes[size_t(index)] : "";
    *size = static_cast<int>(s.text.size());
    return s.text.data();
}
// 1 when the write at `index` went out with END, 0 without, -1 for no such write.
FAKE_EXPORT int fakeVisaWriteEnd(int index)
{
    const FakeState &s = fake();
    return index >= 0 && size_t(index) < s.writeEnds.size() ? s.writeEnds[size_t(index)] : -1;
}

FAKE_EXPORT const char *fakeVisaLastFindExpr()
{
    return fake().lastFindExpr.c_str();
}
FAKE_EXPORT qint64 fakeVisaAttribute(const char *resource, quint32 attr)
{
    for (const auto &entry : fake().sessions) {
        if (entry.second.resource == resource) {
            const auto it = entry.second.attributes.find(attr);
            return it == entry.second.attributes.end() ? -1 : static_cast<qint64>(it->second);
        }
    }
    return -2;
}

// ---- VISA entry points ----

FAKE_EXPORT ViStatus viOpenDefaultRM(ViSession *rm)
{
    const ViStatus status = enter("viOpenDefaultRM");
    FakeState &s = fake();
    if (status != VI_SUCCESS) {
        *rm = 0;
        return status;
    }
    s.rmOpen = true;
    *rm = ResourceManager;
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viStatusDesc(ViObject, ViStatus status, char desc[])
{
    count("viStatusDesc");
    std::snprintf(desc, 512, "fake status 0x%08X", static_cast<unsigned>(status));
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viOpen(ViSession rm, const char *rsrc, quint32, quint32, ViSession *vi)
{
    const ViStatus status = enter("viOpen");
    FakeState &s = fake();
    if (rm != ResourceManager || !s.rmOpen)
        return static_cast<ViStatus>(0xBFFF000Eu);
    if (status != VI_SUCCESS)
        return status;
    *vi = s.nextHandle++;
    Session session;
    session.resource = rsrc;
    session.attributes[VI_ATTR_INTF_TYPE] = interfaceOf(rsrc);
    session.attributes[VI_ATTR_SEND_END_EN] = 1;
    s.sessions[*vi] = session;
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viClose(ViObject vi)
{
    count("viClose");
    FakeState &s = fake();
    if (vi == ResourceManager && s.rmOpen) {
        s.rmOpen = false;
        return VI_SUCCESS;
    }
    if (s.sessions.erase(vi) || s.findLists.erase(vi))
        return VI_SUCCESS;
    return static_cast<ViStatus>(0xBFFF000Eu);
}

FAKE_EXPORT ViStatus viClear(ViSession vi)
{
    count("viClear");
    const auto it = fake().sessions.find(vi);
    if (it == fake().sessions.end())
        return static_cast<ViStatus>(0xBFFF000Eu);
    it->second.pending.clear();
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viGpibControlREN(ViSession, quint16)
{
    count("viGpibControlREN");
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viWrite(ViSession vi, const unsigned char *buf, quint32 cnt, quint32 *retCount)
{
    count("viWrite");
    FakeState &s = fake();
    const auto it = s.sessions.find(vi);
    if (it == s.sessions.end())
        return static_cast<ViStatus>(0xBFFF000Eu);
    const std::string data(reinterpret_cast<const char *>(buf), cnt);
    s.writes.push_back(data);
    s.writeEnds.push_back(it->second.attributes.count(VI_ATTR_SEND_END_EN)
                              ? int(it->second.attributes[VI_ATTR_SEND_END_EN] != 0)
                              : 1);
    *retCount = cnt;
    const std::string cmd = withoutLineFeed(data);
    std::string reply;
    bool answers = true;
    if (s.replies.count(cmd))
        reply = s.replies[cmd];
    else if (cmd == "*IDN?")
        reply = s.idnByResource.count(it->second.resource) ? s.idnByResource[it->second.resource]
                                                           : "Tarvik,ZOY550X,1234.5678k02/100200,1.2.3";
    else if (cmd.find("*OPC?") != std::string::npos)
        reply = "1";
    else
        answers = cmd.find('?') != std::string::npos;
    if (answers)
        it->second.pending += reply + "\n";
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viRead(ViSession vi, unsigned char *buf, quint32 cnt, quint32 *retCount)
{
    count("viRead");
    const auto it = fake().sessions.find(vi);
    if (it == fake().sessions.end())
        return static_cast<ViStatus>(0xBFFF000Eu);
    std::string &pending = it->second.pending;
    if (pending.empty()) {
        *retCount = 0;
        return static_cast<ViStatus>(0xBFFF0015u); // time-out
    }
    const size_t n = std::min<size_t>(cnt, pending.size());
    std::memcpy(buf, pending.data(), n);
    pending.erase(0, n);
    *retCount = static_cast<quint32>(n);
    return pending.empty() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
}

FAKE_EXPORT ViStatus viSetAttribute(ViObject vi, ViAttr attr, ViAttrState value)
{
    count("viSetAttribute");
    const auto it = fake().sessions.find(vi);
    if (it == fake().sessions.end())
        return static_cast<ViStatus>(0xBFFF000Eu);
    it->second.attributes[attr] = value;
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viGetAttribute(ViObject vi, ViAttr attr, void *value)
{
    count("viGetAttribute");
    const auto it = fake().sessions.find(vi);
    if (it == fake().sessions.end())
        return static_cast<ViStatus>(0xBFFF000Eu);
    const quint16 v = static_cast<quint16>(it->second.attributes[attr]);
    std::memcpy(value, &v, sizeof v);
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viSetBuf(ViSession vi, quint16, quint32)
{
    const ViStatus status = enter("viSetBuf");
    return fake().sessions.count(vi) ? status : static_cast<ViStatus>(0xBFFF000Eu);
}

FAKE_EXPORT ViStatus viFindRsrc(ViSession rm, const char *expr, ViFindList *list, quint32 *cnt, char desc[])
{
    count("viFindRsrc");
    FakeState &s = fake();
    s.lastFindExpr = expr;
    if (rm != ResourceManager || !s.rmOpen)
        return static_cast<ViStatus>(0xBFFF000Eu);
    if (s.findResults.empty()) {
        *cnt = 0;
        return VI_ERROR_RSRC_NFOUND;
    }
    *list = s.nextHandle++;
    s.findLists.insert(*list);
    *cnt = static_cast<quint32>(s.findResults.size());
    std::snprintf(desc, 256, "%s", s.findResults.front().c_str());
    s.findIndex = 1;
    return VI_SUCCESS;
}

FAKE_EXPORT ViStatus viFindNext(ViFindList list, char desc[])
{
    count("viFindNext");
    FakeState &s = fake();
    if (!s.findLists.count(list))
        return static_cast<ViStatus>(0xBFFF000Eu);
    if (s.findIndex >= s.findResults.size())
        return VI_ERROR_RSRC_NFOUND;
    std::snprintf(desc, 256, "%s", s.findResults[s.findIndex++].c_str());
    return VI_SUCCESS;
}
