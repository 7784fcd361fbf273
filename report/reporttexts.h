#pragma once
// What the report copies from the main window at print time: the captions and texts of its
// controls by object name, whether they are shown, red or checked, and the application's title.
// The window fills it (CollectReportTexts does so from any window by its named controls), so the
// report needs nothing of the window itself.
#include <map>
#include <string>
#include <vector>

class QWidget;

struct TReportControl {
    std::string Text; // caption, edit text or the selected item, as shown
    bool Visible = true; // the control's own flag; for a tab page whether its tab is shown
    bool Red = false; // its text is drawn in pure red (255)
    bool Checked = false; // check boxes and radio buttons
    int Tag = 0; // status images: 1 while the fail glyph shows
    std::vector<std::string> Items; // the items of a list
    int Width = 0; // size in pixels (the logo picture's box)
    int Height = 0;
};

struct TReportDate {
    int Year = 0;
    int Month = 0; // 1..12
    int Day = 0;
};

struct TReportTexts {
    std::string ApplicationTitle;
    TReportDate Date; // the date picker's date
    std::map<std::string, TReportControl> Controls;

    // A control that the window does not have reads as an empty, hidden one.
    const TReportControl& operator[](const std::string& name) const;
    const std::string& Text(const std::string& name) const { return (*this)[name].Text; }
    bool Visible(const std::string& name) const { return (*this)[name].Visible; }
    TReportControl& Set(const std::string& name, const std::string& text)
    {
        TReportControl& c = Controls[name];
        c.Text = text;
        return c;
    }
};

// Reads every named control of the window: labels, edits, lists, check and radio buttons, date
// pickers, panels and the pages of tab widgets; the title is the application's name.
TReportTexts CollectReportTexts(const QWidget& window);
