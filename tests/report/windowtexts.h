#pragma once
// The texts the real main window shows for a project: the project is lent to an offscreen
// window, which writes its form as the program does, and the texts are collected from it as the
// Print command collects them.
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/settings.h"
#include "report/reporttexts.h"
#include "ui/main/lpmain.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QTimer>

#include <memory>
#include <utility>

namespace reporttest {

inline TReportTexts WindowTexts(std::unique_ptr<TLPData>& m)
{
    QCoreApplication::setApplicationName(QStringLiteral("Braxholm Fendrix Professional"));
    {
        platform::SettingsKey key; // no update check from the window's start-up timer
        key.openKey(QStringLiteral("Software\\Braxholm\\Fendrix\\"), true);
        key.writeBool(QStringLiteral("AutoUpdates"), false);
    }
    TfrmLPMain window;
    window.Timer1->stop();
    std::swap(window.LPData, m);
    window.LPData->SetUnits(window.LPData->Units); // the new window made its tables English
    window.DataToForm();
    window.DateTimePicker1->setDate(QDate(2024, 3, 7));
    TReportTexts texts = CollectReportTexts(window);
    std::swap(window.LPData, m);
    return texts;
}

} // namespace reporttest
