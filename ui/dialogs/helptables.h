#pragma once
// The help beside the pile inputs: lists of suggested coefficients (by the button's Tag 1 or 2)
// and the reference charts shown enlarged (Tag 101 and 102).
#include <QImage>
#include <QString>

class TfrmComputations;
class QWidget;

// Tags of the help buttons.
constexpr int kHelpInterfaceTag = 1; // PhiS / Phi by pile and soil interface
constexpr int kHelpPileTypeTag = 2; // K / K0 by pile type
constexpr int kHelpOcrChartTag = 101;
constexpr int kHelpSuSigmaVChartTag = 102;

// Caption, columns and rows of the help list of a Tag 1 or 2; any other Tag adds nothing.
void FillHelpTable(TfrmComputations& Form, int Tag);
// Opens the help list of a Tag modally over owner and frees it (a Tag without a list opens the
// window empty).
void ShowHelpTable(int Tag, QWidget* owner = nullptr);

// The reference chart of a help button (Tag 101: overconsolidation ratio against normalized
// undrained strength and against SPT N; Tag 102: normalized undrained strength against
// overconsolidation ratio), drawn at the given size; a null image for any other Tag.
QImage HelpPicture(int Tag, const QSize& size = QSize(900, 640));

// The maker's page about its bored-pile product, opened from the warning on the Pile Properties
// tab.
QString BoredPilePageAddress();
