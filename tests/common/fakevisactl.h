#ifndef LISTFORGE_TESTS_COMMON_FAKEVISACTL_H
#define LISTFORGE_TESTS_COMMON_FAKEVISACTL_H

// The control functions of the scripted VISA library (lf_fakevisa), resolved from the library
// that LISTFORGE_VISA_LIBRARY names: suites script the instrument and read back what it was sent.

#include <QByteArrayList>
#include <QLibrary>
#include <QString>
#include <QtGlobal>

#include <type_traits>

struct FakeVisaControl
{
    void (*reset)() = nullptr;
    void (*setStatus)(const char *, int) = nullptr;
    void (*setIdnFor)(const char *, const char *) = nullptr;
    void (*setReply)(const char *, const char *) = nullptr;
    void (*setFindResults)(const char *) = nullptr;
    int (*calls)(const char *) = nullptr;
    int (*rmOpen)() = nullptr;
    int (*openObjects)() = nullptr;
    int (*writeCount)() = nullptr;
    const char *(*write)(int, int *) = nullptr;
    int (*writeEnd)(int) = nullptr;
    const char *(*lastFindExpr)() = nullptr;
    qint64 (*attribute)(const char *, quint32) = nullptr;

    // Empty on success, else the library's error or the first function it lacks.
    QString load()
    {
        m_lib.setFileName(qEnvironmentVariable("LISTFORGE_VISA_LIBRARY"));
        if (!m_lib.load())
            return m_lib.errorString();
        QString strMissing;
        const auto bind = [&](auto &fn, const char *name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(m_lib.resolve(name));
            if (!fn && strMissing.isEmpty())
                strMissing = QString::fromLatin1(name);
        };
        bind(reset, "fakeVisaReset");
        bind(setStatus, "fakeVisaSetStatus");
        bind(setIdnFor, "fakeVisaSetIdnFor");
        bind(setReply, "fakeVisaSetReply");
        bind(setFindResults, "fakeVisaSetFindResults");
        bind(calls, "fakeVisaCalls");
        bind(rmOpen, "fakeVisaRmOpen");
        bind(openObjects, "fakeVisaOpenObjects");
        bind(writeCount, "fakeVisaWriteCount");
        bind(write, "fakeVisaWrite");
        bind(writeEnd, "fakeVisaWriteEnd");
        bind(lastFindExpr, "fakeVisaLastFindExpr");
        bind(attribute, "fakeVisaAttribute");
        return strMissing;
    }

    QByteArray writeAt(int intIndex)
    {
        int intSize = 0;
        const char *data = write(intIndex, &intSize);
        return QByteArray(data, intSize);
    }
    QByteArray lastWrite() { return writeAt(writeCount() - 1); }
    QByteArrayList writes()
    {
        QByteArrayList lst;
        for (int i = 0; i < writeCount(); ++i)
            lst << writeAt(i);
        return lst;
    }

private:
    QLibrary m_lib;
};

#endif
