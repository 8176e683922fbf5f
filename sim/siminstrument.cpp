#include "sim/siminstrument.h"

#include "sim/scpierrors.h"

namespace {
QByteArray quoted(const QString &text)
{
    return '"' + text.toLatin1() + '"';
}

quint8 eventBitFor(int code)
{
    if (code <= -100 && code > -200)
        return 0x20; // command error
    if (code <= -200 && code > -300)
        return 0x10; // execution error
    if (code <= -300 && code > -400)
        return 0x08; // device-dependent error
    if (code <= -400 && code > -500)
        return 0x04; // query error
    return 0;
}

QByteArray definiteBlock(const QByteArray &data)
{
    const QByteArray length = QByteArray::number(data.size());
    return '#' + QByteArray::number(length.size()) + length + data;
}
} // namespace

SimInstrument::SimInstrument(const SimInstrumentConfig &config, QObject *parent)
    : QObject(parent), m_config(config),
      m_memory(new MassMemory(config.storageDir, config.model->driveLetters)),
      m_settings(buildSimProfile(*config.model, config.options))
{
    if (m_config.serial.isEmpty())
        m_config.serial = m_config.model->defaultSerial;
    m_memory->addFactoryFiles();
    m_overlapTimer.setSingleShot(true);
    connect(&m_overlapTimer, &QTimer::timeout, this, &SimInstrument::finishOverlapped);
    buildCommands();
}

SimInstrument::~SimInstrument() = default;

QByteArray SimInstrument::identity() const
{
    return QStringLiteral("%1,%2,%3/%4,%5")
        .arg(m_config.manufacturer, m_config.model->name, m_config.model->partNumber, m_config.serial,
             m_config.model->firmware)
        .toLatin1();
}

quint8 SimInstrument::statusByte() const
{
    quint8 stb = 0;
    if (m_errors.count() > 0 || m_config.faults.endlessErrors)
        stb |= 0x04;
    if (m_esr & m_ese)
        stb |= 0x20;
    if (stb & m_sre)
        stb |= 0x40;
    return stb;
}

void SimInstrument::reportError(int code, const QByteArray &detail)
{
    m_errors.push(code, detail);
    m_esr |= eventBitFor(code);
}

void SimInstrument::resetSettings()
{
    m_settings.reset();
    m_gpibTermination = "STAN";
}

void SimInstrument::startOverlapped(int ms)
{
    m_busy = true;
    m_overlapTimer.start(qMax(0, ms));
}

void SimInstrument::finishOverlapped()
{
    m_busy = false;
    if (m_opcArmed && !m_config.faults.opcNeverComplete) {
        m_esr |= 0x01;
        m_opcArmed = false;
    }
    emit operationsComplete();
}

SimInstrument::Step SimInstrument::execute(const ScpiUnit &unit, const QByteArray &message, QByteArray *path,
                                           QByteArrayList *responses)
{
    if (unit.error != 0) {
        reportError(unit.error);
        return Step::Done;
    }
    if (unit.common)
        return executeCommon(unit, responses);
    QByteArrayList candidates;
    if (!unit.absolute && !path->isEmpty())
        candidates << *path + ':' + unit.header;
    candidates << unit.header;
    int error = ScpiError::UndefinedHeader;
    for (const QByteArray &header : candidates) {
        Step step = Step::Done;
        int headerError = 0;
        if (dispatch(unit, header, message, responses, &step, &headerError)) {
            const int colon = header.lastIndexOf(':');
            *path = colon < 0 ? QByteArray() : header.left(colon);
            return step;
        }
        if (headerError == ScpiError::HeaderSuffixOutOfRange)
            error = headerError;
    }
    reportError(error);
    return Step::Done;
}

bool SimInstrument::dispatch(const ScpiUnit &unit, const QByteArray &header, const QByteArray &message,
                             QByteArrayList *responses, Step *step, int *error)
{
    QVector<int> suffixes;
    bool suffixError = false;
    if (const SettingDef *def = m_settings.find(header, &suffixes, &suffixError)) {
        if (unit.query) {
            if (!unit.params.isEmpty())
                reportError(ScpiError::ParameterNotAllowed);
            else
                responses->append(m_settings.query(*def, suffixes));
        } else if (unit.params.isEmpty()) {
            reportError(ScpiError::MissingParameter);
        } else if (unit.params.size() > 1) {
            reportError(ScpiError::ParameterNotAllowed);
        } else if (const int code = m_settings.set(*def, suffixes, unit.params.first(), *m_memory)) {
            reportError(code);
        }
        return true;
    }
    if (suffixError) {
        *error = ScpiError::HeaderSuffixOutOfRange;
        return false;
    }
    for (const Command &command : m_commands) {
        if (!command.header.match(header, &suffixes))
            continue;
        if ((unit.query && !command.queryable) || (!unit.query && !command.settable))
            return false;
        *step = command.handler(this, Call{unit, message, suffixes, responses});
        return true;
    }
    return false;
}

