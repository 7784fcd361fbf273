#include "ui/dialogs/desktop.h"

#include "platform/qt/messages.h"
#include "platform/qt/shell.h"

void OpenThroughDesktop(const QString& fileOrAddress, QWidget* parent)
{
    if (!platform::shellOpen(fileOrAddress))
        platform::messageDlg(
            QStringLiteral("The desktop could not open \"%1\".\nOpen it with a program of your choice.")
                .arg(fileOrAddress),
            platform::MessageKind::Warning, QMessageBox::Ok, parent);
}
