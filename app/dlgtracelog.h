#ifndef LISTFORGE_APP_DLGTRACELOG_H
#define LISTFORGE_APP_DLGTRACELOG_H

#include "app/tracer.h"

#include <QDialog>
#include <QIcon>
#include <QSettings>

namespace Ui {
class DlgTraceLogUI;
}

// Shows every trace line of the program. It keeps collecting while hidden and comes to the
// front by itself when an error arrives.
class DlgTraceLog : public QDialog
{
    Q_OBJECT
public:
    explicit DlgTraceLog(QWidget *parent = nullptr);
    ~DlgTraceLog() override;

    void loadSettings(QSettings &settings);
    void saveSettings(QSettings &settings) const;

    // Continuation lines of a multi-line entry are indented by this many blanks so that they
    // line up under the text after the time stamp.
    static constexpr int ContinuationIndent = 35;

public slots:
    void clearTraceLog();
    void copyTraceLogToClipboard();
    void updateTraceLog();

private:
    static const QIcon &iconForKind(int intKind);

    Ui::DlgTraceLogUI *ui;
    Tracer m_tracer;
};

#endif
