#ifndef LISTFORGE_INSTRMANAGE_HOSTNAMING_H
#define LISTFORGE_INSTRMANAGE_HOSTNAMING_H

#include <QString>

// How the LAN scanner names a replying host.
namespace HostNaming {

// True for text of the form n.n.n.n with one to three digits each.
bool isDottedQuad(const QString &strText);

// Private 192.168 and link-local 169.254 addresses are not looked up: reverse look-ups there are
// slow or fail.
bool skipsNameLookup(const QString &strAddress);

// A host name without its domain ("zoy-101.lab.example" gives "zoy-101"); dotted quads unchanged.
QString shortName(const QString &strHostName);

// The name the scanner records for a sender address (blocking reverse look-up where allowed).
QString hostNameFor(const QString &strAddress);

} // namespace HostNaming

#endif
