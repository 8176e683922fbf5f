#include "modelharness.h"

#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clszoycontrol.h"
#include "visa/visalibrary.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTcpServer>

namespace {
const QString s_syncQuery = QStringLiteral("*OPC?");
}

ModelHarness::~ModelHarness()
{
    m_control.reset();
    m_sim.stop();
}

ClsInstrControl *ModelHarness::create(const QString &strModel, const QString &strResource)
{
    if (strModel == QLatin1String("GKR550X"))
        return new ClsGKRControl(strResource);
    if (strModel == QLatin1String("PLOXA550X"))
        return new ClsPLOXAControl(strResource);
    if (strModel == QLatin1String("DVT330X"))
        return new ClsDVTControl(strResource);
    if (strModel == QLatin1String("HERN330X"))
        return new ClsHERNControl(strResource);
    if (strModel == QLatin1String("ZOY550X"))
        return new ClsZOYControl(strResource);
    return nullptr;
}

void ModelHarness::attach()
{
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>();
    QObject::connect(m_control.get(), SIGNAL(instrMessage(ClsInstrControl::EnuInstrLogType, QString)),
                     &m_sink, SLOT(record(ClsInstrControl::EnuInstrLogType, QString)));
}

bool ModelHarness::start(const QString &strModel, const QStringList &lstSimArgs)
{
    if (!m_dir.isValid() || !QDir().mkpath(storageDir()))
        return false;
    const QString strBuild =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("LISTFORGE_BUILD_DIR"));
    qputenv(ClsVisaLibrary::PathVariable, (strBuild + QStringLiteral("/libvisa32.so")).toLocal8Bit());
    QStringList lstArgs = {QStringLiteral("--model"),
                           strModel,
                           QStringLiteral("--port"),
                           QStringLiteral("0"),
                           QStringLiteral("--portmapper-port"),
                           QStringLiteral("0"),
                           QStringLiteral("--log"),
                           m_dir.filePath(QStringLiteral("sim.log")),
                           QStringLiteral("--storage"),
                           storageDir()};
    if (!m_sim.start(lstArgs + lstSimArgs))
        return false;
    m_control.reset(
        create(strModel, QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_sim.socketPort())));
    if (!m_control || !m_control->isSessionOpen())
        return false;
    attach();
    return true;
}

bool ModelHarness::startUnreachable(const QString &strModel)
{
    const QString strBuild =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("LISTFORGE_BUILD_DIR"));
    qputenv(ClsVisaLibrary::PathVariable, (strBuild + QStringLiteral("/libvisa32.so")).toLocal8Bit());
    // A port that was free a moment ago: nobody listens there.
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return false;
    const quint16 u16Port = server.serverPort();
    server.close();
    m_control.reset(create(strModel, QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(u16Port)));
    if (!m_control)
        return false;
    attach();
    return !m_control->isSessionOpen();
}

QStringList ModelHarness::readLog()
{
    QFile file(m_dir.filePath(QStringLiteral("sim.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lstLines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    if (!lstLines.isEmpty() && lstLines.last().isEmpty())
        lstLines.removeLast();
    return lstLines;
}

QStringList ModelHarness::takeCommands()
{
    QString strReply;
    m_control->queryCmd(s_syncQuery, strReply);
    const QStringList lstLines = readLog();
    QStringList lstCommands;
    for (int intLine = m_logLinesSeen; intLine < lstLines.size(); ++intLine) {
        // "SOCKET END <message>"
        const QString strMessage = lstLines.at(intLine).section(QLatin1Char(' '), 2);
        lstCommands << strMessage;
    }
    m_logLinesSeen = lstLines.size();
    if (!lstCommands.isEmpty() && lstCommands.last() == s_syncQuery)
        lstCommands.removeLast();
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
    m_logLinesSeen = readLog().size();
    return strAll;
}
