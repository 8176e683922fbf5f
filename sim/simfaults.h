#ifndef LISTFORGE_SIM_SIMFAULTS_H
#define LISTFORGE_SIM_SIMFAULTS_H

#include <QString>

// Misbehaviour switched on with --fault NAME[=VALUE], so that tests can see how the program copes
// with instruments and links that fail.
struct SimFaults
{
    qint64 dropAfterBlockBytes = -1; // drop-block=N: close the connection after N bytes of a block
    int replyDelayMs = 0;            // reply-delay=MS: every reply leaves this much later
    bool garbageReplies = false;     // garbage: queries are answered with junk
    bool noReplies = false;          // no-reply: queries are never answered
    bool endlessErrors = false;      // endless-errors: SYSTem:ERRor? never reaches "No error"
    bool refuseLink = false;         // refuse-link: VXI-11 create_link and HiSLIP Initialize fail
    bool opcNeverComplete = false;   // opc-never: "*OPC" never sets the bit, "*OPC?" never answers
    int portmapperDelayMs = 0;       // portmapper-delay=MS: UDP portmapper replies leave this much later
    bool portmapperJunk = false;     // portmapper-junk: a reply with a stale xid goes out first

    // Parses one NAME[=VALUE]; returns false with a message for an unknown name or bad value.
    bool parse(const QString &text, QString *error);
    static QString help();
};

#endif
