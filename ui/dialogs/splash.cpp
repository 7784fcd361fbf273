#include "ui/dialogs/splash.h"

#include "platform/qt/controls.h"
#include "ui/dialogs/resources.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TfrmSplash::TfrmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    initDialogResources();
    // Closing frees the window: nobody holds it after the start-up.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmSplash"));
    setFont(platform::formFont(8));
    setFixedSize(601, 423);
    platform::setControlColor(this, platform::windowColor());

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(0, 0, 601, 423);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 6);
    layout->setSpacing(4);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(591, 340);
    Image1->setPixmap(QPixmap(QStringLiteral(":/dialogs/splash.bmp")));
    layout->addWidget(Image1, 0, Qt::AlignHCenter);

    Label1 = new QLabel(QStringLiteral("Fendrix Professional"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(platform::formFontPixels(27, true));
    Label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label1);

    Label2 = new QLabel(QStringLiteral("Braxholm Software"), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label2);
    layout->addStretch(1);

    for (QLabel* control : { Image1, Label1, Label2 })
        platform::controlEvents(control).onClick = [this](QObject*) { Image1Click(); };

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kDisplayTimeMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmSplash::Timer1Timer);
    Timer1->start();
}

void TfrmSplash::Timer1Timer()
{
    close();
}

void TfrmSplash::Image1Click()
{
    close();
}
