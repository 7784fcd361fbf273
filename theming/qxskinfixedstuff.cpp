#include "theming/qxskinfixedstuff.h"

#include "theming/skin.h"

TColor ThemedCaptionColor(bool enabled)
{
    TSkinTheme* theme = CurrentTheme();
    if (!theme)
        return platform::clBtnText;
    TSkinItemInfo item;
    item.ViewType = 0x1001;
    item.ItemOptions = 0x21;
    item.Enabled = enabled;
    return theme->GetItemTextColor(item);
}

void TqxSkinCheckBox::HandleMessage(platform::TMessage& message)
{
    TSkinCheckBox::HandleMessage(message);
    if (message.Msg == SKM_CONTROLTHEMECHANGE && message.WParam == 2)
        SetFontColor(ThemedCaptionColor(isEnabled()));
}

void TqxSkinRadioButton::HandleMessage(platform::TMessage& message)
{
    TSkinRadioButton::HandleMessage(message);
    if (message.Msg == SKM_CONTROLTHEMECHANGE && message.WParam == 2)
        SetFontColor(ThemedCaptionColor(isEnabled()));
}
