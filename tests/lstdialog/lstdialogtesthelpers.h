#ifndef LISTFORGE_TESTS_LSTDIALOGTESTHELPERS_H
#define LISTFORGE_TESTS_LSTDIALOGTESTHELPERS_H

#include "app/tracer.h"
#include "lists/dlglstmanage.h"
#include "tests/common/widgetstates.h"
#include "tests/lists/listfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// The dialog with its warning box and file dialogs answered by the test instead of a person.
class ScriptedDlgLstManage : public DlgLstManage
{
public:
    QStringList warnings;
    QStringList openAnswers; // consumed front first; empty answer = cancelled
    QStringList saveAnswers;
    QStringList fileDialogTitles;
    QStringList fileDialogFilters;

    template <typename T> T *w(const char *name) const
    {
        T *widget = findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "ScriptedDlgLstManage", name);
        return widget;
    }

    // What a user's choice in a combo box does: select the entry and report "activated".
    void choose(const char *name, const QString &text)
    {
        auto *box = w<QComboBox>(name);
        box->setCurrentIndex(box->findText(text));
        emit box->activated(box->currentIndex());
    }
    void chooseModType(const QString &name) { choose("cbxDLModType", name); }
    void chooseSource(const QString &name) { choose("cbxDLDataSrc", name); }
    void applyPrbs(int bits)
    {
        chooseSource(QStringLiteral("PRBS"));
        w<QSpinBox>("sbxDLBitCount")->setValue(bits);
        w<QPushButton>("btnDLPRBSSelect")->click();
    }
    void applyPattern(const QString &pattern, int bits)
    {
        chooseSource(QStringLiteral("Pattern"));
        w<QRadioButton>("rbtDLBitCount")->setChecked(true);
        w<QSpinBox>("sbxDLBitCount")->setValue(bits);
        w<QLineEdit>("ledDLBitPatt")->setText(pattern);
        w<QPushButton>("btnDLBitPattSelect")->click();
    }
    QByteArray bits() const { return dataList().bits(); }
    // Clicks a button whose file dialog the test answers with this path.
    void openWith(const char *button, const QString &path)
    {
        openAnswers << path;
        w<QPushButton>(button)->click();
    }
    void saveWith(const char *button, const QString &path)
    {
        saveAnswers << path;
        w<QPushButton>(button)->click();
    }

protected:
    void showWarning(const QString &strText) override { warnings << strText; }
    QString askOpenFileName(const QString &strTitle, const QString &strFilter) override
    {
        fileDialogTitles << strTitle;
        fileDialogFilters << strFilter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString askSaveFileName(const QString &strTitle, const QString &strFilter) override
    {
        fileDialogTitles << strTitle;
        fileDialogFilters << strFilter;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
};

// Trace lines (of one kind, or all) recorded since the last call, without their time stamps.
inline QStringList takeTraceTexts(int kind = 0)
{
    QStringList texts;
    for (const TraceEntry &entry : Tracer::takeTraceData()) {
        if (kind == 0 || entry.intKind == kind)
            texts << entry.strLine.mid(entry.strLine.indexOf(QLatin1String("  ")) + 2);
    }
    return texts;
}

// The fixture of the dialog suites: a scratch folder, current in every test, and every trace kind.
class LstDialogSuite : public QObject
{
    Q_OBJECT
protected:
    QTemporaryDir m_dir;
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Tracer::setTraceMask(Tracer::DebugMask);
    }
    void init()
    {
        QDir::setCurrent(m_dir.path());
        Tracer::takeTraceData();
    }
};

#endif
