#ifndef LISTFORGE_MAINWINDOW_PATHWIDGETS_H
#define LISTFORGE_MAINWINDOW_PATHWIDGETS_H

#include "mainwindow/appmainwindow.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// The widgets of one signal path page. Path A and path B have the same controls under names
// ending in "A" and "B"; every path slot looks its widgets up here by the path index, so the
// slots exist once for both paths.
struct AppMainWindow::PathWidgets
{
    static constexpr int NumMarkers = 4;

    int intPath = 0; // 1 = path A, 2 = path B

    QGroupBox *grpRF = nullptr;
    QLineEdit *ledRFFreq = nullptr;
    QComboBox *cbxRFFreqUnit = nullptr;
    QLineEdit *ledRFLev = nullptr;
    QComboBox *cbxRFLevUnit = nullptr;
    QPushButton *btnRFLevSwitch = nullptr;
    QLabel *lblRFLevSwitch = nullptr;

    QGroupBox *grpCDM = nullptr;
    QComboBox *cbxDataSrc = nullptr;
    QLabel *lblPRBSType = nullptr;
    QComboBox *cbxPRBSType = nullptr;
    QLabel *lblDLFile = nullptr;
    QComboBox *cbxDLFile = nullptr;
    QComboBox *cbxCLFile = nullptr;
    QComboBox *cbxModType = nullptr;
    QLineEdit *ledBitPerSym = nullptr;
    QLabel *lblModParam = nullptr;
    QLineEdit *ledModParam = nullptr;
    QComboBox *cbxModParam = nullptr;
    QLineEdit *ledSymRate = nullptr;
    QComboBox *cbxCoding = nullptr;
    QComboBox *cbxFiltType = nullptr;
    QLabel *lblFiltParam1 = nullptr;
    QLineEdit *ledFiltParam1 = nullptr;
    QComboBox *cbxFiltParam1 = nullptr;
    QLabel *lblFiltParam2 = nullptr;
    QLineEdit *ledFiltParam2 = nullptr;
    QPushButton *btnCDMSwitch = nullptr;
    QLabel *lblCDMSwitch = nullptr;

    QTabWidget *tabCtrlParams = nullptr;
    QComboBox *cbxRampFunc = nullptr;
    QDoubleSpinBox *sbxRampTime = nullptr;
    QDoubleSpinBox *sbxRampRiseDly = nullptr;
    QDoubleSpinBox *sbxRampFallDly = nullptr;
    QLineEdit *ledRampLevAtt = nullptr;
    QCheckBox *cheRampBBOnly = nullptr;
    QPushButton *btnRampSwitch = nullptr;
    QLabel *lblRampSwitch = nullptr;
    QCheckBox *cheMark[NumMarkers] = {};
    QComboBox *cbxMarkOut[NumMarkers] = {};
};

#endif
