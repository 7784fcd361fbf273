// The drawings beyond what the picture baselines hold: value texts, the pile kept clear of the
// layer fills and the fills inside the soil box, text placement, joints, the section sketches in
// cases the baseline projects do not reach (user-defined pipe, bar counts, thin ties, callouts),
// and the baselines themselves.
#include "picturebaseline.h"
#include "results/diagramdraw.h"
#include "resultstest.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMap>
#include <QtTest>

#include <cmath>
#include <tuple>
#include <utility>

namespace {

const QColor kSteel(191, 0, 0);
const QColor kConcrete(192, 192, 192);
const QColor kTie(128, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

QImage draw(const TLPData& data, TDiagramKind kind, int w, int h)
{
    QImage bitmap(w, h, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    TDiagramDraw::DrawToBitmap(bitmap, data, kind);
    return bitmap;
}

// 8-connected groups of pixels that pass `keep` inside the rectangle.
template <typename Keep> int countBlobs(const QImage& image, const QRect& area, Keep keep)
{
    const QRect r = area.intersected(image.rect());
    std::vector<char> seen(std::size_t(image.width()) * image.height(), 0);
    int blobs = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const std::size_t i = std::size_t(y) * image.width() + x;
            if (seen[i] || !keep(x, y))
                continue;
            ++blobs;
            std::vector<QPoint> stack { QPoint(x, y) };
            seen[i] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.x() + dx, ny = p.y() + dy;
                        if (!r.contains(nx, ny))
                            continue;
                        const std::size_t j = std::size_t(ny) * image.width() + nx;
                        if (!seen[j] && keep(nx, ny)) {
                            seen[j] = 1;
                            stack.emplace_back(nx, ny);
                        }
                    }
            }
        }
    return blobs;
}

bool allWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite.rgb())
                return false;
    return true;
}

// The text width of "XXXX" at the drawing's font size.
int columnWidth(const TLPData& data, int fontSize)
{
    TDiagramDraw probe(data);
    probe.Canvas().SetFontHeight(fontSize);
    return probe.Canvas().TextWidth(QStringLiteral("XXXX"));
}

// LayoutFaults of a soil profile drawn at the bitmap's size. The pile length's text (the one
// written upward) stands on the pile, on its own background, over the pile's outline and the
// lines the pile covers.
QStringList profileLayoutFaults(TDiagramDraw& d)
{
    const int M = d.Margin();
    const auto onPile = [&](const TDiagramDraw::TPlacedText& text, const platform::TDrawnLine& line) {
        const int pen = (line.Width + 1) / 2;
        const QRect stroke
            = QRect(line.Line.p1(), line.Line.p2()).normalized().adjusted(-pen, -pen, pen, pen);
        const QRect part = stroke.intersected(text.Box.adjusted(-pen, -pen, pen, pen));
        return text.Box.height() > text.Box.width()
            && std::any_of(d.PileRects().begin(), d.PileRects().end(),
                [&](const QRect& pile) { return pile.adjusted(-M, -M, M, M).contains(part); });
    };
    return LayoutFaults(d.PlacedTexts, d.Canvas().Lines, d.Bitmap.rect(), d.Covered, onPile);
}

} // namespace

class DiagramTest : public QObject {
    Q_OBJECT
private slots:
    // Texts are compared with ".": the cases of another locale set it themselves.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void valueTexts();
    void pileStaysClearOfLayerFills();
    void bandsTakeTheirOwnColours();
    void thinLayersAlternateColumns();
    void textsKeepApartAndInside();
    void sectionTextsStandClear();
    void jointLinesOnlyWherePileChanges();
    void raisedCharacters();
    void measuresFollowTheFont();
    void zeroLengthGivesBlankPicture();
    void drawToImageAndUnknownKind();
    void narrowFlangeWidthTextStandsOutside();
    void pipeSection();
    void roundCoverLeaderIsTicked();
    void pileWidthDimensionSpansThePile();
    void rectangularSectionBars();
    void thinTieStillDrawn();
    void noStructuralDesignIsBlank();
    void pileDescriptionNamesTheChosenSection();
    void drawnAtTheDevicePixels();
    void picturesMatchBaseline();
};

void DiagramTest::valueTexts()
{
    QCOMPARE(TDiagramDraw::FormatValue(2, QStringLiteral("ft"), 30), QStringLiteral("30 ft"));
    QCOMPARE(TDiagramDraw::FormatValue(2, QStringLiteral("ft"), 2.50L), QStringLiteral("2.5 ft"));
    QCOMPARE(TDiagramDraw::FormatValue(3, QString(), 12.5L), QStringLiteral("12.5"));
    QCOMPARE(TDiagramDraw::FormatValue(2, QString(), 10), QStringLiteral("10"));
    QCOMPARE(TDiagramDraw::FormatValue(0, QStringLiteral("kips"), 150), QStringLiteral("150 kips"));
    QCOMPARE(TDiagramDraw::FormatValue(1, QString(), 1.04L), QStringLiteral("1"));
    QCOMPARE(TDiagramDraw::FormatValue(3, QStringLiteral("in"), 0.375L), QStringLiteral("0.375 in"));
    // Eight significant digits bound the decimals.
    QCOMPARE(TDiagramDraw::FormatValue(4, QString(), 12345.6789L), QStringLiteral("12345.679"));
    QCOMPARE(TDiagramDraw::FormatValue(2, QString(), std::numeric_limits<Extended>::quiet_NaN()),
        QStringLiteral("N.A."));
    // A German desktop: the decimal comma, trailing zeros trimmed all the same.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(TDiagramDraw::FormatValue(2, QStringLiteral("ft"), 30), QStringLiteral("30 ft"));
    QCOMPARE(TDiagramDraw::FormatValue(2, QStringLiteral("ft"), 2.50L), QStringLiteral("2,5 ft"));
    QCOMPARE(TDiagramDraw::FormatValue(4, QString(), 12345.6789L), QStringLiteral("12345,679"));
    QCOMPARE(TDiagramDraw::FormatByTag(1, 12.5L), QStringLiteral("12,50"));
}

