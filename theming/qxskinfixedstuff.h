#pragma once
// The check box and radio button whose caption colour follows the theme's item text colour.
#include "theming/skindkpanels.h"

class TqxSkinCheckBox : public TSkinCheckBox {
    Q_OBJECT
public:
    using TSkinCheckBox::TSkinCheckBox;

protected:
    void HandleMessage(platform::TMessage& message) override;
};

class TqxSkinRadioButton : public TSkinRadioButton {
    Q_OBJECT
public:
    using TSkinRadioButton::TSkinRadioButton;

protected:
    void HandleMessage(platform::TMessage& message) override;
};

// The theme's text colour for a control's caption: an item of view type $1001 with options
// $21 and the control's enabled state.
TColor ThemedCaptionColor(bool enabled);