SimInstrument::Step SimInstrument::executeCommon(const ScpiUnit &unit, QByteArrayList *responses)
{
    const QByteArray name = unit.header.toUpper() + (unit.query ? "?" : "");
    auto byteParam = [&](quint8 *target) {
        if (unit.params.size() != 1) {
            reportError(unit.params.isEmpty() ? ScpiError::MissingParameter : ScpiError::ParameterNotAllowed);
            return;
        }
        const ScpiNumber n = parseScpiNumber(unit.params.first().text, ScpiUnitKind::None);
        if (n.error != 0 || unit.params.first().kind != ScpiParam::Token)
            reportError(n.error != 0 ? n.error : int(ScpiError::DataTypeError));
        else if (n.special != ScpiNumber::Value || n.value < 0 || n.value > 255)
            reportError(ScpiError::DataOutOfRange);
        else
            *target = quint8(qRound(n.value));
    };
    const bool takesParam = name == "*ESE" || name == "*SRE";
    if (!takesParam && !unit.params.isEmpty()) {
        reportError(ScpiError::ParameterNotAllowed);
        return Step::Done;
    }
    if (name == "*IDN?") {
        responses->append(identity());
    } else if (name == "*OPT?") {
        responses->append(m_config.options.toLatin1());
    } else if (name == "*CLS") {
        m_esr = 0;
        m_errors.clear();
        m_opcArmed = false;
    } else if (name == "*ESE") {
        byteParam(&m_ese);
    } else if (name == "*ESE?") {
        responses->append(QByteArray::number(m_ese));
    } else if (name == "*SRE") {
        byteParam(&m_sre);
    } else if (name == "*SRE?") {
        responses->append(QByteArray::number(m_sre));
    } else if (name == "*ESR?") {
        responses->append(QByteArray::number(m_esr));
        m_esr = 0;
    } else if (name == "*STB?") {
        responses->append(QByteArray::number(statusByte()));
    } else if (name == "*OPC") {
        if (m_busy)
            m_opcArmed = true;
        else if (!m_config.faults.opcNeverComplete)
            m_esr |= 0x01;
    } else if (name == "*OPC?") {
        if (m_busy || m_config.faults.opcNeverComplete)
            return Step::Wait;
        responses->append("1");
    } else if (name == "*WAI") {
        if (m_busy)
            return Step::Wait;
    } else if (name == "*RST") {
        resetSettings();
    } else if (name == "*TST?") {
        responses->append("0");
    } else if (name == "*TRG") {
        // Nothing is armed for a trigger in this instrument.
    } else {
        reportError(ScpiError::UndefinedHeader);
    }
    return Step::Done;
}

QString SimInstrument::stringParam(const Call &call, int *error) const
{
    if (call.unit.params.isEmpty()) {
        *error = ScpiError::MissingParameter;
        return QString();
    }
    const ScpiParam &param = call.unit.params.first();
    if (param.kind != ScpiParam::String) {
        *error = ScpiError::DataTypeError;
        return QString();
    }
    *error = 0;
    return QString::fromLatin1(param.text);
}

SimInstrument::Step SimInstrument::systemError(const Call &call)
{
    if (m_config.faults.endlessErrors) {
        call.responses->append("-221,\"Settings conflict\"");
        return Step::Done;
    }
    call.responses->append(m_errors.takeNext());
    return Step::Done;
}

SimInstrument::Step SimInstrument::listCatalog(const Call &call, const QString &extension)
{
    if (call.suffixes.value(0) < 1 || call.suffixes.value(0) > profile().basebandPaths) {
        reportError(ScpiError::HeaderSuffixOutOfRange);
        return Step::Done;
    }
    call.responses->append(m_memory->listNames(extension).join(',').toLatin1());
    return Step::Done;
}