void DiagramTest::pileStaysClearOfLayerFills()
{
    for (TPileInterface face : { piRoughConcrete, piRoughSteel, piTimber }) {
        auto data = LoadDemo(kUnitsUS);
        data->Interface = face;
        data->StructuralDesign = false;
        data->Width = data->Width2 = 8; // wide enough to look inside
        data->Calculate();
        const int W = 600, H = 800;
        TDiagramDraw d(*data);
        d.Bitmap = QImage(W, H, QImage::Format_RGB32);
        QVERIFY(d.Draw(dkSoilProfile));
        const QImage& image = d.Bitmap;
        const auto onText = [&](int x, int y) {
            return std::any_of(d.PlacedTexts.begin(), d.PlacedTexts.end(),
                [&](const TDiagramDraw::TPlacedText& t) { return t.Box.contains(x, y); });
        };
        const int FS = 20, M = 4, T = 3 * FS + 10;
        const double scale = double(H - FS - T) / double(data->PileLength);
        const int h = int(RoundHalfEven(double(data->Width) * scale / 2));
        const int cx = W / 2;
        // Inside the pile, away from its outline, texts and dimensions, only white and black.
        int black = 0;
        for (int i = 0; i < data->Layers.Count(); ++i) {
            const TLayer& layer = *data->Layers[i];
            const int y0 = T + int(double(layer.Top()) * scale) + 4 * FS;
            const int y1 = T + int(double(layer.Bottom()) * scale) - M;
            for (int y = y0; y < y1; ++y)
                for (int x = cx - h + M + 1; x < cx + h - M; ++x) {
                    if (std::abs(x - cx) < 12 || onText(x, y))
                        continue; // the pile-length dimension runs down the centre line
                    const QColor c = Pixel(image, x, y);
                    QVERIFY2(c == kWhite || c == kBlack,
                        qPrintable(QStringLiteral("pile pixel %1,%2 is %3").arg(x).arg(y).arg(c.name())));
                    black += c == kBlack;
                }
        }
        QVERIFY(black > 0); // the hatch is there
    }
}

