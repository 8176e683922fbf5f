#ifndef LISTFORGE_TESTS_COMMON_WIDGETSTATES_H
#define LISTFORGE_TESTS_COMMON_WIDGETSTATES_H

// What a user sees of several named widgets below a window, as one list, so that a whole panel
// is checked by one comparison that names every widget in the wrong state. Names are separated
// by blanks; a name that is not found shows as "<name missing>".

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

#include <functional>

inline QStringList widgetStates(const QWidget *root, const QString &names,
                                const std::function<QString(const QWidget *)> &state)
{
    QStringList states;
    for (const QString &name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QWidget *widget = root->findChild<QWidget *>(name);
        states << (widget ? state(widget) : QStringLiteral("<%1 missing>").arg(name));
    }
    return states;
}

// The text of a field, label or button, the current entry of a combo box, a spin box's value.
inline QStringList shownTexts(const QWidget *root, const QString &names)
{
    return widgetStates(root, names, [](const QWidget *widget) {
        if (auto *edit = qobject_cast<const QLineEdit *>(widget))
            return edit->text();
        if (auto *label = qobject_cast<const QLabel *>(widget))
            return label->text();
        if (auto *button = qobject_cast<const QAbstractButton *>(widget))
            return button->text();
        if (auto *box = qobject_cast<const QComboBox *>(widget))
            return box->currentText();
        if (auto *spin = qobject_cast<const QAbstractSpinBox *>(widget))
            return spin->text();
        return QStringLiteral("<no text>");
    });
}

inline QStringList toolTipsOf(const QWidget *root, const QString &names)
{
    return widgetStates(root, names, [](const QWidget *widget) { return widget->toolTip(); });
}

// The names of those that are in the state.
inline QStringList namesWhere(const QWidget *root, const QString &names, bool (QWidget::*state)() const)
{
    QStringList found;
    for (const QString &name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QWidget *widget = root->findChild<QWidget *>(name);
        if (!widget)
            found << QStringLiteral("<%1 missing>").arg(name);
        else if ((widget->*state)())
            found << name;
    }
    return found;
}
inline QStringList hiddenOf(const QWidget *root, const QString &names)
{
    return namesWhere(root, names, &QWidget::isHidden);
}
inline QStringList enabledOf(const QWidget *root, const QString &names)
{
    return namesWhere(root, names, &QWidget::isEnabled);
}

// The status lamps of the windows.
const QString LampGreen = QStringLiteral(":/Misc/Misc/Green.png");
const QString LampYellow = QStringLiteral(":/Misc/Misc/Yellow.png");
const QString LampRed = QStringLiteral(":/Misc/Misc/Red.png");

// Whether a label or an icon shows the image of this resource, pixel for pixel: what the user
// sees, whichever object holds it.
inline bool showsImage(const QLabel *label, const QString &resource)
{
    const QPixmap shown = label->pixmap(Qt::ReturnByValue);
    return !shown.isNull() && shown.toImage() == QPixmap(resource).toImage();
}
inline bool showsImage(const QIcon &icon, const QString &resource)
{
    return !icon.isNull() && icon.pixmap(16, 16).toImage() == QIcon(resource).pixmap(16, 16).toImage();
}

#endif
