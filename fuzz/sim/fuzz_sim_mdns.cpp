// Sends arbitrary datagrams to the simulator's mDNS responder as queries (the first byte says
// whether the asker is a one-shot resolver, the rest is the datagram). Whatever it answers must
// parse as an authoritative response, answer only for the names the instrument owns, carry the
// asker's id and questions back to a one-shot resolver with short lifetimes, and hold each
// record once.

#include "instrmanage/dnsmessage.h"
#include "sim/mdnsresponder.h"

#include <QByteArray>
#include <QHostAddress>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

MdnsResponder &responder()
{
    static MdnsResponder *s_responder = [] {
        auto *responder = new MdnsResponder("ZOY550X", "102030", "Tarvik");
        responder->serve(QHostAddress("192.0.2.10"),
                         {{"_vxi-11._tcp", 1024}, {"_hislip._tcp", 4880}, {"_scpi-raw._tcp", 5025}});
        return responder;
    }();
    return *s_responder;
}

bool ownsName(const Dns::Name &name)
{
    const QString strText = Dns::nameToText(name).toLower();
    return strText == "zoy550x-102030.local" || strText == "_services._dns-sd._udp.local" ||
           strText.endsWith("._tcp.local");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The responder reads at most this much of a datagram.
    if (size < 1 || size > size_t(Dns::MaxMessageBytes) + 1)
        return 0;
    const bool bolLegacy = data[0] & 1;
    const QByteArray datagram(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    Dns::Message query;
    // The responder drops what does not parse and what is itself a response.
    if (Dns::parse(datagram, query).error != Dns::Error::None || (query.flags & Dns::FlagResponse))
        return 0;
    const QByteArray answer = responder().answer(query, bolLegacy);
    if (answer.isEmpty())
        return 0;
    Dns::Message reply;
    check(Dns::parse(answer, reply).error == Dns::Error::None);
    check(reply.flags == (Dns::FlagResponse | Dns::FlagAuthoritative));
    check(!reply.answers.isEmpty() && reply.authorities.isEmpty());
    for (const QList<Dns::Record> *section : {&reply.answers, &reply.additionals}) {
        for (const Dns::Record &record : *section) {
            check(ownsName(record.name));
            if (bolLegacy)
                check(record.ttl <= 10 && !(record.rclass & Dns::ClassTopBit));
        }
    }
    // Each record once: a question repeated in the query must not repeat the answer.
    for (int i = 0; i < reply.answers.size(); ++i)
        check(reply.answers.indexOf(reply.answers.at(i)) == i);
    if (bolLegacy)
        check(reply.id == query.id && reply.questions == query.questions);
    else
        check(reply.id == 0 && reply.questions.isEmpty());
    return 0;
}