// The pile length swept over its range for each baseline project, at every size the profile is
// drawn (the window's picture at the usual and the least window size, the pile page's, the
// enlarged view's, the report's). Each band's pixels are its own colour or hatch, or the ink of
// a line or text; no band's colour shows outside its band and the box; every text in a band is
// written in its contrast colour; each layer's number stands in its band; the tip's depth is
// labelled. The layer above the tip takes what the others leave of the pile, as the layer rows
// set it, so short piles leave layers below the tip.
void DiagramTest::bandsTakeTheirOwnColours()
{
    const QSize sizes[]
        = { QSize(428, 257), QSize(398, 257), QSize(342, 247), QSize(1580, 900), QSize(2160, 1440) };
    const QColor kGrey(128, 128, 128), kBlue(0, 0, 255);
    QStringList faults;
    int pictures = 0;
    QMap<int, int> columns; // the column width at each font size
    for (BaselineProject& project : BaselineProjects()) {
        TLPData& data = *project.data;
        const int count = data.Layers.Count();
        Extended others = 0;
        for (int i = 0; i + 1 < count; ++i)
            others += data.Layers[i]->Thickness;
        const bool si = data.Units == kUnitsSI;
        // Fine steps over the layers and as far again, coarser ones on to the longest pile.
        std::vector<double> lengths;
        for (double length = si ? 1.5 : 5; length <= (si ? 150 : 450);)
            lengths.push_back(std::exchange(
                length, length + (length < double(others) * 2 ? (si ? 0.15 : 0.5) : length * 0.05)));
        for (std::size_t step = 0; step < lengths.size(); ++step) {
            const double length = lengths[step];
            data.PileLength = length;
            data.Layers[count - 1]->Thickness = std::max<Extended>(Extended(length) - others, 0);
            for (const QSize size : sizes) {
                // The large pictures (each takes the time of twenty small ones) at every third step.
                if (size.width() > 1000 && step % 3 != 0)
                    continue;
                ++pictures;
                TDiagramDraw d(data);
                d.Bitmap = QImage(size, QImage::Format_RGB32);
                const bool window = size.width() < 1000;
                if (window)
                    d.Covered = QRect(size.width() - 24, 2, 22, 22);
                QVERIFY(d.Draw(dkSoilProfile));
                const QImage& image = d.Bitmap;
                const int W = size.width(), FS = d.FontSize(), M = d.Margin(), LW = d.LineWidth();
                if (!columns.contains(FS))
                    columns[FS] = columnWidth(data, FS);
                const int w = columns[FS], T = 3 * FS + 10;
                const auto yAt = [&](Extended depth) { return T + int(double(depth) * d.Scale); };
                const int B = yAt(data.PileLength);
                const QString where = QStringLiteral("\n%1 %2 %3x%4: ")
                                          .arg(QLatin1String(project.name))
                                          .arg(length)
                                          .arg(W)
                                          .arg(size.height());
                // Pixels of texts (their edges blended) and of the pile with its outline.
                std::vector<char> skip(std::size_t(W) * size.height(), 0);
                const auto mark = [&](const QRect& r) {
                    const QRect in = r.intersected(image.rect());
                    for (int y = in.top(); y <= in.bottom(); ++y)
                        std::fill_n(skip.begin() + std::ptrdiff_t(y) * W + in.left(), in.width(), 1);
                };
                // A raised character stands a quarter of a line above its text's box.
                for (const auto& t : d.PlacedTexts)
                    mark(t.Box.adjusted(-1, -1 - FS / 4, 1, 1));
                for (const QRect& r : d.PileRects())
                    mark(r.adjusted(-M, -M, M, M));
                const auto at
                    = [&](int x, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]; };
                const auto skipped = [&](int x, int y) { return skip[std::size_t(y) * W + x] != 0; };
                QList<QRgb> bandColours;
                for (int i = 0; i < count && (i == 0 || yAt(data.Layers[i]->Top()) < B); ++i) {
                    const TLayer& layer = *data.Layers[i];
                    const QColor own(
                        layer.Colour & 0xFF, (layer.Colour >> 8) & 0xFF, (layer.Colour >> 16) & 0xFF);
                    if (own != kWhite && own != kBlack && own != kBlue)
                        bandColours << own.rgb();
                    // The last band drawn reaches the tip.
                    const bool last = i + 1 == count || yAt(data.Layers[i + 1]->Top()) >= B;
                    const int top = yAt(layer.Top()), bottom = last ? B : yAt(layer.Bottom());
                    const QString band = where + QStringLiteral("L%1 ").arg(i + 1);
                    int foreign = 0;
                    const QRgb allowed[] = { own.rgb(), kBlack.rgb(), kBlue.rgb(),
                        layer.Hatch != bsSolid ? kGrey.rgb() : own.rgb() };
                    for (int y = top + LW + 1; y < bottom - LW; ++y) {
                        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                        for (int x = 2 * w + M + 1; x < W - 2 * w - M; ++x) {
                            const QRgb c = line[x];
                            if (std::find(std::begin(allowed), std::end(allowed), c) == std::end(allowed)
                                && !skipped(x, y) && !foreign++)
                                faults << band
                                        + QStringLiteral("%1 at %2,%3").arg(QColor(c).name()).arg(x).arg(y);
                        }
                    }
                    // Texts inside the band are written in the contrast colour of its fill.
                    const QColor ink = TDiagramDraw::ContrastTextColour(own);
                    for (const auto& t : d.PlacedTexts) {
                        const QRect& box = t.Box;
                        if (box.top() <= top + LW || box.bottom() >= bottom - LW || box.left() <= 2 * w + M
                            || box.right() >= W - 2 * w - M || t.Text.trimmed().isEmpty())
                            continue;
                        bool inked = false;
                        for (int y = box.top(); y <= box.bottom() && !inked; ++y)
                            for (int x = box.left(); x <= box.right() && !inked; ++x)
                                inked = 2 * std::abs(QColor(at(x, y)).lightness() - ink.lightness())
                                    < std::abs(own.lightness() - ink.lightness());
                        if (!inked)
                            faults << band + t.Text + QStringLiteral(" is not written");
                    }
                    // A band two lines high names its soil.
                    if (bottom - top > 2 * FS
                        && std::none_of(d.PlacedTexts.begin(), d.PlacedTexts.end(), [&](const auto& t) {
                               return t.Box.top() > top && t.Box.bottom() < bottom && t.Box.left() > W / 2
                                   && t.Box.right() < W - 2 * w;
                           }))
                        faults << band + QStringLiteral("no names");
                    // The layer's number in its band: wholly where the band is a line high; a
                    // thinner band's may be left out where the numbers crowd.
                    const QString number = QStringLiteral("L%1").arg(i + 1);
                    const auto label = std::find_if(d.PlacedTexts.begin(), d.PlacedTexts.end(),
                        [&](const auto& t) { return t.Text == number; });
                    const bool inside = label == d.PlacedTexts.end()
                        ? bottom - top < FS
                        : (bottom - top >= FS
                                ? label->Box.top() >= top && label->Box.bottom() <= bottom
                                : std::abs(label->Box.center().y() - (top + bottom) / 2) <= FS / 4);
                    if (!inside)
                        faults << band + QStringLiteral("number outside its band");
                }
                // The depths beside the box are written in black.
                for (const auto& t : d.PlacedTexts) {
                    const QRect& box = t.Box;
                    if (box.left() <= W - 2 * w + M || box.width() < box.height())
                        continue;
                    bool inked = false;
                    for (int y = box.top(); y <= box.bottom() && !inked; ++y)
                        for (int x = box.left(); x <= std::min(box.right(), W - 1) && !inked; ++x)
                            inked = QColor(at(x, y)).lightness() < 96;
                    if (!inked)
                        faults << where + t.Text + QStringLiteral(" is not written");
                }
                const QString tip = TDiagramDraw::FormatByTag(1, data.PileLength);
                if (std::none_of(d.PlacedTexts.begin(), d.PlacedTexts.end(), [&](const auto& t) {
                        return t.Text == tip && std::abs(t.Box.center().y() - B) <= FS / 4;
                    }))
                    faults << where + QStringLiteral("no depth at the tip");
                for (const QString& fault : profileLayoutFaults(d))
                    faults << where + fault;
                // Outside the box no band's colour.
                mark(QRect(QPoint(2 * w - M, T - M), QPoint(W - 2 * w + M, B + M)));
                for (int y = 0; y < size.height(); ++y) {
                    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                    for (int x = 0; x < W; ++x)
                        if (!skipped(x, y) && bandColours.contains(line[x])) {
                            faults << where + QStringLiteral("a fill at %1,%2").arg(x).arg(y);
                            y = size.height();
                            break;
                        }
                }
                if (faults.size() > 12)
                    QFAIL(qPrintable(faults.join(QString())));
            }
        }
    }
    qInfo("%d pictures checked", pictures);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QString())));
}

namespace {

// Whether any pixel of the rectangle is darker than a light grey (text ink).
bool inked(const QImage& image, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.rect().contains(x, y) && Pixel(image, x, y).lightness() < 160)
                return true;
    return false;
}

} // namespace

