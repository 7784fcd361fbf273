#pragma once
// Opening a document or a web page through the desktop, for every window that offers one.
#include <QString>

class QWidget;

// Opens the file or web address with the desktop's associated program. A desktop without a
// viewer or a browser shows nothing at all, so then a message over parent names what did not
// open, for the user to open it another way.
void OpenThroughDesktop(const QString& fileOrAddress, QWidget* parent);
