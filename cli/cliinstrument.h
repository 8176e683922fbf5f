#ifndef LISTFORGE_CLI_CLIINSTRUMENT_H
#define LISTFORGE_CLI_CLIINSTRUMENT_H

#include "instrument/clsinstrcontrol.h"

#include <QObject>
#include <QString>

#include <memory>

// The instrument of one listforge-cli run: identified first, then opened with the model class
// of its type (maker check included), exactly as the program assigns an instrument. The
// instrument's information messages go to standard output, its error messages to standard
// error, and are counted.
class CliInstrument : public QObject
{
    Q_OBJECT
public:
    CliInstrument();
    ~CliInstrument() override;

    // False (with the reason on standard error) when the instrument cannot be opened or its
    // type is not one of the five supported models.
    bool open(const QString &strResource, const QString &strCommand);
    ClsInstrControl *control() const { return m_control.get(); }
    int errorCount() const { return m_errors; }

    // The model class for an instrument type ("GKR550X", ...); null for any other type.
    static std::unique_ptr<ClsInstrControl> createControl(const QString &strType, const QString &strResource);

private slots:
    void showMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strText);

private:
    std::unique_ptr<ClsInstrControl> m_control;
    int m_errors = 0;
};

#endif