void DiagramTest::thinLayersAlternateColumns()
{
    auto data = LoadDemo(kUnitsUS);
    // 10 ft, then three 1-ft layers (17 px each at this size, under the 20-px font), a 1.5-ft
    // layer (between one and two font heights), and the rest.
    const Extended thickness[] = { 10, 1, 1, 1, 1.5L, 25.5L };
    data->Layers.Clear();
    for (Extended t : thickness) {
        TLayer* layer = data->Layers.AddLayer();
        layer->MatType = lpmtGranularSoil;
        layer->USCS = lpusSP;
        layer->Consistency = lpconDense;
        layer->Thickness = t;
        layer->Colour = 0xFFFFFF; // white fills: only texts and lines leave ink
        layer->Hatch = bsSolid;
    }
    data->Calculate();
    const int W = 600, H = 800, FS = 20, M = 4, T = 3 * FS + 10;
    const QImage image = draw(*data, dkSoilProfile, W, H);
    const int w = columnWidth(*data, FS);
    const double scale = double(H - FS - T) / double(data->PileLength);
    const auto mid = [&](int i) {
        const TLayer& l = *data->Layers[i];
        return T + int(double(l.Top() + l.Thickness / 2) * scale);
    };
    const auto column = [&](int x, int i) { return QRect(x + 2, mid(i) - 4, w - 4, 9); };
    // Layer 2 is thin: its number in column 0; layer 3 follows a thin one: column w; layer 4 thin.
    QVERIFY(inked(image, column(0, 1)));
    QVERIFY(!inked(image, column(w, 1)));
    QVERIFY(inked(image, column(w, 2)));
    QVERIFY(!inked(image, column(0, 2)));
    QVERIFY(inked(image, column(0, 3)));
    // The depth of a thin layer moves to the outer column.
    const int yb = T + int(double(data->Layers[1]->Bottom()) * scale);
    QVERIFY(inked(image, QRect(W - w + M + 2, yb - 4, w - 6, 9)));
    // The 1.5-ft layer has its number but no soil texts; the thick layers have them.
    const auto soilTexts = [&](int i) {
        const TLayer& l = *data->Layers[i];
        const int top = T + int(double(l.Top()) * scale) + 3;
        const int bottom = T + int(double(l.Bottom()) * scale) - 3;
        return inked(image, QRect(QPoint(2 * w + M + 4, top), QPoint(W / 2 - 30, bottom)));
    };
    QVERIFY(inked(image, column(w, 4)));
    QVERIFY(!soilTexts(4));
    QVERIFY(soilTexts(0));
    QVERIFY(soilTexts(5));
}

// For each demo project and pile shape, at the sizes the window (its picture at the usual and at
// the least window size, the pile page's), the report and the enlarged view draw them: the
// profile's texts keep the layout rules and off the pile (only the pile length's text stands
// along the pile), for a concrete and a steel pile.
void DiagramTest::textsKeepApartAndInside()
{
    QStringList faults;
    for (BaselineProject& project : BaselineProjects()) {
        if (!QByteArray(project.name).startsWith("demo"))
            continue;
        TLPData& data = *project.data;
        for (TPileShape shape : { psSquare, psCircle, psRectangle, psOctagon })
            for (TPileInterface face : { piRoughConcrete, piRoughSteel }) {
                ReshapePile(data, shape, face);
                for (QSize size : { QSize(428, 257), QSize(398, 257), QSize(342, 247), QSize(1580, 900) }) {
                    TDiagramDraw d(data, size);
                    if (size.width() < 1000)
                        d.Covered = QRect(size.width() - 24, 2, 22, 22);
                    QVERIFY(d.Draw(dkSoilProfile));
                    QVERIFY(d.PlacedTexts.size() > 10);
                    const QString where = QStringLiteral("\n%1 shape %2 face %3 %4x%5: ")
                                              .arg(QLatin1String(project.name))
                                              .arg(int(shape))
                                              .arg(int(face))
                                              .arg(size.width())
                                              .arg(size.height());
                    for (const QString& fault : profileLayoutFaults(d))
                        faults << where + fault;
                    for (const auto& text : d.PlacedTexts)
                        for (const QRect& pile : d.PileRects())
                            if (text.Box.width() >= text.Box.height() && text.Box.intersects(pile))
                                faults << where + text.Text + QStringLiteral(" lies on the pile");
                }
            }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 12).join(QString())));
}

// Every section sketch, at the sizes the window draws it (the least window's and larger ones,
// with the zoom button over the top-right corner), the enlarged view's and the report's, for each
// baseline project and pile shape: concrete with each bar arrangement, ties and spirals, and steel
// sections from the smallest to the largest. No text reaches the picture's edge, lies under the
// zoom button, meets another or is struck by a line.
void DiagramTest::sectionTextsStandClear()
{
    const struct {
        QSize size;
        bool window;
    } sizes[] = { { QSize(166, 247), true }, { QSize(382, 247), true }, { QSize(682, 600), true },
        { QSize(1580, 900), false }, { QSize(1440, 960), false }, { QSize(720, 960), false } };
    QStringList faults;
    int drawn = 0;
    const auto check = [&](TLPData& data, TDiagramKind kind, const QString& what) {
        for (const auto& [size, window] : sizes) {
            TDiagramDraw d(data, size);
            if (window)
                d.Covered = QRect(size.width() - 24, 2, 22, 22);
            QVERIFY(d.Draw(kind));
            ++drawn;
            if (d.PlacedTexts.size() < 2)
                faults << QStringLiteral("\n%1 %2x%3: %4 texts")
                              .arg(what)
                              .arg(size.width())
                              .arg(size.height())
                              .arg(d.PlacedTexts.size());
            for (const QString& fault :
                LayoutFaults(d.PlacedTexts, d.Canvas().Lines, QRect(QPoint(0, 0), size), d.Covered))
                faults << QStringLiteral("\n%1 %2x%3: %4")
                              .arg(what)
                              .arg(size.width())
                              .arg(size.height())
                              .arg(fault);
        }
    };
    for (BaselineProject& project : BaselineProjects()) {
        TLPData& data = *project.data;
        const auto tieType = data.TieType;
        const auto barCount = data.BarCount;
        for (TPileShape shape : { psSquare, psCircle, psRectangle, psOctagon }) {
            const QString name
                = QStringLiteral("%1 shape %2").arg(QLatin1String(project.name)).arg(int(shape));
            ReshapePile(data, shape, piRoughConcrete);
            for (auto tie : { kTieTypeTie, kTieTypeSpiral })
                for (int bars : { 4, 6, 7, 8, 10, 12, 16 }) {
                    data.TieType = tie;
                    data.BarCount = bars;
                    check(
                        data, dkConcreteSection, name + QStringLiteral(" tie %1 bars %2").arg(tie).arg(bars));
                }
            data.TieType = tieType;
            data.BarCount = barCount;
            ReshapePile(data, shape, piRoughSteel);
            const int sections
                = int(data.UsesIShape() ? data.GetIShapes().size() : data.GetPipeShapes().size());
            for (int k = 0; k < 5; ++k) {
                data.SelectSection(k * (sections - 1) / 4);
                check(data, data.UsesIShape() ? dkWSection : dkPipeSection,
                    name + QStringLiteral(" section %1").arg(k * (sections - 1) / 4));
            }
            if (QTest::currentTestFailed())
                return;
        }
    }
    QVERIFY(drawn > 1000);
    QVERIFY2(
        faults.isEmpty(), qPrintable(QString::number(faults.size()) + faults.mid(0, 30).join(QString())));
}

