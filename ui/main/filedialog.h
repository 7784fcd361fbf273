#pragma once
// The window's open and save dialogs: a title, a filter in the "description|patterns|..." form,
// a default extension added to a name typed without one, a starting folder and a preset name.
// Tests answer them through a handler instead of a window.
#include <QString>

#include <functional>

class QWidget;

class TFileDialog {
public:
    enum class Kind { Open, Save };

    TFileDialog(Kind kind, const QString& title, const QString& filter, const QString& defaultExt = {});

    Kind DialogKind() const { return m_kind; }
    QString Title;
    QString Filter; // "Braxholm Fendrix files (*.fdx)|*.fdx|All Files (*.*)|*.*"
    QString DefaultExt; // without the dot; empty for none
    QString InitialDir;
    QString FileName; // preset before Execute, the chosen file after it

    // Shows the dialog; true when the user chose a file (then FileName holds its full path).
    bool Execute(QWidget* parent);

    // Qt's filter string ("description (patterns);;...") of Filter.
    QString QtFilter() const;

    // A handler returns the chosen path, or an empty text for Cancel; an empty handler restores
    // the windows.
    using Answerer = std::function<QString(const TFileDialog& dialog)>;
    static void SetAnswerer(Answerer answerer);

private:
    Kind m_kind;
};
