#ifndef LISTFORGE_TESTS_INSTRMANAGE_FAKEPEERS_H
#define LISTFORGE_TESTS_INSTRMANAGE_FAKEPEERS_H

// Scripted network peers for the scanner suites, run in the test's own event loop (the scanner
// keeps processing events while it waits, so they answer in time). Only for use inside the
// private network namespace.

#include "rpcbytes.h"

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

// Hears the portmapper broadcast on port 111 and answers every call with scripted datagrams,
// each sent from port 111 of the address given with it.
class UdpResponder : public QObject
{
    Q_OBJECT
public:
    struct Reply
    {
        QHostAddress from;
        QByteArray datagram;
        int delayMs = 0; // sent this much after the call was heard
    };
    using Script = std::function<QList<Reply>(quint32 xid)>;

    explicit UdpResponder(Script script) : m_script(std::move(script))
    {
        m_listener.bind(QHostAddress::AnyIPv4, 111, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        connect(&m_listener, &QUdpSocket::readyRead, this, &UdpResponder::answer);
    }

    QList<QByteArray> calls; // every call heard
    QList<quint16> callerPorts;

private slots:
    void answer()
    {
        while (m_listener.hasPendingDatagrams()) {
            QHostAddress caller;
            quint16 callerPort = 0;
            QByteArray call(int(m_listener.pendingDatagramSize()), '\0');
            m_listener.readDatagram(call.data(), call.size(), &caller, &callerPort);
            calls.append(call);
            callerPorts.append(callerPort);
            const quint32 xid = call.size() >= 4 ? RpcBytes::wordAt(call, 0) : 0;
            for (const Reply &reply : m_script(xid)) {
                auto send = [reply, caller, callerPort] {
                    QUdpSocket sender;
                    sender.bind(reply.from, 111, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
                    sender.writeDatagram(reply.datagram, caller, callerPort);
                };
                if (reply.delayMs > 0)
                    QTimer::singleShot(reply.delayMs, this, send);
                else
                    send();
            }
        }
    }

private:
    QUdpSocket m_listener;
    Script m_script;
};

// A VXI-11 core server whose answers are scripted per procedure. The script gets the procedure
// and the xid of each call and returns the bytes to send (any bytes: a good record, a truncated
// one, garbage); an empty answer sends nothing. Bytes can be split into delayed pieces.
class FakeVxiServer : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        QList<QByteArray> pieces; // sent 50 ms apart
        bool closeAfter = false;
    };
    using Script = std::function<Answer(quint32 proc, quint32 xid)>;

    FakeVxiServer(const QHostAddress &address, Script script) : m_script(std::move(script))
    {
        m_server.listen(address, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &FakeVxiServer::accept);
    }
    quint16 port() const { return m_server.serverPort(); }

    // A good answer: record mark, accepted header, the result words and any opaque data.
    static Answer reply(quint32 xid, const QByteArray &result)
    {
        return {{RpcBytes::record(RpcBytes::acceptedHeader(xid) + result)}, false};
    }

    // The standard conversation: a link with id 7 that answers "*IDN?" with idn.
    static Answer standard(quint32 proc, quint32 xid, const QByteArray &idn)
    {
        using RpcBytes::words;
        switch (proc) {
        case 10:
            return reply(xid, words({0, 7, 0, 1024}));
        case 11:
            return reply(xid, words({0, 6}));
        case 12:
            return reply(xid, words({0, 4}) + RpcBytes::opaque(idn));
        case 23:
            return reply(xid, words({0}));
        default:
            return {};
        }
    }

    int connections = 0;
    QList<quint32> procs; // procedures called, in order
    QList<quint32> xids;  // their xids
    QList<QByteArray> calls;

private slots:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        while (buffer.size() >= 4) {
            const int length = int(RpcBytes::wordAt(buffer, 0) & 0x7FFFFFFF);
            if (buffer.size() < 4 + length)
                return;
            const QByteArray call = buffer.mid(4, length);
            buffer.remove(0, 4 + length);
            if (call.size() < 24)
                continue;
            const quint32 xid = RpcBytes::wordAt(call, 0);
            const quint32 proc = RpcBytes::wordAt(call, 20);
            procs.append(proc);
            xids.append(xid);
            calls.append(call);
            send(socket, m_script(proc, xid));
        }
    }

    void send(QTcpSocket *socket, const Answer &answer)
    {
        QPointer<QTcpSocket> guarded(socket);
        int delay = 0;
        for (int i = 0; i < answer.pieces.size(); ++i) {
            const QByteArray piece = answer.pieces.at(i);
            const bool last = i == answer.pieces.size() - 1;
            const bool close = answer.closeAfter && last;
            auto deliver = [guarded, piece, close] {
                if (!guarded)
                    return;
                guarded->write(piece);
                guarded->flush();
                if (close)
                    guarded->disconnectFromHost();
            };
            if (delay == 0)
                deliver();
            else
                QTimer::singleShot(delay, this, deliver);
            delay += 50;
        }
    }

    QTcpServer m_server;
    Script m_script;
    QMap<QTcpSocket *, QByteArray> m_buffers;
};

#endif