void DiagramTest::jointLinesOnlyWherePileChanges()
{
    auto data = LoadDemo(kUnitsUS);
    data->Width = data->Width2 = 6;
    data->CalcAreaAndPerimeter();
    data->Calculate();
    const int W = 600, H = 800, FS = 20, T = 3 * FS + 10;
    const double scale = double(H - FS - T) / double(data->PileLength);
    const int h = int(RoundHalfEven(6 * scale / 2));
    const int cx = W / 2;
    const auto fullBlackRow = [&](const QImage& image, int yAround) {
        for (int y = yAround - 3; y <= yAround + 3; ++y) {
            bool all = true;
            for (int x = cx - h + 4; x < cx + h - 4 && all; ++x)
                all = std::abs(x - cx) < 14 || Pixel(image, x, y) == kBlack;
            if (all)
                return true;
        }
        return false;
    };
    const auto boundary = [&](int i) { return T + int(double(data->Layers[i]->Bottom()) * scale); };
    // A layer with a pile of its own: joints above and below it, none between layers that share
    // the pile (as in every baseline profile).
    TLayer& own = *data->Layers[2];
    own.UsePileDefaults = false;
    own.OwnWidth = own.OwnWidth2 = 5;
    own.OwnInterface = data->Interface;
    own.OwnShape = data->Shape;
    own.OwnE = data->E;
    own.OwnI = data->I;
    own.OwnArea = data->Area;
    QVERIFY(!own.SamePileAsPrevious());
    const QImage image = draw(*data, dkSoilProfile, W, H);
    QVERIFY(!fullBlackRow(image, boundary(0)));
    QVERIFY(fullBlackRow(image, boundary(1)));
}

void DiagramTest::raisedCharacters()
{
    const auto data = LoadDemo(kUnitsUS);
    const auto inkTop = [&](const QString& text) {
        TDiagramDraw d(*data);
        d.Bitmap.fill(Qt::white);
        d.Canvas().SetFontHeight(40);
        d.TextOutSup(10, 50, text);
        // Topmost inked row right of the "m".
        const int from = 10 + d.Canvas().TextWidth(QStringLiteral("kN/m"));
        for (int y = 0; y < d.Bitmap.height(); ++y)
            for (int x = from; x < from + 40; ++x)
                if (Pixel(d.Bitmap, x, y).lightness() < 128)
                    return y;
        return -1;
    };
    const int plain = inkTop(QStringLiteral("kN/m3"));
    const int raised = inkTop(QStringLiteral("kN/m^3"));
    QVERIFY(plain > 0 && raised > 0);
    // Raised by a quarter of the height of "X" (about 11 pixels of a 40-pixel line).
    QVERIFY2(plain - raised >= 8 && plain - raised <= 14, qPrintable(QString::number(plain - raised)));
}

void DiagramTest::measuresFollowTheFont()
{
    // Widths and font sizes are remembered from one drawing to the next: each answer still
    // belongs to the font it was asked for. The second round is answered from the first's.
    const auto data = LoadDemo(kUnitsUS);
    const QString text = QStringLiteral("Granular Soil");
    QMap<int, int> pixelSizes;
    for (int round = 0; round < 2; ++round) {
        for (int height : { 10, 20, 13 }) {
            TDiagramDraw d(*data);
            TDrawCanvas& c = d.Canvas();
            c.SetFontHeight(height);
            if (round == 0)
                pixelSizes[height] = c.Font.pixelSize();
            QCOMPARE(c.Font.pixelSize(), pixelSizes[height]);
            QCOMPARE(c.TextWidth(text), QFontMetrics(c.Font).horizontalAdvance(text));
            c.Font.setBold(true);
            QCOMPARE(c.TextWidth(text), QFontMetrics(c.Font).horizontalAdvance(text));
            c.SetFontHeight(height);
            QVERIFY(QFontMetrics(c.Font).height() <= height + 1);
        }
    }
    QVERIFY(pixelSizes[10] < pixelSizes[13] && pixelSizes[13] < pixelSizes[20]);
}

