#include "ui/dialogs/about.h"

#include "model/globals.h"
#include "platform/qt/application.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/desktop.h"
#include "ui/dialogs/resources.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <exception>

QString HomePageAddress()
{
    return QStringLiteral(FENDRIX_HOME_PAGE);
}

TfrmSFAbout::TfrmSFAbout(QWidget* owner)
    : QDialog(owner)
{
    initDialogResources();
    setObjectName(QStringLiteral("frmSFAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFont(platform::formFont(8));
    setFixedSize(390, 227);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setPixmap(QPixmap(QStringLiteral(":/dialogs/fendrix.png")));
    icon->setGeometry(24, 24, 64, 64);

    Label1 = new QLabel(QStringLiteral("Fendrix Professional"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(platform::formFontPixels(19, true));
    Label1->setGeometry(104, 30, 270, 26);

    Label3 = new QLabel(QStringLiteral("Version 1.0"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(104, 62, 270, 18);

    Label2 = new QLabel(QStringLiteral("Braxholm Software \u2013 visit our website"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setCursor(Qt::PointingHandCursor);
    platform::setFontColor(Label2, platform::colorFromBgr(platform::clBlue));
    QFont linkFont = Label2->font();
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    Label2->setGeometry(16, 190, 240, 18);
    Label2->setToolTip(HomePageAddress());
    platform::controlEvents(Label2).onClick = [this](QObject*) { Label2Click(); };

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 176, 374, 4);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setGeometry(300, 188, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TfrmSFAbout::FormCreate()
{
    QString version;
    try {
        version = QString::fromStdString(GetAppVersionString());
    } catch (const std::exception&) {
        // A program built without its version stamp still opens its About box.
        version = QStringLiteral("?");
    }
    Label3->setText(QStringLiteral("Version ") + version);
}

void TfrmSFAbout::Label2Click()
{
    OpenThroughDesktop(HomePageAddress(), this);
}

void ShowAbout(QWidget* owner)
{
    TfrmSFAbout box(owner ? owner : QApplication::activeWindow());
    box.exec();
}
