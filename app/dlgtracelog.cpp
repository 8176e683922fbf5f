#include "app/dlgtracelog.h"

#include "ui_DlgTraceLogUI.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

DlgTraceLog::DlgTraceLog(QWidget *parent) : QDialog(parent), ui(new Ui::DlgTraceLogUI)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(ui->btnClear, &QPushButton::clicked, this, &DlgTraceLog::clearTraceLog);
    connect(ui->btnCopy, &QPushButton::clicked, this, &DlgTraceLog::copyTraceLogToClipboard);
    // Lines traced from worker threads arrive queued; lines from this thread directly.
    connect(&m_tracer, &Tracer::TraceDataAvailable, this, &DlgTraceLog::updateTraceLog);
}

DlgTraceLog::~DlgTraceLog()
{
    delete ui;
}

const QIcon &DlgTraceLog::iconForKind(int intKind)
{
    static const QIcon error(QStringLiteral(":/Tracer/TraceLog/error.png"));
    static const QIcon warn(QStringLiteral(":/Tracer/TraceLog/warn.png"));
    static const QIcon debug(QStringLiteral(":/Tracer/TraceLog/debug.png"));
    static const QIcon info(QStringLiteral(":/Tracer/TraceLog/info.png"));
    if (intKind & (TraceKindError | 8))
        return error;
    if (intKind & TraceKindWarning)
        return warn;
    if (intKind & TraceKindDebug)
        return debug;
    return info;
}

void DlgTraceLog::clearTraceLog()
{
    ui->lswTraceLog->clear();
}

void DlgTraceLog::copyTraceLogToClipboard()
{
    QString strText;
    for (int i = 0; i < ui->lswTraceLog->count(); ++i) {
        strText += ui->lswTraceLog->item(i)->text();
        strText += QLatin1Char('\n');
    }
    auto *mimeData = new QMimeData;
    mimeData->setText(strText);
    QApplication::clipboard()->setMimeData(mimeData);
}

void DlgTraceLog::updateTraceLog()
{
    const QList<TraceEntry> entries = Tracer::takeTraceData();
    if (entries.isEmpty())
        return;

    const QString strIndent(ContinuationIndent, QLatin1Char(' '));
    bool bolError = false;
    for (const TraceEntry &entry : entries) {
        if (entry.strLine.isEmpty())
            continue;
        const QIcon &icon = iconForKind(entry.intKind);
        const QStringList parts = entry.strLine.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
        for (int i = 0; i < parts.size(); ++i)
            new QListWidgetItem(icon, i == 0 ? parts.at(i) : strIndent + parts.at(i), ui->lswTraceLog);
        if (entry.intKind & (TraceKindError | 8))
            bolError = true;
    }

    ui->lswTraceLog->scrollToBottom();
    if (bolError) {
        show();
        raise();
    }
}

void DlgTraceLog::loadSettings(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("TraceLog"));
    resize(settings.value(QStringLiteral("Size"), QSize(520, 580)).toSize());
    move(settings.value(QStringLiteral("Pos"), QPoint(200, 200)).toPoint());
    settings.endGroup();
}

void DlgTraceLog::saveSettings(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("TraceLog"));
    settings.setValue(QStringLiteral("Pos"), pos());
    settings.setValue(QStringLiteral("Size"), size());
    settings.endGroup();
}
