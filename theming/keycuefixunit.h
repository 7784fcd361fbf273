#pragma once
// Makes every form of the application repaint its controls after each change of its keyboard
// cues (the accelerator underlines and focus rectangles that appear when the user presses Alt or
// moves the focus with the keyboard). The main window creates one, owned by itself, before
// anything else; it then works on every form by itself.
#include "platform/qt/thememessages.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

// What repainting a control means; the default schedules its repaint.
using TRepaintProc = std::function<void(QWidget*)>;
void RepaintControl(QWidget* control);

// The control, then each child in order, to any depth.
void RepaintWinControlTree(QWidget* control, const TRepaintProc& repaint = RepaintControl);
// Only the push buttons, check boxes and radio buttons below the control (not their children),
// leaving out the pages of a tab control that are not showing.
void RepaintButtonControls(QWidget* control, const TRepaintProc& repaint = RepaintControl);

// The window system is of version 6 or later and draws controls with visual styles.
bool IsWindows6WithThemes();

// One watched form: notes every keyboard-cue change of the form until the next idle moment.
class TFormObj : public QObject {
public:
    TFormObj(QWidget* form, bool repaintAll);

    QPointer<QWidget> Form;
    bool Seen = true;
    bool NeedsRepaint = false;
    bool RepaintAll = true;

    void RepaintIfNeeded();
    void FixSkinControlFonts();
    // How the records repaint (tests record the calls).
    static TRepaintProc& RepaintProc();

protected:
    // The hook on the form's messages: it only takes note, every message goes on unchanged.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TKeyCueFix : public QObject {
public:
    explicit TKeyCueFix(QObject* owner);
    ~TKeyCueFix() override;

    bool RepaintAll = true;

    // The idle scan: records for new forms, repaint of noted forms, records of gone forms dropped.
    void ApplicationIdle(QObject* sender, bool& done);

    bool Active() const { return m_formObjects != nullptr; }
    // The records in the order their forms were first seen; empty when inactive.
    std::vector<const TFormObj*> FormObjects() const;

private:
    std::unique_ptr<std::vector<std::unique_ptr<TFormObj>>> m_formObjects;
    std::unique_ptr<platform::ApplicationEvents> m_appEvents;
};
