#include "modelharness.h"

#include "instrument/modelfactory.h"
#include "visa/visalibrary.h"

#include <QTcpServer>

bool ModelHarness::create(const QString &strModel, quint16 u16Port)
{
    qputenv(ClsVisaLibrary::PathVariable, qgetenv("LISTFORGE_BUILD_DIR") + "/libvisa32.so");
    const QString strResource = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(u16Port);
    m_control.reset(createModelControl(strModel, strResource));
    if (!m_control)
        return false;
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>();
    QObject::connect(m_control.get(), SIGNAL(instrMessage(ClsInstrControl::EnuInstrLogType, QString)),
                     &m_sink, SLOT(record(ClsInstrControl::EnuInstrLogType, QString)));
    return true;
}

bool ModelHarness::start(const QString &strModel, const QStringList &lstSimArgs)
{
    if (!m_bench.start(QStringList{"--model", strModel} + SimProcess::freePorts(lstSimArgs)) ||
        !create(strModel, m_bench.sim->socketPort()) || !m_control->isSessionOpen())
        return false;
    drain();
    return true;
}

bool ModelHarness::startUnreachable(const QString &strModel)
{
    // A port that was free a moment ago: nobody listens there.
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return false;
    const quint16 u16Port = server.serverPort();
    server.close();
    if (!create(strModel, u16Port) || m_control->isSessionOpen())
        return false;
    takeMessages();
    return true;
}

QStringList ModelHarness::takeCommands()
{
    QString strReply;
    m_control->queryCmd(QLatin1String(SimLog::SyncQuery), strReply);
    const QStringList lstCommands = m_bench.log.messages(m_logLinesSeen);
    m_logLinesSeen += lstCommands.size();
    return lstCommands;
}

QStringList ModelHarness::takeMessages()
{
    const QStringList lstMessages = m_sink.lstMessages;
    m_sink.lstMessages.clear();
    return lstMessages;
}

QString ModelHarness::takeInstrumentErrors()
{
    QString strAll;
    for (int intRound = 0; intRound < 20; ++intRound) {
        QString strReply;
        if (!m_control->queryCmd(QStringLiteral("SYSTem:ERRor?"), strReply))
            return QStringLiteral("query failed");
        if (strReply.startsWith(QLatin1String("0,")))
            break;
        strAll += strReply + QLatin1Char('\n');
    }
    // The error queries themselves are no operation's commands.
    m_logLinesSeen = m_bench.log.size();
    return strAll;
}
