#ifndef LISTFORGE_TESTS_COMMON_PROGRAMRUN_H
#define LISTFORGE_TESTS_COMMON_PROGRAMRUN_H

#include <QProcess>
#include <QString>
#include <QStringList>

// A program run to its end in strDir (the current directory when empty): exit status (-1 when
// it crashed, hung past two minutes or did not start) and what it wrote.
struct ProgramRun
{
    int status = -1;
    QString out;
    QString err;
};

inline ProgramRun runProgram(const QString &strProgram, const QStringList &lstArgs,
                             const QString &strDir = {})
{
    QProcess process;
    process.setWorkingDirectory(strDir);
    process.start(strProgram, lstArgs);
    ProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

#endif
