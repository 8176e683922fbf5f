#ifndef LISTFORGE_SIM_MESSAGELOG_H
#define LISTFORGE_SIM_MESSAGELOG_H

#include "sim/scpiframer.h"

#include <QFile>
#include <QString>

// The --log file: one line per received program message, flushed at once so that a test can read
// it while the simulator runs. Line format:
//
//   <TRANSPORT> <TERMINATION> <message>
//
// TRANSPORT is SOCKET, VXI11 or HISLIP, followed by "@<address>" when the process plays several
// instruments. TERMINATION is END (VXI-11 END flag, HiSLIP DataEnd, or the line feed that ends a
// message on the raw socket), NOEND (a VXI-11 or HiSLIP message ended by a line feed without END)
// or CUT (the connection went away, or the link was cleared, before the message was complete).
// A HiSLIP Trigger is logged as "*TRG". The message is written as received, except that the
// data of a definite-length block is replaced by its byte count, e.g.
//
//   SOCKET END :MMEM:DATA 'x.dm_iqd',#41500 <1500 bytes>
//
// and that bytes outside printable ASCII appear as \xNN. A message too long for the input buffer
// is written as "<overflow>".
class MessageLog
{
public:
    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }
    void write(const QString &transport, const ScpiMessage &message);

    static QByteArray render(const ScpiMessage &message);

private:
    QFile m_file;
};

#endif