void DiagramTest::zeroLengthGivesBlankPicture()
{
    auto data = LoadDemo(kUnitsUS);
    data->PileLength = 0;
    QImage bitmap(300, 200, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    TDiagramDraw::DrawToBitmap(bitmap, *data, dkSoilProfile);
    QCOMPARE(bitmap.size(), QSize(300, 200));
    QVERIFY(allWhite(bitmap));
}

void DiagramTest::drawToImageAndUnknownKind()
{
    const auto data = LoadDemo(kUnitsUS);
    QLabel label;
    label.resize(250, 320);
    TDiagramDraw::DrawToImage(&label, *data, dkSoilProfile);
    QCOMPARE(label.pixmap().size(), QSize(250, 320));
    QVERIFY(!allWhite(label.pixmap().toImage()));

    QImage bitmap(40, 30, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    TDiagramDraw::DrawToBitmap(bitmap, *data, TDiagramKind(9));
    QCOMPARE(bitmap.size(), QSize(40, 30));
    QCOMPARE(Pixel(bitmap, 20, 15), QColor(Qt::green));
}

void DiagramTest::narrowFlangeWidthTextStandsOutside()
{
    // A flange just too narrow for its width's text between the two arrow heads (wider than the
    // text and one head): the text goes right of the outside arrows, clear of the heads.
    auto data = SteelDemo(psSquare);
    QVERIFY(data->UsesIShape());
    TIShape& shape = data->IShape;
    shape.d = 14;
    data->Width = data->Width2 = shape.d / 12; // the section alone sets the scale
    const int W = 600, A = 16, FS = 20;
    TDiagramDraw probe(*data);
    probe.Canvas().SetFontHeight(FS);
    const int LS = probe.LineSpacing();
    const double scale = (W - 4.0 * LS) / (14.0 / 12);
    int flange = 0, tw = 0;
    for (double bf = 2; bf < 14; bf += 0.05) {
        flange = 2 * int(RoundHalfEven(bf * scale / 2 / 12));
        tw = probe.Canvas().TextWidth(
            QStringLiteral(" %1 in ").arg(TDiagramDraw::FormatValue(2, QString(), bf)));
        if (flange - tw > A + A / 2) {
            shape.bf = bf;
            break;
        }
    }
    QVERIFY(flange - tw > A && flange - tw <= 2 * A);
    TDiagramDraw d(*data);
    d.Bitmap = QImage(W, W, QImage::Format_RGB32);
    QVERIFY(d.Draw(dkWSection));
    const int cx = int(RoundHalfEven((W - 4.0 * LS) / 2)) + 2 * LS;
    const int bottom = cx + int(RoundHalfEven(14 * d.Scale / 2 / 12));
    const int fl = cx - flange / 2, fr = cx + flange / 2;
    const int y = bottom + LS;
    const auto ink = [&](int x0, int x1) {
        int n = 0;
        for (int yy = y - FS / 2; yy <= y + FS / 2; ++yy)
            for (int x = x0; x < x1; ++x)
                n += std::abs(yy - y) > 1 && Pixel(d.Bitmap, x, yy).lightness() < 128;
        return n;
    };
    // Between the flange edges only the line (and heads near the ends); the text beyond the
    // right arrow.
    QCOMPARE(ink(fl + A, fr - A), 0);
    QVERIFY(ink(fr + A, fr + A + tw) > 20);
}

void DiagramTest::pipeSection()
{
    // A user-defined pipe without an outside diameter is drawn at the pile's width (table pipes are
    // in the baselines).
    auto data = SteelDemo(psCircle);
    QVERIFY(data->UsesPipeSection());
    data->SteelInput.ConcreteFilled = true;
    data->PipeShape.OD = 0;
    data->PipeShape.tdes = data->PipeShape.tnom = 0.5L;
    const double od = double(data->Width) * 12;
    TDiagramDraw d(*data);
    d.Bitmap = QImage(600, 600, QImage::Format_RGB32);
    d.Canvas().SetFontHeight(d.FontSize());
    const int LS = d.LineSpacing();
    QVERIFY(d.Draw(dkPipeSection));
    const int c = int(RoundHalfEven((600 - 4.0 * LS) / 2)) + 2 * LS;
    const int radius = int(RoundHalfEven(od * d.Scale / 2 / 12));
    const int wall = int(RoundHalfEven(double(data->PipeShape.tdes) * d.Scale / 12));
    // The pipe fills the free area.
    QVERIFY(std::abs(2 * radius - (600 - 4 * LS)) <= 2);
    QCOMPARE(Pixel(d.Bitmap, c, c), QColor(199, 199, 199));
    QCOMPARE(Pixel(d.Bitmap, c + radius - std::max(1, wall / 2), c), kSteel);
    QCOMPARE(Pixel(d.Bitmap, c, c - radius + std::max(1, wall / 2)), kSteel);

    // A wall reaching past the centre, which only a project file can still bring, leaves no bore:
    // the pipe is steel throughout, filled or not.
    data->PipeShape.OD = 12;
    data->PipeShape.tdes = 7;
    for (bool filled : { true, false }) {
        data->SteelInput.ConcreteFilled = filled;
        TDiagramDraw solid(*data);
        solid.Bitmap = QImage(600, 600, QImage::Format_RGB32);
        QVERIFY(solid.Draw(dkPipeSection));
        const int r = int(RoundHalfEven(12 * solid.Scale / 2 / 12));
        for (int x = c - r + 2; x < c + r - 2; ++x)
            QCOMPARE(Pixel(solid.Bitmap, x, c), kSteel);
    }
}

void DiagramTest::roundCoverLeaderIsTicked()
{
    // The cover's leader runs from its frame toward the centre and ends on the tie; where it
    // meets the concrete surface and the tie, a short tick crosses it.
    auto data = LoadDemo(kUnitsUS);
    data->Shape = psCircle;
    data->Calculate();
    TDiagramDraw d(*data, QSize(600, 600));
    QVERIFY(d.Draw(dkRoundRCSection));
    const auto cover = std::find_if(d.PlacedTexts.begin(), d.PlacedTexts.end(),
        [](const TDiagramDraw::TPlacedText& t) { return t.Text.endsWith(QLatin1String(" clear")); });
    QVERIFY(cover != d.PlacedTexts.end());
    const auto& lines = d.Canvas().Lines;
    const auto leader = std::find_if(lines.begin(), lines.end(), [&](const platform::TDrawnLine& l) {
        return DistanceToBox(QLine(l.Line.p1(), l.Line.p1()), cover->Box) < 5;
    });
    QVERIFY(leader != lines.end());
    std::vector<QPoint> crossings;
    for (const platform::TDrawnLine& l : lines) {
        const QLineF a(leader->Line), b(l.Line);
        QPointF at;
        if (&l != &*leader && b.length() <= 2 * d.FontSize()
            && a.intersects(b, &at) == QLineF::BoundedIntersection)
            crossings.push_back(at.toPoint());
    }
    QCOMPARE(int(crossings.size()), 2);
    // One tick at the leader's end on the tie, one on the concrete's black outline.
    QVERIFY(ColourNear(d.Bitmap, leader->Line.x2(), leader->Line.y2(), kTie, 2));
    const QPoint surface = crossings[0] == leader->Line.p2() ? crossings[1] : crossings[0];
    QVERIFY(ColourNear(d.Bitmap, surface.x(), surface.y(), kBlack, 2));
}

void DiagramTest::pileWidthDimensionSpansThePile()
{
    // A pile much wider than its section: the width's text fits between the arrow heads, so the
    // dimension line runs across the pile from edge to edge (broken only for its text).
    // An I/H section 3 ft wide and 1.5 ft deep, a pipe 3 ft across.
    for (const auto& [shape, kind] :
        { std::pair { psRectangle, dkWSection }, std::pair { psOctagon, dkPipeSection } }) {
        auto data = SteelDemo(shape);
        QCOMPARE(data->UsesIShape(), kind == dkWSection);
        QCOMPARE(data->UsesPipeSection(), kind == dkPipeSection);
        data->Width = 3;
        if (kind == dkWSection)
            data->Width2 = 1.5L;
        TDiagramDraw d(*data, QSize(600, 600));
        QVERIFY(d.Draw(kind));
        const auto text = std::find_if(d.PlacedTexts.begin(), d.PlacedTexts.end(),
            [](const TDiagramDraw::TPlacedText& t) { return t.Text == QLatin1String("36 in"); });
        QVERIFY(text != d.PlacedTexts.end());
        const int y = text->Box.top() + text->Box.height() / 2;
        int from = 600, to = 0;
        for (const platform::TDrawnLine& l : d.Canvas().Lines)
            if (l.Line.y1() == y && l.Line.y2() == y) {
                from = std::min({ from, l.Line.x1(), l.Line.x2() });
                to = std::max({ to, l.Line.x1(), l.Line.x2() });
            }
        QVERIFY2(std::abs((to - from) - 2 * int(RoundHalfEven(3 * d.Scale / 2))) <= 1,
            qPrintable(QString::number(int(shape))));
        QVERIFY(from < text->Box.left() && text->Box.right() < to);
    }
}

void DiagramTest::rectangularSectionBars()
{
    const struct {
        int count;
        int drawn;
    } cases[] = { { 4, 4 }, { 6, 6 }, { 7, 4 }, { 8, 8 }, { 10, 10 }, { 12, 12 }, { 16, 4 } };
    for (const auto& k : cases) {
        auto data = LoadDemo(kUnitsUS);
        data->Shape = psRectangle;
        data->Width = 2.5L;
        data->Width2 = 2.0L;
        data->BarCount = k.count;
        data->Calculate();
        const int W = 700, H = 600;
        const QImage image = draw(*data, dkRectRCSection, W, H);
        const int w2 = 2 * columnWidth(*data, 20);
        const double scale = std::min((W - 2.0 * w2) / 2.5, (H - 80.0) / 2.0);
        const int left = W / 2 - int(RoundHalfEven(2.5 * scale / 2)),
                  right = W / 2 + int(RoundHalfEven(2.5 * scale / 2));
        const int top = H / 2 - int(RoundHalfEven(2.0 * scale / 2)),
                  bottom = H / 2 + int(RoundHalfEven(2.0 * scale / 2));
        const auto black = [&](int x, int y) { return Pixel(image, x, y) == kBlack; };
        // Inside the concrete outline (its black pen excluded).
        const QRect inside(QPoint(left + 6, top + 6), QPoint(right - 7, bottom - 7));
        QVERIFY2(countBlobs(image, inside, black) == k.drawn,
            qPrintable(QStringLiteral("%1 bars drew %2").arg(k.count).arg(countBlobs(image, inside, black))));
        QCOMPARE(Pixel(image, (left + right) / 2, (top + bottom) / 2), kConcrete);
    }
}

void DiagramTest::thinTieStillDrawn()
{
    auto data = LoadDemo(kUnitsUS);
    data->Shape = psCircle;
    data->Width = 10; // a huge pile in a small picture: the tie is far below a pixel
    data->Calculate();
    const QImage image = draw(*data, dkRoundRCSection, 200, 200);
    int tiePixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            tiePixels += Pixel(image, x, y) == kTie;
    QVERIFY(tiePixels > 20);
}

void DiagramTest::noStructuralDesignIsBlank()
{
    auto data = LoadDemo(kUnitsUS);
    data->StructuralDesign = false;
    for (TDiagramKind kind : { dkWSection, dkPipeSection, dkRoundRCSection, dkRectRCSection })
        QVERIFY(allWhite(draw(*data, kind, 200, 150)));
}

// A section chosen from the table is named by its table name; after "User Defined" is chosen and
// the section edited, the description names "User Defined" in the window's picture, the enlarged
// view and the report alike, while the record keeps the name it was copied with.
void DiagramTest::pileDescriptionNamesTheChosenSection()
{
    const auto description = [](const TLPData& data, QSize size) {
        TDiagramDraw d(data);
        d.Bitmap = QImage(size, QImage::Format_RGB32);
        d.Draw(dkSoilProfile);
        for (const auto& t : d.PlacedTexts)
            if (t.Text.startsWith(QStringLiteral("Pile: ")))
                return t.Text;
        return QString();
    };
    for (std::uint8_t units : { kUnitsUS, kUnitsSI })
        for (const auto& [shape, shapeName] :
            { std::pair { psRectangle, "Rectangle" }, std::pair { psCircle, "Circle" } }) {
            auto data = SteelDemo(shape, units);
            const bool iShape = data->UsesIShape();
            QVERIFY(iShape || data->UsesPipeSection());
            const std::string tableName = iShape ? data->IShape.Name : data->PipeShape.Name;
            QCOMPARE(description(*data, QSize(428, 257)),
                QStringLiteral("Pile: Rough Steel, %1, %2")
                    .arg(QString::fromStdString(tableName), shapeName));
            data->SelectSection(-1);
            if (iShape)
                data->IShape.d *= 1.25L;
            else
                data->PipeShape.OD *= 1.25L;
            data->Calculate();
            for (QSize size : { QSize(428, 257), QSize(1580, 900), QSize(2160, 1440) })
                QCOMPARE(description(*data, size),
                    QStringLiteral("Pile: Rough Steel, User Defined, %1").arg(shapeName));
            QCOMPARE(iShape ? data->IShape.Name : data->PipeShape.Name, tableName);
        }
}

// On a finer device the drawing is made at the device's pixels: twice the pixels at ratio 2,
// laid out as at ratio 1, its text twice as tall in pixels and sharper than one enlarged. A
// picture control takes the drawing at its own ratio (run once more at a scale of 2).
void DiagramTest::drawnAtTheDevicePixels()
{
    const auto data = LoadDemo(kUnitsUS);
    const QSize size(428, 257);
    QImage one(size, QImage::Format_RGB32), two(size * 2, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    TDiagramDraw::DrawToBitmap(one, *data, dkSoilProfile);
    TDiagramDraw::DrawToBitmap(two, *data, dkSoilProfile);
    QCOMPARE(two.size(), size * 2);
    QCOMPARE(two.devicePixelRatio(), 2.0);
    QCOMPARE(one.devicePixelRatio(), 1.0);
    // The band colours stand where they stood.
    int same = 0, compared = 0;
    for (int y = 0; y < size.height(); y += 7)
        for (int x = 0; x < size.width(); x += 7) {
            ++compared;
            same += one.pixel(x, y) == two.pixel(2 * x, 2 * y);
        }
    QVERIFY2(same > compared * 9 / 10, qPrintable(QStringLiteral("%1 of %2").arg(same).arg(compared)));
    // The layer numbers' glyphs (the first run of inked rows in their column, below the box's
    // top) twice as tall in pixels, and rows a logical pixel cannot hold (a device row unlike the
    // one below it in the same logical row).
    const int w = columnWidth(*data, 10), T = 3 * 10 + 10;
    const auto glyphHeight = [&](const QImage& image, int r) {
        int first = -1;
        for (int y = (T + 2) * r; y < image.height(); ++y) {
            bool ink = false;
            for (int x = w * r; x < 2 * w * r && !ink; ++x)
                ink = QColor(image.pixel(x, y)).lightness() < 160;
            if (ink && first < 0)
                first = y;
            if (!ink && first >= 0)
                return y - first;
        }
        return 0;
    };
    const int one1 = glyphHeight(one, 1), two2 = glyphHeight(two, 2);
    QVERIFY2(one1 >= 5 && two2 >= 2 * one1 - 2 && two2 <= 2 * one1 + 2,
        qPrintable(QStringLiteral("%1 and %2 rows").arg(one1).arg(two2)));
    int finer = 0;
    for (int y = 0; y + 1 < two.height(); y += 2)
        for (int x = 0; x < two.width(); ++x)
            finer += two.pixel(x, y) != two.pixel(x, y + 1);
    QVERIFY(finer > 100);

    QLabel label;
    label.resize(size);
    TDiagramDraw::DrawToImage(&label, *data, dkSoilProfile);
    const qreal ratio = label.devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    QCOMPARE(label.pixmap().devicePixelRatio(), ratio);
    QCOMPARE(label.pixmap().size(), (QSizeF(size) * ratio).toSize());
    if (ratio == 1)
        QCOMPARE(label.pixmap().toImage().convertToFormat(QImage::Format_RGB32), one);
}

// Every drawing at the sizes the window, the enlarged view and the report ask for, for each
// baseline project, pile shape and pile material.
void DiagramTest::picturesMatchBaseline()
{
    const QSize window(428, 257), pileTab(342, 247), section(166, 247), enlarged(1580, 900),
        reportProfile(2160, 1440), reportSection(1440, 960), reportConcrete(720, 960);
    PictureBaseline baseline(QStringLiteral("drawings.txt"));
    for (BaselineProject& project : BaselineProjects()) {
        TLPData& data = *project.data;
        for (TPileShape shape : { psSquare, psCircle, psRectangle, psOctagon }) {
            const QString prefix
                = QStringLiteral("%1/shape%2/").arg(QLatin1String(project.name)).arg(int(shape));
            const auto add = [&](const char* what, TDiagramKind kind, QSize size) {
                baseline.Add(prefix + QLatin1String(what)
                        + QStringLiteral("-%1x%2").arg(size.width()).arg(size.height()),
                    draw(data, kind, size.width(), size.height()));
            };
            ReshapePile(data, shape, piRoughConcrete);
            for (QSize size : { window, pileTab, enlarged, reportProfile })
                add("profile", dkSoilProfile, size);
            add("concrete", dkConcreteSection, section);
            add("concrete", dkConcreteSection, reportConcrete);
            ReshapePile(data, shape, piRoughSteel);
            add("steel-profile", dkSoilProfile, window);
            const TDiagramKind steel = data.UsesIShape() ? dkWSection : dkPipeSection;
            add("steel", steel, section);
            add("steel", steel, reportSection);
            ReshapePile(data, shape, piTimber);
            add("timber-profile", dkSoilProfile, window);
        }
    }
    const QStringList differ = baseline.Differences();
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char(' '))));
}

QTEST_MAIN(DiagramTest)
#include "diagram_qtest.moc"
