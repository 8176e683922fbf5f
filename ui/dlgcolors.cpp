#include "ui/dlgcolors.h"

#include "app/tracer.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QString SettingsGroup = QStringLiteral("Colors");
const QPoint DefaultPos(250, 250);
const QSize DefaultSize(440, 380);
const QString FileFilter = QStringLiteral("Color set files (*.col)");
const QString FileSuffix = QStringLiteral(".col");

// The swatch is drawn as an icon rather than through the button's palette or a style sheet,
// because the application style sheet styles every push button and would hide it.
QIcon swatchIcon(const QColor &color)
{
    QPixmap pixmap(36, 16);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0, 0, 0, 140));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

class DlgColors::Private
{
public:
    struct Entry
    {
        QString strRole;
        QString strLabel;
        QLabel *lblName = nullptr;
        QPushButton *btnSwatch = nullptr;
    };

    Entry *findEntry(const QString &strRole)
    {
        for (Entry &entry : entries) {
            if (entry.strRole == strRole)
                return &entry;
        }
        return nullptr;
    }

    static void updateSwatch(const Entry &entry, const ClsColorScheme &scheme)
    {
        const QColor color = scheme.color(entry.strRole);
        entry.btnSwatch->setIcon(swatchIcon(color));
        entry.btnSwatch->setIconSize(QSize(36, 16));
        entry.btnSwatch->setText(color.name());
    }

    QGridLayout *layColors = nullptr;
    QList<Entry> entries;
    QSlider *sldBrightness = nullptr;
    QSlider *sldContrast = nullptr;
    QLabel *lblBrightnessValue = nullptr;
    QLabel *lblContrastValue = nullptr;
};

