#include "simprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::executable()
{
    const QString buildDir = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    return QDir(buildDir.isEmpty() ? QStringLiteral(".") : buildDir)
        .filePath(QStringLiteral("listforge-sim"));
}

bool SimProcess::start(const QStringList &arguments)
{
    const QString program = executable();
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("simulator not built: %1").arg(program);
        return false;
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return false;
    }
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (m_process.canReadLine() || m_process.waitForReadyRead(200)) {
            output += m_process.readAll();
            if (output.contains("\nready") || output.startsWith("ready")) {
                return true;
            }
        }
        if (m_process.state() != QProcess::Running) {
            break;
        }
    }
    m_error =
        QStringLiteral("simulator did not get ready: %1 %2")
            .arg(QString::fromLocal8Bit(output), QString::fromLocal8Bit(m_process.readAllStandardError()));
    return false;
}

void SimProcess::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}
