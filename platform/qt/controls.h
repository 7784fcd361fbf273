#pragma once
// What the windows need of a control beyond Qt's own widgets: an integer Tag, assignable event
// handlers that can be read, detached, re-attached, copied and called directly, the window
// system's colour numbers, and two shared helpers (copying a control's properties onto a new one,
// a two-state glyph button).
//
// Event handlers fire for what the user does, never for a programmatic write: an edit's change
// handler runs when the user edits its text, a list's when the user picks an item, a button's or
// check box's click handler when the user clicks it (or presses Space). Writing a value from code
// therefore starts no commit; code that must run a handler calls it directly.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QObject>

#include <functional>

class QAbstractButton;
class QDateEdit;
class QLineEdit;
class QString;
class QDate;
class QWidget;

namespace platform {

using NotifyEvent = std::function<void(QObject* sender)>;
// Key is the typed character; a handler that sets it to 0 swallows the key, one that sets it to
// another character types that one instead. It sees printable characters only (Tab, Delete and
// the editing shortcuts are the edit's own), and an edit's paste (or drop) of text goes through it
// character by character: one refused character refuses it all, and the others are pasted as
// they stand (another character is what a key means, not what a text says).
using KeyPressEvent = std::function<void(QObject* sender, QChar& key)>;

// The assignable handlers of one control. Empty means not assigned.
struct ControlEvents {
    NotifyEvent onChange; // user edited the text, picked a list item or changed a date
    NotifyEvent onClick; // user clicked (buttons, check boxes, labels, pictures, panels)
    NotifyEvent onEnter; // the control received the focus from another control of its window
    // The focus moved from the control to another control of its window after the user changed
    // its value there: a control passed through with its value as it found it was not changed.
    NotifyEvent onExit;
    KeyPressEvent onKeyPress;
};

// The handlers of a control, created (and hooked to the control's signals) on first use.
ControlEvents& controlEvents(QWidget* control);
// The handlers of a control when it has any, else nullptr (nothing is created).
ControlEvents* findControlEvents(const QObject* control);

// Runs a handler when it is assigned; returns whether it was.
bool fireEvent(const NotifyEvent& handler, QObject* sender);

// Runs the control's exit handler as leaving it would: when it has one and the user changed the
// control's value since the focus entered it (a control without the focus counts as changed).
// The value it then holds is the one later changes are measured from. Returns whether it ran.
bool fireExit(QWidget* control);

// The control's Tag: an integer chosen by the window (0 when never set).
int controlTag(const QObject* control);
void setControlTag(QObject* control, int tag);

// An edit's text written from code: the program's own, which the edit's key filter does not judge
// (a negative value a file brings shows as stored). Every change of a filtered edit's text made
// another way is held to its filter: the edit undoes one the filter would refuse if typed.
void setEditText(QLineEdit* edit, const QString& text);

// A date picker's date written from code with its change handler detached, as every programmatic
// write is (Qt reports programmatic date changes like the user's).
void setPickerDate(QDateEdit* picker, const QDate& date);

// Window-system colour numbers are $00BBGGRR.
QColor colorFromBgr(quint32 bgr);
constexpr quint32 clRed = 0x0000FF;
constexpr quint32 clWhite = 0xFFFFFF;
constexpr quint32 clBlue = 0xFF0000;
constexpr quint32 clSkyBlue = 0xF0CAA6;

// Background of an edit, list or panel; text colour of any control. A disabled control keeps
// the disabled look whatever its colours: its text is drawn grey as every disabled control's, and
// a disabled edit or list has the background of every disabled input.
void setControlColor(QWidget* control, const QColor& color);
void setFontColor(QWidget* control, const QColor& color);
// The platform's own colours for the two cases the windows name.
QColor windowColor(); // background of an editable input
QColor btnFaceColor(); // background of panels and buttons
QColor windowTextColor();

// The windows' designed typeface (Tahoma), falling back to the metric-compatible fonts shipped
// with the system. A pixel size instead of a point size when pixelSize is set.
QFont formFont(qreal pointSize, bool bold = false);
QFont formFontPixels(int pixelSize, bool bold = false);

// An ordered list of images addressed by index (tool-button, tab and glyph images).
using ImageList = QList<QIcon>;

} // namespace platform

// Copies onto Destination every stored property of Source that Destination also has, except the
// object name: numbers, flags, enumerations, texts, colours (the palette), geometry and the
// dynamic properties (the Tag), and the event handlers. Fonts, pictures and list items stay.
void CopyPublishedProperties(QObject* Source, QObject* Destination);

// State true: image 0 of Images and Tag 0; false: image 1 and Tag 1; then repaints the button.
void SetToggleGlyph(bool State, QAbstractButton* Button, const platform::ImageList& Images);