DlgColors::DlgColors(ClsColorScheme *scheme, QWidget *parent)
    : QDialog(parent), d(new Private), m_scheme(scheme)
{
    m_fileNameProvider = [this](bool bolSave, const QString &strCaption, const QString &strDir,
                                const QString &strFilter) {
        return bolSave ? QFileDialog::getSaveFileName(this, strCaption, strDir, strFilter)
                       : QFileDialog::getOpenFileName(this, strCaption, strDir, strFilter);
    };
    setWindowTitle(QStringLiteral("Colors"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setObjectName(QStringLiteral("DlgColors"));

    auto *layMain = new QVBoxLayout(this);

    auto *grpColors = new QGroupBox(QStringLiteral("Colors"), this);
    d->layColors = new QGridLayout(grpColors);
    d->layColors->setColumnStretch(0, 1);
    layMain->addWidget(grpColors);

    auto *grpAdjust = new QGroupBox(QStringLiteral("Adjustment"), this);
    auto *layAdjust = new QGridLayout(grpAdjust);
    auto addSlider = [this, grpAdjust, layAdjust](int intRow, const QString &strName, const QString &strText,
                                                  QSlider **sld, QLabel **lbl) {
        auto *lblName = new QLabel(strText, grpAdjust);
        *sld = new QSlider(Qt::Horizontal, grpAdjust);
        (*sld)->setObjectName(QStringLiteral("sld") + strName);
        (*sld)->setRange(-100, 100);
        (*sld)->setPageStep(10);
        (*sld)->setTickPosition(QSlider::TicksBelow);
        (*sld)->setTickInterval(50);
        // Every committed value restyles the whole application, which is too slow to do for
        // each pixel of a drag; the label follows the drag, the scheme follows on release.
        (*sld)->setTracking(false);
        *lbl = new QLabel(grpAdjust);
        (*lbl)->setObjectName(QStringLiteral("lbl") + strName + QStringLiteral("Value"));
        (*lbl)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*lbl)->setMinimumWidth((*lbl)->fontMetrics().horizontalAdvance(QStringLiteral("-100")) + 4);
        lblName->setBuddy(*sld);
        layAdjust->addWidget(lblName, intRow, 0);
        layAdjust->addWidget(*sld, intRow, 1);
        layAdjust->addWidget(*lbl, intRow, 2);
        QLabel *lblValue = *lbl;
        connect(*sld, &QSlider::sliderMoved, this,
                [lblValue](int intValue) { lblValue->setText(QString::number(intValue)); });
    };
    addSlider(0, QStringLiteral("Brightness"), QStringLiteral("&Brightness"), &d->sldBrightness,
              &d->lblBrightnessValue);
    addSlider(1, QStringLiteral("Contrast"), QStringLiteral("C&ontrast"), &d->sldContrast,
              &d->lblContrastValue);
    layAdjust->setColumnStretch(1, 1);
    layMain->addWidget(grpAdjust);
    layMain->addStretch(1);

    auto *layButtons = new QHBoxLayout;
    auto addButton = [this, layButtons](const QString &strName, const QString &strText) {
        auto *btn = new QPushButton(strText, this);
        btn->setObjectName(strName);
        btn->setAutoDefault(false);
        layButtons->addWidget(btn);
        return btn;
    };
    QPushButton *btnLoad = addButton(QStringLiteral("btnLoad"), QStringLiteral("Load..."));
    QPushButton *btnSave = addButton(QStringLiteral("btnSave"), QStringLiteral("Save..."));
    QPushButton *btnDefaults = addButton(QStringLiteral("btnDefaults"), QStringLiteral("Defaults"));
    layButtons->addStretch(1);
    QPushButton *btnClose = addButton(QStringLiteral("btnClose"), QStringLiteral("Close"));
    layMain->addLayout(layButtons);

    connect(d->sldBrightness, &QSlider::valueChanged, this, [this](int intValue) {
        d->lblBrightnessValue->setText(QString::number(intValue));
        if (m_scheme->brightness() == intValue)
            return;
        m_scheme->setBrightness(intValue);
        emit colorsChanged();
    });
    connect(d->sldContrast, &QSlider::valueChanged, this, [this](int intValue) {
        d->lblContrastValue->setText(QString::number(intValue));
        if (m_scheme->contrast() == intValue)
            return;
        m_scheme->setContrast(intValue);
        emit colorsChanged();
    });
    connect(btnLoad, &QPushButton::clicked, this, [this] { loadColorSet(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { saveColorSet(); });
    connect(btnDefaults, &QPushButton::clicked, this, [this] { resetColors(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);

    refreshFromScheme();
}

DlgColors::~DlgColors()
{
    delete d;
}

void DlgColors::registerColorEntry(const QString &strRole, const QString &strLabel)
{
    if (!ClsColorScheme::roleKeys().contains(strRole)) {
        Tracer::traceDebug(QStringLiteral("UICOLR  : Unknown color role '%1' not registered").arg(strRole));
        return;
    }
    if (Private::Entry *existing = d->findEntry(strRole)) {
        existing->strLabel = strLabel;
        existing->lblName->setText(strLabel);
        existing->btnSwatch->setToolTip(QStringLiteral("Choose the color for '%1'").arg(strLabel));
        return;
    }

    Private::Entry entry;
    entry.strRole = strRole;
    entry.strLabel = strLabel;
    const int intRow = d->entries.size();
    QWidget *grpColors = d->layColors->parentWidget();
    entry.lblName = new QLabel(strLabel, grpColors);
    entry.btnSwatch = new QPushButton(grpColors);
    entry.btnSwatch->setObjectName(QStringLiteral("btnColor") + strRole);
    entry.btnSwatch->setAutoDefault(false);
    entry.btnSwatch->setToolTip(QStringLiteral("Choose the color for '%1'").arg(strLabel));
    entry.lblName->setBuddy(entry.btnSwatch);
    d->layColors->addWidget(entry.lblName, intRow, 0);
    d->layColors->addWidget(entry.btnSwatch, intRow, 1);
    connect(entry.btnSwatch, &QPushButton::clicked, this, [this, strRole] { chooseColor(strRole); });
    d->entries.append(entry);
    Private::updateSwatch(d->entries.last(), *m_scheme);
}

QStringList DlgColors::registeredRoles() const
{
    QStringList roles;
    for (const Private::Entry &entry : d->entries)
        roles << entry.strRole;
    return roles;
}

void DlgColors::loadSettings(QSettings &settings)
{
    settings.beginGroup(SettingsGroup);
    const QPoint pos = settings.value(QStringLiteral("Pos"), DefaultPos).toPoint();
    QSize size = settings.value(QStringLiteral("Size"), DefaultSize).toSize();
    settings.endGroup();
    if (!size.isValid() || size.isEmpty())
        size = DefaultSize;
    resize(size);
    move(pos);
}

void DlgColors::saveSettings(QSettings &settings) const
{
    settings.beginGroup(SettingsGroup);
    settings.setValue(QStringLiteral("Pos"), pos());
    settings.setValue(QStringLiteral("Size"), size());
    settings.endGroup();
}

void DlgColors::chooseColor(const QString &strRole)
{
    const Private::Entry *entry = d->findEntry(strRole);
    if (!entry)
        return;
    const QColor chosen = QColorDialog::getColor(m_scheme->color(strRole), this,
                                                 QStringLiteral("Color for '%1'").arg(entry->strLabel));
    if (!chosen.isValid() || chosen == m_scheme->color(strRole))
        return;
    m_scheme->setColor(strRole, chosen);
    // Looked up again: the colour dialog runs an event loop in which entries may be added.
    if (const Private::Entry *current = d->findEntry(strRole))
        Private::updateSwatch(*current, *m_scheme);
    Tracer::traceDebug(QStringLiteral("UICOLR  : Color '%1' set to %2").arg(strRole, chosen.name()));
    emit colorsChanged();
}

void DlgColors::loadColorSet()
{
    const QString strPath =
        m_fileNameProvider(false, QStringLiteral("Load color set"), QDir::currentPath(), FileFilter);
    if (strPath.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(strPath).absolutePath());

    QString strError;
    if (!m_scheme->loadFile(strPath, &strError)) {
        Tracer::traceWarning(QStringLiteral("UICOLR  : ") + strError);
        QMessageBox::warning(this, QStringLiteral("Colors"), strError);
        return;
    }
    refreshFromScheme();
    Tracer::traceDebug(QStringLiteral("UICOLR  : Color set file '%1' loaded").arg(strPath));
    emit colorsChanged();
}

void DlgColors::saveColorSet()
{
    QString strPath =
        m_fileNameProvider(true, QStringLiteral("Save color set"), QDir::currentPath(), FileFilter);
    if (strPath.isEmpty())
        return;
    if (!strPath.endsWith(FileSuffix, Qt::CaseInsensitive)) {
        strPath += FileSuffix;
        // The file dialog only asked about the name as typed, not about the completed one.
        if (QFileInfo::exists(strPath) &&
            QMessageBox::question(this, QStringLiteral("Colors"),
                                  QStringLiteral("The file '%1' already exists.\nDo you want to replace it?")
                                      .arg(QDir::toNativeSeparators(strPath))) != QMessageBox::Yes)
            return;
    }
    QDir::setCurrent(QFileInfo(strPath).absolutePath());

    QString strError;
    if (!m_scheme->saveFile(strPath, &strError)) {
        Tracer::traceWarning(QStringLiteral("UICOLR  : ") + strError);
        QMessageBox::warning(this, QStringLiteral("Colors"), strError);
        return;
    }
    Tracer::traceDebug(QStringLiteral("UICOLR  : Color set file '%1' saved").arg(strPath));
}

void DlgColors::resetColors()
{
    m_scheme->resetToDefaults();
    refreshFromScheme();
    Tracer::traceDebug(QStringLiteral("UICOLR  : Colors reset to defaults"));
    emit colorsChanged();
}

void DlgColors::refreshFromScheme()
{
    // Signals are blocked so that a whole new scheme is announced once, not per slider.
    const QSignalBlocker blockBrightness(d->sldBrightness);
    const QSignalBlocker blockContrast(d->sldContrast);
    d->sldBrightness->setValue(m_scheme->brightness());
    d->sldContrast->setValue(m_scheme->contrast());
    d->lblBrightnessValue->setText(QString::number(m_scheme->brightness()));
    d->lblContrastValue->setText(QString::number(m_scheme->contrast()));
    for (const Private::Entry &entry : d->entries)
        Private::updateSwatch(entry, *m_scheme);
}
