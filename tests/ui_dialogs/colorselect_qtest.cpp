// The colour and hatch dialog: list index and brush style, the preview, the colour dialog, OK and
// Cancel.
#include "platform/qt/controls.h"
#include "ui/dialogs/colorselect.h"

#include "dialogtesting.h"

#include <QColorDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace dialogtesting;

namespace {

constexpr std::int32_t kOlive = 0x408080; // $00BBGGRR: red 0x80, green 0x80, blue 0x40

QSet<QRgb> colours(const QImage& image)
{
    QSet<QRgb> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            found.insert(image.pixel(x, y) & 0xFFFFFFu);
    return found;
}

// Accepts the colour dialog on `color` once it is open.
void acceptColorDialog(TfrmColorSelect& dialog, const QColor& color)
{
    QTimer::singleShot(0, &dialog, [&dialog, color] {
        QVERIFY(dialog.CD->isVisible());
        QVERIFY(dialog.CD->testOption(QColorDialog::DontUseNativeDialog));
        dialog.CD->setCurrentColor(color);
        dialog.CD->accept();
    });
}

} // namespace

class ColorSelectTest : public QObject {
    Q_OBJECT

private slots:
    void listIndexAndBrushStyle()
    {
        const TBrushStyle byIndex[]
            = { bsSolid, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
        for (int index = 0; index < 7; ++index) {
            QCOMPARE(IndexToBrushStyle(index), byIndex[index]);
            QCOMPARE(BrushStyleToIndex(byIndex[index]), index);
        }
        QCOMPARE(IndexToBrushStyle(-1), bsSolid);
        QCOMPARE(BrushStyleToIndex(bsClear), 0);
        QCOMPARE(BrushStyleToIndex(static_cast<TBrushStyle>(200)), 0);

        // The hatch patterns are the window system's: forward diagonal runs down to the right.
        QCOMPARE(QtBrushStyle(bsFDiagonal), Qt::FDiagPattern);
        QCOMPARE(QtBrushStyle(bsBDiagonal), Qt::BDiagPattern);
        QCOMPARE(QtBrushStyle(bsClear), Qt::NoBrush);
        QImage sample(8, 8, QImage::Format_RGB32);
        sample.fill(Qt::white);
        QPainter(&sample).fillRect(sample.rect(), QBrush(Qt::black, QtBrushStyle(bsFDiagonal)));
        int diagonal = 0;
        for (int i = 0; i < 8; ++i)
            diagonal += sample.pixel(i, i) == qRgb(0, 0, 0) ? 1 : 0;
        QCOMPARE(diagonal, 8);
    }

    void opensOnTheLayersColourAndHatch()
    {
        TfrmColorSelect dialog(kOlive, bsCross);
        QCOMPARE(IndexToBrushStyle(dialog.cmbBrushStyle->currentIndex()), bsCross);
        QVERIFY(dialog.Button2->isDefault());
        // Black hatch lines on the colour.
        const QSet<QRgb> shown = colours(dialog.Preview());
        QCOMPARE(shown, QSet<QRgb>({ 0x808040u, 0x000000u }));
    }

    void clearHatchOpensAsSolidAndStaysClear()
    {
        std::int32_t color = kOlive;
        TBrushStyle hatch = bsClear;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmColorSelect*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->cmbBrushStyle->currentIndex(), 0);
            QCOMPARE(colours(dialog->Preview()), QSet<QRgb>({ 0x808040u })); // plain colour
            dialog->Button2->click();
        });
        QVERIFY(ShowColorSelect(color, hatch));
        QCOMPARE(hatch, bsClear);
        QCOMPARE(color, kOlive);

        // Choosing an entry replaces it.
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmColorSelect*>(modal);
            QVERIFY(dialog);
            pickItem(dialog->cmbBrushStyle, 4);
            QCOMPARE(colours(dialog->Preview()), QSet<QRgb>({ 0x808040u, 0x000000u }));
            dialog->Button2->click();
        });
        QVERIFY(ShowColorSelect(color, hatch));
        QCOMPARE(hatch, bsBDiagonal);

        // Back to "Solid": a plain preview again, stored as solid.
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmColorSelect*>(modal);
            QVERIFY(dialog);
            pickItem(dialog->cmbBrushStyle, 0);
            QCOMPARE(colours(dialog->Preview()), QSet<QRgb>({ 0x808040u }));
            dialog->Button2->click();
        });
        QVERIFY(ShowColorSelect(color, hatch));
        QCOMPARE(hatch, bsSolid);
    }

    void colourDialogChoiceIsKeptOnlyOnOk()
    {
        std::int32_t color = kOlive;
        TBrushStyle hatch = bsHorizontal;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmColorSelect*>(modal);
            QVERIFY(dialog);
            acceptColorDialog(*dialog, QColor(255, 0, 0));
            dialog->Button1->click();
            QCOMPARE(dialog->Color(), std::int32_t(0x0000FF));
            QVERIFY(colours(dialog->Preview()).contains(0xFF0000u));
            pickItem(dialog->cmbBrushStyle, 6);
            dialog->Button3->click();
        });
        QVERIFY(!ShowColorSelect(color, hatch));
        QCOMPARE(color, kOlive);
        QCOMPARE(hatch, bsHorizontal);

        // Cancelling the colour dialog changes nothing either.
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmColorSelect*>(modal);
            QVERIFY(dialog);
            QTimer::singleShot(0, dialog, [dialog] { dialog->CD->reject(); });
            dialog->Button1->click();
            QCOMPARE(dialog->Color(), kOlive);
            acceptColorDialog(*dialog, QColor(0, 0, 255));
            dialog->Button1->click();
            dialog->Button2->click();
        });
        QVERIFY(ShowColorSelect(color, hatch));
        QCOMPARE(color, std::int32_t(0xFF0000)); // blue is $00FF0000
        QCOMPARE(hatch, bsHorizontal);
    }

    void listShowsPatternSamples()
    {
        QImage item(60, 16, QImage::Format_RGB32);
        QPalette palette;
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
        {
            QPainter painter(&item);
            TBrushStyleCombo::DrawItem(painter, item.rect(), 0, false, palette);
        }
        // Solid: a black bar inset 5 pixels across and 1 down, on the list's background.
        QCOMPARE(item.pixel(4, 8), qRgb(255, 255, 255));
        QCOMPARE(item.pixel(5, 8), qRgb(0, 0, 0));
        QCOMPARE(item.pixel(54, 8), qRgb(0, 0, 0));
        QCOMPARE(item.pixel(55, 8), qRgb(255, 255, 255));
        QCOMPARE(item.pixel(20, 0), qRgb(255, 255, 255));
        QCOMPARE(item.pixel(20, 1), qRgb(0, 0, 0));
        {
            QPainter painter(&item);
            TBrushStyleCombo::DrawItem(painter, item.rect(), 2, true, palette);
        }
        // Vertical lines on the highlight when selected.
        QCOMPARE(item.pixel(2, 8), qRgb(0, 0, 200));
        const QSet<QRgb> inside = colours(item.copy(5, 1, 50, 14));
        QCOMPARE(inside, QSet<QRgb>({ 0x000000u, 0x0000C8u }));
    }

    void listNamesNoText()
    {
        // The closed list shows the selected sample, not its name.
        TfrmColorSelect dialog(kOlive, bsSolid);
        QVERIFY(showActive(&dialog));
        const QImage shot = dialog.cmbBrushStyle->grab().toImage();
        int black = 0;
        for (int x = 0; x < shot.width(); ++x)
            black += (shot.pixel(x, shot.height() / 2) & 0xFFFFFFu) == 0 ? 1 : 0;
        QVERIFY2(black > shot.width() / 2, qPrintable(QString::number(black)));
    }
};

QTEST_MAIN(ColorSelectTest)
#include "colorselect_qtest.moc"
