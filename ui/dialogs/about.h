#pragma once
// The About box: product title, the running program's version and a link to the maker's site.
#include <QDialog>

class QLabel;
class QPushButton;

// The maker's home page (a setting of the build).
QString HomePageAddress();

class TfrmSFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSFAbout(QWidget* owner = nullptr);

    QLabel* Label1 = nullptr; // product title
    QLabel* Label3 = nullptr; // version line
    QLabel* Label2 = nullptr; // link to the maker's site
    QPushButton* Button1 = nullptr;

    void FormCreate();
    void Label2Click();
};

// Creates the About box over owner (the main window), shows it modally and frees it.
void ShowAbout(QWidget* owner = nullptr);