SimInstrument::Step SimInstrument::massMemory(const Call &call, const QByteArray &what)
{
    int error = 0;
    const bool query = call.unit.query;
    const QList<ScpiParam> &params = call.unit.params;
    if (what == "MSIS") {
        if (query)
            call.responses->append(quoted(m_memory->drive()));
        else {
            const QString drive = stringParam(call, &error);
            error = error ? error : m_memory->setDrive(drive);
        }
    } else if (what == "CDIR") {
        if (query)
            call.responses->append(quoted(m_memory->currentDirectory()));
        else if (params.isEmpty())
            m_memory->resetDirectory();
        else {
            const QString path = stringParam(call, &error);
            error = error ? error : m_memory->changeDirectory(path);
        }
    } else if (what == "MDIR" || what == "RDIR" || what == "DEL") {
        const QString path = stringParam(call, &error);
        if (!error) {
            error = what == "MDIR"
                        ? m_memory->makeDirectory(path)
                        : (what == "RDIR" ? m_memory->removeDirectory(path) : m_memory->deleteFile(path));
        }
    } else if (what == "CAT" || what == "DCAT") {
        QString path;
        if (!params.isEmpty())
            path = stringParam(call, &error);
        QByteArray reply;
        if (!error) {
            error = what == "CAT"
                        ? m_memory->catalog(path.isEmpty() ? m_memory->currentDirectory() : path, &reply)
                        : m_memory->directoryCatalog(path, &reply);
        }
        if (!error)
            call.responses->append(reply);
    } else if (what == "DATA") {
        const QString path = stringParam(call, &error);
        if (!error && query) {
            QByteArray data;
            error = m_memory->readFile(path, &data);
            if (!error)
                call.responses->append(definiteBlock(data));
        } else if (!error) {
            if (params.size() < 2)
                error = ScpiError::MissingParameter;
            else if (params.size() > 2)
                error = ScpiError::ParameterNotAllowed;
            else if (params[1].kind != ScpiParam::Block)
                error = ScpiError::DataTypeError;
            else
                error = m_memory->writeFile(path, call.message.constData() + params[1].blockOffset,
                                            params[1].blockLength);
        }
    }
    if (error)
        reportError(error);
    return Step::Done;
}

void SimInstrument::buildCommands()
{
    auto add = [this](const char *pattern, bool settable, bool queryable, Handler handler) {
        m_commands.append(Command{ScpiHeaderPattern(pattern), settable, queryable, handler});
    };
    add("SYSTem:ERRor[:NEXT]", false, true,
        [](SimInstrument *s, const Call &c) { return s->systemError(c); });
    add("SYSTem:ERRor:ALL", false, true, [](SimInstrument *s, const Call &c) {
        QByteArrayList all;
        do {
            all << (s->m_config.faults.endlessErrors ? QByteArray("-221,\"Settings conflict\"")
                                                     : s->m_errors.takeNext());
        } while (s->m_errors.count() > 0);
        c.responses->append(all.join(','));
        return Step::Done;
    });
    add("SYSTem:ERRor:COUNt", false, true, [](SimInstrument *s, const Call &c) {
        c.responses->append(QByteArray::number(s->m_errors.count()));
        return Step::Done;
    });
    add("SYSTem:SERRor", false, true, [](SimInstrument *s, const Call &c) {
        c.responses->append(s->m_config.faults.endlessErrors ? QByteArray("-221,\"Settings conflict\"")
                                                             : QByteArray("0,\"No error\""));
        return Step::Done;
    });
    add("SYSTem:PRESet", true, false, [](SimInstrument *s, const Call &) {
        s->resetSettings();
        s->startOverlapped(s->m_config.presetMs);
        return Step::Done;
    });
    add("SYSTem:VERSion", false, true, [](SimInstrument *, const Call &c) {
        c.responses->append("1999.0");
        return Step::Done;
    });
    add("SYSTem:COMMunicate:GPIB[:SELF]:LTERminator", true, true, [](SimInstrument *s, const Call &c) {
        if (c.unit.query) {
            c.responses->append(s->m_gpibTermination);
        } else if (c.unit.params.size() != 1) {
            s->reportError(c.unit.params.isEmpty() ? ScpiError::MissingParameter
                                                   : ScpiError::ParameterNotAllowed);
        } else if (scpiMnemonicMatches("EOI", c.unit.params.first().text)) {
            s->m_gpibTermination = "EOI";
        } else if (scpiMnemonicMatches("STANdard", c.unit.params.first().text)) {
            s->m_gpibTermination = "STAN";
        } else {
            s->reportError(ScpiError::IllegalParameterValue);
        }
        return Step::Done;
    });
    if (m_config.model->driveLetters)
        add("MMEMory:MSIS", true, true,
            [](SimInstrument *s, const Call &c) { return s->massMemory(c, "MSIS"); });
    add("MMEMory:CDIRectory", true, true,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "CDIR"); });
    add("MMEMory:MDIRectory", true, false,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "MDIR"); });
    add("MMEMory:RDIRectory", true, false,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "RDIR"); });
    add("MMEMory:CATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "CAT"); });
    add("MMEMory:DCATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "DCAT"); });
    add("MMEMory:DATA", true, true, [](SimInstrument *s, const Call &c) { return s->massMemory(c, "DATA"); });
    add("MMEMory:DELete", true, false,
        [](SimInstrument *s, const Call &c) { return s->massMemory(c, "DEL"); });
    add("SOURce#:BB:DM:DLISt:CATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->listCatalog(c, "dm_iqd"); });
    add("SOURce#:BB:DM:CLISt:CATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->listCatalog(c, "dm_iqc"); });
    add("SOURce#:BB:DM:MLISt:CATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->listCatalog(c, "vam"); });
    add("SOURce#:BB:DM:FLISt:CATalog", false, true,
        [](SimInstrument *s, const Call &c) { return s->listCatalog(c, "vaf"); });
}
