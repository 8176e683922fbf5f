#ifndef LISTFORGE_TESTS_INSTRMANAGE_SIMPROCESS_H
#define LISTFORGE_TESTS_INSTRMANAGE_SIMPROCESS_H

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

// One listforge-sim process for the lifetime of the object. It is started with the given
// arguments and counts as running once it printed "ready"; its "# ADDRESS MODEL socket N vxi11 M
// portmapper P" lines tell the ports it took.
class SimProcess
{
public:
    struct Instrument
    {
        QString address;
        QString model;
        quint16 socketPort = 0;
        quint16 vxiPort = 0;
    };

    static QString program()
    {
        return qEnvironmentVariable("LISTFORGE_BUILD_DIR") + QStringLiteral("/listforge-sim");
    }

    explicit SimProcess(const QStringList &args)
    {
        m_process.setProgram(program());
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        QElapsedTimer timer;
        timer.start();
        while (!m_ready && timer.elapsed() < 10000 && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(50);
            while (m_process.canReadLine()) {
                const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
                if (line == QLatin1String("ready"))
                    m_ready = true;
                else if (line.startsWith(QLatin1String("# ")))
                    parseInstrumentLine(line);
            }
        }
    }

    ~SimProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    bool isReady() const { return m_ready; }
    QString errorText() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    const QList<Instrument> &instruments() const { return m_instruments; }

private:
    void parseInstrumentLine(const QString &line)
    {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        Instrument instrument;
        if (fields.size() < 3)
            return;
        instrument.address = fields.at(1);
        instrument.model = fields.at(2);
        for (int i = 3; i + 1 < fields.size(); i += 2) {
            if (fields.at(i) == QLatin1String("socket"))
                instrument.socketPort = quint16(fields.at(i + 1).toUInt());
            else if (fields.at(i) == QLatin1String("vxi11"))
                instrument.vxiPort = quint16(fields.at(i + 1).toUInt());
        }
        m_instruments.append(instrument);
    }

    QProcess m_process;
    bool m_ready = false;
    QList<Instrument> m_instruments;
};

#endif
