#pragma once
// The splash window: the product picture and title, on top of everything while the main window
// is created. It closes itself after two seconds or at the first click, and frees itself.
#include <QWidget>

class QLabel;
class QTimer;

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDisplayTimeMs = 2000;

    TfrmSplash();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QTimer* Timer1 = nullptr;

    void Timer1Timer();
    void Image1Click();
};
