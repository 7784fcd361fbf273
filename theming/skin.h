#pragma once
// The relay between the theme manager and the themed controls, the current theme, the menu
// animation style, and the background painting of transparent controls.
#include "theming/skinthemes.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// Holds the current theme and passes each 1336 notice of the manager on to the controls as 1338.
class TSkinNexus : public QObject {
public:
    explicit TSkinNexus(const QString& themeName);
    ~TSkinNexus() override;

    void AddControl(QObject* control);
    void RemoveControl(QObject* control);
    const QList<QObject*>& Controls() const { return m_controls; }

protected:
    bool event(QEvent* event) override;

private:
    QList<QObject*> m_controls;
};

TSkinNexus* SkinNexus();
// The process's current theme: the nexus's, or nullptr before start-up and after shut-down.
TSkinTheme* CurrentTheme();
void AddThemeNotification(QObject* control);
void RemoveThemeNotification(QObject* control);

// The menu animation style (0 none to 7), reduced to one the system offers.
class TSkinMenuAnimation {
public:
    explicit TSkinMenuAnimation(int requestedStyle);
    uint8_t Style() const { return m_style; }

private:
    uint8_t m_style = 0;
};

TSkinMenuAnimation* SkinMenuAnimation();

// The colour a control offers its children as their parent's: clBtnFace without a control;
// the control's own answer to message 1262; clBtnFace for an MDI frame; else its colour.
TColor GetEffectiveParentColor(QWidget* control);
// The colour a control is painted with: a themed control's Color, else its palette background.
TColor ControlColor(const QWidget* control);
// Paints what the control's parent shows behind the rectangle (control coordinates).
void PaintParentBackground(QWidget* control, QPainter& dc, const TRect& rect);

// Start-up and shut-down of the unit: registers "Default", creates the nexus on it and the menu
// animation object with style 1.
void InitializeSkin();
void FinalizeSkin();
