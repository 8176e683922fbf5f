// Feeds arbitrary bytes to the DNS message parser. Besides never reading past the input, every
// message it accepts must hold only valid names, rebuild into a packet that parses back to the
// same message, and that packet must rebuild to itself.

#include "instrmanage/dnsmessage.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkNames(const QList<Dns::Record> &records)
{
    for (const Dns::Record &record : records) {
        check(Dns::isValidName(record.name));
        if (record.type == Dns::TypePtr || record.type == Dns::TypeSrv)
            check(Dns::isValidName(record.target));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A private copy, so that any over-read lands outside the sanitizer's allocation.
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    Dns::Message message;
    const Dns::ParseResult result = Dns::parse(input, message);
    check(result.offset >= 0 && result.offset <= input.size());
    if (result.error != Dns::Error::None)
        return 0;
    for (const Dns::Question &question : message.questions)
        check(Dns::isValidName(question.name));
    checkNames(message.answers);
    checkNames(message.authorities);
    checkNames(message.additionals);

    const QByteArray rebuilt = Dns::build(message);
    check(!rebuilt.isEmpty());
    Dns::Message again;
    check(Dns::parse(rebuilt, again).error == Dns::Error::None);
    check(again == message);
    check(Dns::build(again) == rebuilt);
    return 0;
}
