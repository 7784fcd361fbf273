#include "docs/document.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "model/tables.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <stdexcept>

namespace {

using docgen::Heading;
using docgen::Source;

constexpr int kDpi = 300;
constexpr qreal kMarginInches = 0.85;
constexpr qreal kFooterInches = 0.45; // from the bottom edge of the page to the footer's base line
const QColor kHeadingColour(0x1f, 0x3a, 0x5f);

qreal inches(qreal value)
{
    return value * kDpi;
}

// Points to device pixels: fonts are given in points and the writer works at kDpi.
qreal points(qreal value)
{
    return value * kDpi / 72.0;
}

QFont bodyFont()
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(10);
    return font;
}

QFont sansFont(qreal size, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(size);
    font.setBold(bold);
    return font;
}

QString fixed(Extended value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals));
}

QString nameOf(TLayerEnum type, int ordinal)
{
    return QString::fromStdString(EnumToDisplayText(type, ordinal));
}

// A Markdown table from its header and rows: columns of numbers align right, texts left.
QString table(const QStringList& header, const QList<QStringList>& rows)
{
    QString text = QStringLiteral("| ") + header.join(QStringLiteral(" | ")) + QStringLiteral(" |\n|");
    for (int col = 0; col < header.size(); ++col) {
        bool numbers = true;
        for (const QStringList& row : rows) {
            bool ok = false;
            row.value(col).toDouble(&ok);
            numbers = numbers && ok;
        }
        text += numbers ? QStringLiteral("---:|") : QStringLiteral("---|");
    }
    text += QLatin1Char('\n');
    for (const QStringList& row : rows)
        text += QStringLiteral("| ") + row.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    return text;
}

// The engineering tables the analysis reads, as the engine holds them.
void addTables(QMap<QString, QString>& v)
{
    QList<QStringList> soils;
    for (std::size_t i = 0; i < SoilDefaultsUS().size(); ++i) {
        const TSoilDefault& us = SoilDefaultsUS()[i];
        soils.append({ nameOf(TLayerEnum::MaterialType, us.MatType), nameOf(TLayerEnum::USCS, us.USCS),
            nameOf(TLayerEnum::Consistency, us.Consistency), fixed(us.SubgradeReaction, 0),
            fixed(SoilDefaultsSI()[i].SubgradeReaction, 0) });
    }
    v[QStringLiteral("soil-defaults-table")]
        = table({ QStringLiteral("Material"), QStringLiteral("USCS"), QStringLiteral("Consistency"),
                    QStringLiteral("kcf"), QStringLiteral("KN/m^3") },
            soils);

    QStringList angles { QStringLiteral("phi, degrees") };
    QStringList factors { QStringLiteral("Nq") };
    const std::span<const Extended> nq = NqTable();
    for (std::size_t i = 0; i < nq.size(); ++i) {
        angles << QString::number(25 + static_cast<int>(i));
        factors << fixed(nq[i], 1);
        if (angles.size() == 12 || i + 1 == nq.size()) {
            v[QStringLiteral("nq-table")] += table(angles, { factors }) + QLatin1Char('\n');
            angles = { QStringLiteral("phi, degrees") };
            factors = { QStringLiteral("Nq") };
        }
    }

    QList<QStringList> safety;
    for (const int life : FactorOfSafetyLifeFrom()) {
        QStringList row { QString::number(life) };
        for (int control = 0; control < 4; ++control)
            row << fixed(FactorOfSafetyFor(life, control), 1);
        safety.append(row);
    }
    v[QStringLiteral("fs-table")]
        = table({ QStringLiteral("Design life from, years"), QStringLiteral("Good"), QStringLiteral("Normal"),
                    QStringLiteral("Poor"), QStringLiteral("Very Poor") },
            safety);

    QList<QStringList> consistencies;
    for (int c = 1; c <= 12; ++c) {
        const TConsistencyProps& p = ConsistencyPropsFor(c);
        consistencies.append({ nameOf(TLayerEnum::Consistency, c), fixed(p.PoissonRatio, 2),
            fixed(p.ModulusUS, 0), fixed(p.ModulusSI, 0) });
    }
    v[QStringLiteral("consistency-table")] = table({ QStringLiteral("Consistency"), QStringLiteral("nu"),
                                                       QStringLiteral("Es, ksf"), QStringLiteral("Es, MPa") },
        consistencies);

    QList<QStringList> adhesion;
    const std::span<const TCohesionDefault> rows = CohesionTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString name = i < 7 ? nameOf(TLayerEnum::Consistency, lpconVerySoft + static_cast<int>(i))
            : i == 7               ? QStringLiteral("Siltstone Bedrock")
                                   : QStringLiteral("any other material");
        adhesion.append({ name, fixed(rows[i].Alpha, 2), fixed(rows[i].SuUS, 0), fixed(rows[i].SuSI, 0) });
    }
    v[QStringLiteral("adhesion-table")] = table({ QStringLiteral("Layer"), QStringLiteral("alpha"),
                                                    QStringLiteral("su, psf"), QStringLiteral("su, kPa") },
        adhesion);
}

// The numbers of the English-units demo project that the worked example quotes. Decimals follow
// what the program shows for each quantity (result lines, tables and the design tabs).
QMap<QString, QString> demoValues(const QString& demoFolder)
{
    TLPData d;
    d.LoadFromFile((demoFolder + QStringLiteral("/ENGLISH UNITS DEMO EXAMPLE.fdx")).toStdString());
    d.Calculate();

    QMap<QString, QString> v;
    const auto tag = [](int t) { return FieldLimitOf(t).Decimals; };
    const TNodeResult& head = d.Node(1);
    const TNodeResult& tip = d.Node(kNodeCount);

    // inputs
    v[QStringLiteral("L")] = fixed(d.PileLength, tag(1));
    v[QStringLiteral("Bin")] = fixed(d.Width * 12, 1);
    v[QStringLiteral("fc")] = fixed(d.Fc, tag(3));
    v[QStringLiteral("E")] = fixed(d.E, 1);
    v[QStringLiteral("H")] = fixed(d.LateralLoad, tag(4));
    v[QStringLiteral("M0")] = fixed(d.MomentLoad, tag(5));
    v[QStringLiteral("P")] = fixed(d.DownwardLoad, tag(38));
    v[QStringLiteral("Pw")] = fixed(d.PassiveWedge, tag(34));
    v[QStringLiteral("FSs")] = fixed(d.FSSide, tag(48));
    v[QStringLiteral("FSe")] = fixed(d.FSEnd, tag(49));
    v[QStringLiteral("OCR")] = fixed(d.OCR, tag(46));
    v[QStringLiteral("GW")] = fixed(d.Groundwater, tag(45));
    v[QStringLiteral("Area")] = fixed(d.Area, tag(30));
    v[QStringLiteral("Perimeter")] = fixed(d.Perimeter, tag(43));
    v[QStringLiteral("TipArea")] = fixed(d.TipArea, tag(44));
    v[QStringLiteral("MaterialName")] = QString::fromStdString(d.MaterialName);

    QList<QStringList> layers;
    for (int i = 0; i < d.Layers.Count(); ++i) {
        const TLayer& l = *d.Layers[i];
        const QString soil = nameOf(TLayerEnum::MaterialType, l.MatType) + QStringLiteral(", ")
            + nameOf(TLayerEnum::USCS, l.USCS) + QStringLiteral(", ")
            + nameOf(TLayerEnum::Consistency, l.Consistency);
        layers.append({ QString::number(i + 1), soil, fixed(l.Bottom(), 1), fixed(l.SGReactTop, 0),
            fixed(l.SGReactBottom, 0), fixed(l.Cohesion, 2), fixed(l.Kp, 2), fixed(l.FSonKp, 2),
            fixed(l.Gamma, 1), fixed(l.SPTFieldN, 0) });
    }
    v[QStringLiteral("layer-table")]
        = table({ QStringLiteral("#"), QStringLiteral("Soil"), QStringLiteral("Bottom, ft"),
                    QStringLiteral("k top, kcf"), QStringLiteral("k bottom, kcf"), QStringLiteral("c, ksf"),
                    QStringLiteral("Kp"), QStringLiteral("F.S. Kp"), QStringLiteral("Gamma, pcf"),
                    QStringLiteral("N") },
            layers);

    // lateral response at the head
    v[QStringLiteral("I")] = fixed(d.I, tag(33));
    v[QStringLiteral("EI")] = fixed(head.E * head.I, 0);
    v[QStringLiteral("K1")] = fixed(head.K, 1);
    v[QStringLiteral("KB1")] = fixed(head.KB, 1);
    v[QStringLiteral("lambda1")] = fixed(head.Lambda, 5);
    v[QStringLiteral("y0-4")] = fixed(head.Deflection, 4);
    v[QStringLiteral("p0")] = fixed(head.SoilPressure, tag(37));
    v[QStringLiteral("node2-depth")] = fixed(d.Node(2).Depth, tag(21));
    v[QStringLiteral("node2-allow")] = fixed(d.Node(2).AllowSoilPressure, tag(37));
    v[QStringLiteral("node2-pressure")] = fixed(d.Node(2).SoilPressure, tag(37));

    // the result lines, as the Results tab words them
    Extended value = 0;
    int node = d.MaxDeflectionNode(value);
    v[QStringLiteral("maxdefl")] = fixed(value, tag(24));
    v[QStringLiteral("maxdefl-depth")] = fixed(d.Node(std::max(node, 1)).Depth, tag(21));
    v[QStringLiteral("maxdefl-note")] = std::fabs(value) > d.AllowableDeflection
        ? QStringLiteral(" (> %1 in)").arg(fixed(d.AllowableDeflection, tag(17)))
        : QString();
    node = d.MaxMomentNode(value);
    v[QStringLiteral("maxmoment")] = fixed(value, tag(23));
    v[QStringLiteral("maxmoment-depth")] = fixed(d.Node(std::max(node, 1)).Depth, tag(21));
    node = d.MaxShearNode(value);
    v[QStringLiteral("maxshear")] = fixed(value, tag(22));
    v[QStringLiteral("maxshear-depth")] = fixed(d.Node(std::max(node, 1)).Depth, tag(21));
    v[QStringLiteral("tipmove")] = fixed(tip.Deflection, tag(24));
    v[QStringLiteral("tip-depth")] = fixed(tip.Depth, tag(21));
    v[QStringLiteral("capacity")] = fixed(tip.Capacity, tag(17));
    // what the result lines add when a check fails
    const auto shortOf = [&](bool fails, const char* sign, Extended limit, const char* unit) {
        return fails ? QStringLiteral(" (%1 %2 %3)")
                           .arg(QLatin1String(sign), fixed(limit, tag(17)), QLatin1String(unit))
                     : QString();
    };
    v[QStringLiteral("capacity-note")] = shortOf(tip.Capacity < d.DownwardLoad, "<", d.DownwardLoad, "kips");
    v[QStringLiteral("uplift-note")] = shortOf(d.UpliftCapacity < d.UpliftLoad, "<", d.UpliftLoad, "kips");
    v[QStringLiteral("nsf")] = fixed(d.TotalNSF, 2);
    v[QStringLiteral("uplift")] = fixed(d.UpliftCapacity, tag(17));
    v[QStringLiteral("settlement")] = fixed(tip.Settlement, 2);

    QList<QStringList> lateral;
    for (int k = 1; k <= kNodeCount; k += 4) {
        const TNodeResult& n = d.Node(k);
        lateral.append({ QString::number(k), fixed(n.Depth, tag(21)), fixed(n.K, 1), fixed(n.Lambda, 4),
            fixed(n.Shear, tag(22)), fixed(n.Moment, tag(23)), fixed(n.Deflection, 4),
            fixed(n.SoilPressure, tag(37)), fixed(n.AllowSoilPressure, tag(37)) });
    }
    v[QStringLiteral("lateral-table")]
        = table({ QStringLiteral("Node"), QStringLiteral("Depth, ft"), QStringLiteral("k, kcf"),
                    QStringLiteral("lambda, 1/ft"), QStringLiteral("V, kips"), QStringLiteral("M, k-ft"),
                    QStringLiteral("y, in"), QStringLiteral("p, ksf"), QStringLiteral("p allow, ksf") },
            lateral);

    // vertical capacity of the whole pile (tip node)
    const Extended A = d.Layers.Count() > 0 ? d.Layers[d.Layers.Count() - 1]->PileTipArea() : 0;
    v[QStringLiteral("tip-sigmav")] = fixed(tip.SigmaV, 1);
    v[QStringLiteral("tip-u")] = fixed(tip.PorePressure, 1);
    v[QStringLiteral("tip-sigmaeff")] = fixed(tip.SigmaVEff, 1);
    v[QStringLiteral("tip-phi")] = fixed(tip.Phi, 2);
    v[QStringLiteral("tip-k0")] = fixed(tip.K0, 4);
    v[QStringLiteral("tip-tanphi")] = fixed(tip.TanPhi, 4);
    // Nq as the engine used it: the first set's end bearing of a granular layer is Nq sigma'v A.
    v[QStringLiteral("tip-nq")] = fixed(tip.UltEnd / (tip.SigmaVEff * A), 1);
    v[QStringLiteral("tip-nq-bearing")] = fixed(tip.UltEnd / 1000, 1);
    v[QStringLiteral("tip-end-limit")] = fixed(10 * A, 1);
    v[QStringLiteral("tip-qsideult")] = fixed(tip.QSideUlt, 1);
    v[QStringLiteral("tip-qsideallow")] = fixed(tip.QSideAllow, 1);
    v[QStringLiteral("tip-qendult")] = fixed(tip.QEndUlt, 1);
    v[QStringLiteral("tip-qendallow")] = fixed(tip.QEndAllow, 1);

    // reinforced-concrete section
    v[QStringLiteral("Ag")] = fixed(d.Width * 12 * d.Width2 * 12, 1);
    v[QStringLiteral("beta1")] = fixed(d.Beta1, 3);
    v[QStringLiteral("As")] = fixed(d.SteelArea, 2);
    v[QStringLiteral("rho")] = fixed(d.SteelPercent, tag(70));
    v[QStringLiteral("spacing")] = fixed(d.SpacingLimit, tag(69));
    v[QStringLiteral("Vc")] = fixed(d.ShearCapacity, 1);
    v[QStringLiteral("P0")] = fixed(d.P0, 1);
    v[QStringLiteral("Tlimit")] = fixed(d.TensionLimit, 1);
    v[QStringLiteral("y1")] = fixed(d.RowOffset, 3);
    v[QStringLiteral("dprime")] = fixed(d.TopRowDepth, 3);
    v[QStringLiteral("rowarea")] = fixed(d.RowArea, 3);
    QList<QStringList> points;
    for (int i = 0; i < kInteractionPointCount; ++i) {
        const TInteractionPoint& p = d.InteractionPoints[static_cast<std::size_t>(i)];
        points.append({ QString::number(i), fixed(p.c, 3), fixed(p.Eps3, 5), fixed(p.Phi, 3),
            fixed(p.PhiPn, 1), fixed(p.PhiMn, 1) });
    }
    v[QStringLiteral("interaction-table")]
        = table({ QStringLiteral("Point"), QStringLiteral("c, in"), QStringLiteral("eps3"),
                    QStringLiteral("phi"), QStringLiteral("phi Pn, kips"), QStringLiteral("phi Mn, k-ft") },
            points);
    for (int i = 1; i <= 2; ++i) {
        const TLoadCase& lc = d.LoadCases[static_cast<std::size_t>(i - 1)];
        const QString n = QString::number(i);
        v[QStringLiteral("Pu") + n] = fixed(lc.Pu, tag(66));
        v[QStringLiteral("Mu") + n] = fixed(lc.Mu, tag(67));
        v[QStringLiteral("Vu") + n] = fixed(lc.Vu, tag(66));
        v[QStringLiteral("Mall") + n] = fixed(lc.Mall, tag(66));
        v[QStringLiteral("Mall") + n + QStringLiteral("-1")] = fixed(lc.Mall, 1);
    }
    v[QStringLiteral("PRatio")] = fixed(d.SteelResult.PRatio, 3);
    v[QStringLiteral("MxRatio")] = fixed(d.SteelResult.MxRatio, 3);
    v[QStringLiteral("RCRatio")] = fixed(d.CombinedRatio, 3);
    addTables(v);

    // The range of every numeric input, "US / SI", as the field limits hold it.
    const auto number = [](Extended x) { return QString::number(static_cast<double>(x), 'g', 10); };
    for (int t = 1; t <= kFieldLimitCount; ++t) {
        const TFieldLimit us = FieldLimitsUS()[static_cast<std::size_t>(t - 1)];
        const TFieldLimit si = FieldLimitsSI()[static_cast<std::size_t>(t - 1)];
        // A field without limits takes no minus sign all the same.
        const auto range = [&](const TFieldLimit& l) {
            return l.HasRange() ? number(l.MinValue) + QStringLiteral(" to ") + number(l.MaxValue)
                                : QStringLiteral("0 or more");
        };
        v[QStringLiteral("lim-%1").arg(t)] = range(us) + QStringLiteral(" / ") + range(si);
    }
    return v;
}

Source readSource(const QString& path, const QMap<QString, QString>& values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QString text = QString::fromUtf8(file.readAll());
    Source source;
    const qsizetype end = text.indexOf(QStringLiteral("\n---\n"));
    if (end < 0)
        throw std::runtime_error(path.toStdString() + ": no \"---\" line after the title lines");
    for (const QString& line : text.left(end).split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("title"))
            source.title = value;
        else if (key == QLatin1String("subtitle"))
            source.subtitle = value;
    }
    source.markdown = text.mid(end + 5);

    static const QRegularExpression placeholder(QStringLiteral("\\{\\{([A-Za-z0-9_-]+)\\}\\}"));
    QString filled;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(source.markdown); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const auto found = values.find(m.captured(1));
        if (found == values.end())
            throw std::runtime_error(
                path.toStdString() + ": unknown placeholder " + m.captured(0).toStdString());
        filled += source.markdown.mid(from, m.capturedStart() - from) + found.value();
        from = m.capturedEnd();
    }
    source.markdown = filled + source.markdown.mid(from);
    return source;
}

// Numbers the chapters and sections, starts each chapter on a new page, sets the fonts of
// headings, code blocks and tables, and sizes the pictures to the text width.
QList<Heading> styleDocument(QTextDocument& doc, const QString& folder, qreal textWidth)
{
    QList<Heading> headings;
    int chapter = 0, section = 0;
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        const bool inTable = cursor.currentTable() != nullptr;
        if (level > 0) {
            QString number;
            if (level == 1) {
                ++chapter;
                section = 0;
                number = QString::number(chapter);
            } else if (level == 2) {
                ++section;
                number = QStringLiteral("%1.%2").arg(chapter).arg(section);
            }
            const QString text = block.text().trimmed();
            if (!number.isEmpty()) {
                QTextCursor start(block);
                start.insertText(number + QStringLiteral("  "));
                headings.append({ level, number + QStringLiteral("  ") + text, 0 });
            }
            cursor.setPosition(block.position());
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            QTextCharFormat chars;
            chars.setFont(sansFont(level == 1 ? 18 : level == 2 ? 13 : 11, true));
            chars.setForeground(kHeadingColour);
            cursor.mergeCharFormat(chars);
            QTextBlockFormat format = block.blockFormat();
            format.setBottomMargin(points(level == 1 ? 10 : 6));
            format.setTopMargin(points(level == 1 ? 22 : 12));
            format.setNonBreakableLines(true);
            cursor.setBlockFormat(format);
        } else if (block.blockFormat().hasProperty(QTextFormat::BlockCodeFence)) {
            QTextCharFormat chars;
            QFont mono(QStringLiteral("DejaVu Sans Mono"));
            mono.setPointSizeF(8.5);
            chars.setFont(mono);
            cursor.mergeCharFormat(chars);
            QTextBlockFormat format = block.blockFormat();
            format.setBackground(QColor(0xf2, 0xf2, 0xf2));
            format.setLeftMargin(points(6));
            format.setNonBreakableLines(true);
            const bool last = !block.next().isValid()
                || !block.next().blockFormat().hasProperty(QTextFormat::BlockCodeFence);
            format.setBottomMargin(last ? points(7) : 0);
            cursor.setBlockFormat(format);
        } else if (!inTable) {
            QTextBlockFormat format = block.blockFormat();
            format.setBottomMargin(points(5));
            format.setLineHeight(112, QTextBlockFormat::ProportionalHeight);
            cursor.setBlockFormat(format);
        }

        // Pictures: loaded from the source's folder, at most the text width.
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture(folder + QLatin1Char('/') + image.name());
            if (picture.isNull())
                throw std::runtime_error("cannot read the picture " + image.name().toStdString());
            doc.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            // The layout measures pictures in screen pixels (96 per inch) and scales them to the
            // writer: a screenshot keeps its size on paper, never wider than the text.
            const qreal maxWidth = textWidth * 96.0 / kDpi;
            qreal width = picture.width();
            if (width > maxWidth)
                width = maxWidth;
            image.setWidth(width);
            image.setHeight(width * picture.height() / picture.width());
            QTextCursor at(&doc);
            at.setPosition(fragment.position());
            at.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            at.setCharFormat(image);
        }
    }

    // Tables: thin rules, some room in the cells, a shaded header row.
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* t = qobject_cast<QTextTable*>(frame);
        if (!t)
            continue;
        QTextTableFormat format = t->format();
        format.setBorder(points(0.5));
        format.setBorderCollapse(true);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x99, 0x99, 0x99));
        format.setCellSpacing(0);
        format.setCellPadding(points(2.5));
        format.setBottomMargin(points(8));
        // A table that goes on over a page shows its header again there.
        format.setHeaderRowCount(1);
        if (t->columns() > 6)
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        t->setFormat(format);
        for (int col = 0; col < t->columns(); ++col) {
            QTextTableCell cell = t->cellAt(0, col);
            QTextCharFormat chars = cell.format();
            chars.setBackground(QColor(0xe4, 0xea, 0xf2));
            cell.setFormat(chars);
        }
        for (int row = 0; row < t->rows(); ++row) {
            for (int col = 0; col < t->columns(); ++col) {
                QTextTableCell cell = t->cellAt(row, col);
                QTextCharFormat cellChars = cell.format();
                cellChars.setFont(sansFont(8, row == 0));
                cell.setFormat(cellChars);
                QTextCursor c = cell.firstCursorPosition();
                c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextCharFormat chars;
                chars.setFont(sansFont(8, row == 0));
                c.mergeCharFormat(chars);
                QTextBlockFormat paragraph = c.blockFormat();
                paragraph.setTopMargin(0);
                paragraph.setBottomMargin(0);
                c.mergeBlockFormat(paragraph);
            }
        }
    }
    return headings;
}

// The top and bottom of the text of a table row, over all its cells.
std::pair<qreal, qreal> rowExtent(const QTextTable& table, int row)
{
    QAbstractTextDocumentLayout* layout = table.document()->documentLayout();
    qreal top = std::numeric_limits<qreal>::max();
    qreal bottom = -top;
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        for (QTextBlock block = cell.firstCursorPosition().block();
             block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
            const QRectF rect = layout->blockBoundingRect(block);
            top = std::min(top, rect.top());
            bottom = std::max(bottom, rect.bottom());
        }
    }
    return { top, bottom };
}

// Moves the first table row that starts on one page and ends on the next (the layout breaks a
// row between the lines of its cells) to the next page: the table ends above the row and goes on
// as a table of its own on the next page, with the same header and column widths. A table whose
// first row does not fit starts on the next page. Returns whether a row moved.
bool moveSplitRow(QTextTable& table, qreal pageHeight)
{
    QTextTableFormat format = table.format();
    for (int row = 0; row < table.rows(); ++row) {
        const auto [top, bottom] = rowExtent(table, row);
        if (std::floor(top / pageHeight) == std::floor((bottom - 1) / pageHeight)
            || bottom - top >= pageHeight)
            continue;
        if (row <= format.headerRowCount()) {
            if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
                continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            table.setFormat(format);
            return true;
        }
        // Both parts keep the columns as laid out. A column is its cells' lines, their padding and
        // the borders between cells, which the layout takes out of a column's given width.
        // Widths and paddings are given in points at the screen's 96 dpi, scaled to the device.
        QAbstractTextDocumentLayout* layout = table.document()->documentLayout();
        const qreal scale = layout->paintDevice() ? layout->paintDevice()->logicalDpiY() / 96.0 : 1.0;
        const auto firstBlock
            = [&table](int column) { return table.cellAt(0, column).firstCursorPosition().block(); };
        const auto lineOf = [&firstBlock](int column) {
            const QTextLayout* text = firstBlock(column).layout();
            return text->lineCount() > 0 ? text->lineAt(0).width() : 0.0;
        };
        const qreal padding = 2 * format.cellPadding() * scale;
        const qreal borders = table.columns() > 1 ? layout->blockBoundingRect(firstBlock(1)).left()
                - layout->blockBoundingRect(firstBlock(0)).left() - lineOf(0) - padding
                                                  : 0;
        QList<QTextLength> widths;
        for (int column = 0; column < table.columns(); ++column)
            // A pixel more: a column as wide as its widest text must not wrap it on rounding.
            widths << QTextLength(QTextLength::FixedLength, (lineOf(column) + padding + borders + 1) / scale);
        format.setColumnWidthConstraints(widths);
        QTextTableFormat rest = format;
        rest.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        // The first part ends the page: its margin below would reach into the next one and push
        // the rest a page further.
        format.setBottomMargin(0);
        QTextCursor after = table.lastCursorPosition();
        after.movePosition(QTextCursor::NextBlock);
        QTextTable* next = after.insertTable(table.rows() - row + 1, table.columns(), rest);
        for (int to = 0; to < next->rows(); ++to)
            for (int column = 0; column < table.columns(); ++column) {
                const QTextTableCell from = table.cellAt(to == 0 ? 0 : row + to - 1, column);
                QTextTableCell cell = next->cellAt(to, column);
                cell.setFormat(from.format());
                QTextCursor text = from.firstCursorPosition();
                text.setPosition(from.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextCursor into = cell.firstCursorPosition();
                into.setBlockFormat(text.blockFormat());
                into.insertFragment(text.selection());
            }
        table.removeRows(row, table.rows() - row);
        table.setFormat(format);
        return true;
    }
    return false;
}

// A table that reaches onto a page below its last row (with its margin, or with the padding of a
// last row at the foot of a page) would draw its header there above none of its rows: it keeps
// no margin below it, and if that is not enough and its rows stand on one page, it repeats no
// header. Returns whether the table changed.
bool keepHeaderWithRows(QTextTable& table, qreal pageHeight)
{
    const auto page = [pageHeight](qreal y) { return std::floor(y / pageHeight); };
    QTextTableFormat format = table.format();
    const qreal end = table.document()->documentLayout()->frameBoundingRect(&table).bottom();
    const qreal last = page(rowExtent(table, table.rows() - 1).second - 1);
    if (page(end - 1) == last)
        return false;
    if (format.bottomMargin() > 0)
        format.setBottomMargin(0);
    else if (format.headerRowCount() > 0 && page(rowExtent(table, 0).first) == last)
        format.setHeaderRowCount(0);
    else
        return false;
    table.setFormat(format);
    return true;
}

// Breaks the pages where a reader expects: a heading in the last lines of a page moves to the
// next page, with what follows it, and no table row is split over two pages. Each move shifts
// only what lies below it, so the document is looked at again from the top until nothing moves.
void breakPages(QTextDocument& doc, qreal pageHeight)
{
    const auto moveOne = [&doc, pageHeight] {
        for (QTextFrame::iterator it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
            if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
                if (moveSplitRow(*table, pageHeight) || keepHeaderWithRows(*table, pageHeight))
                    return true;
                continue;
            }
            const QTextBlock block = it.currentBlock();
            if (block.blockFormat().headingLevel() < 1
                || block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
                continue;
            const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
            const qreal onPage = rect.top() - std::floor(rect.top() / pageHeight) * pageHeight;
            if (onPage + rect.height() > 0.86 * pageHeight) {
                QTextCursor cursor(block);
                QTextBlockFormat format = block.blockFormat();
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                cursor.setBlockFormat(format);
                return true;
            }
        }
        return false;
    };
    // Every move is for good (a page break, a table split, a margin or a repeated header gone),
    // so the moves come to an end; the bound only guards against a layout that would not take
    // them.
    for (int moves = 0; moves < 1000 && moveOne(); ++moves)
        // A format change relays out only near it; the pages below must move too.
        doc.markContentsDirty(0, doc.characterCount());
}

// Page of every heading, once the document is laid out on its pages.
void findPages(QTextDocument& doc, QList<Heading>& headings, qreal pageHeight)
{
    int next = 0;
    for (QTextBlock block = doc.begin(); block.isValid() && next < headings.size(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 2)
            continue;
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        headings[next++].page = static_cast<int>(std::floor(rect.top() / pageHeight));
    }
}

void buildContents(QTextDocument& toc, const QList<Heading>& headings, int firstBodyPage)
{
    toc.clear();
    toc.setDefaultFont(bodyFont());
    QTextCursor cursor(&toc);
    QTextBlockFormat titleFormat;
    titleFormat.setBottomMargin(points(16));
    QTextCharFormat titleChars;
    titleChars.setFont(sansFont(18, true));
    titleChars.setForeground(kHeadingColour);
    cursor.setBlockFormat(titleFormat);
    cursor.insertText(QStringLiteral("Contents"), titleChars);

    QTextTableFormat format;
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(points(1.5));
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(
        { QTextLength(QTextLength::PercentageLength, 92), QTextLength(QTextLength::PercentageLength, 8) });
    QTextTable* table = cursor.insertTable(static_cast<int>(headings.size()), 2, format);
    for (int row = 0; row < headings.size(); ++row) {
        const Heading& h = headings[row];
        QTextCharFormat chars;
        chars.setFont(h.level == 1 ? sansFont(10.5, true) : sansFont(9.5, false));
        QTextBlockFormat entry;
        entry.setLeftMargin(h.level == 1 ? 0 : points(18));
        entry.setTopMargin(h.level == 1 && row > 0 ? points(6) : 0);
        QTextCursor title = table->cellAt(row, 0).firstCursorPosition();
        title.setBlockFormat(entry);
        title.insertText(h.text, chars);
        QTextBlockFormat number = entry;
        number.setLeftMargin(0);
        number.setAlignment(Qt::AlignRight);
        QTextCursor page = table->cellAt(row, 1).firstCursorPosition();
        page.setBlockFormat(number);
        page.insertText(QString::number(firstBodyPage + h.page), chars);
    }
}

// One page of a laid-out document, at the text rectangle.
void drawPage(QPainter& painter, QTextDocument& doc, int page, const QRectF& body)
{
    painter.save();
    painter.translate(body.left(), body.top() - page * body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, page * body.height(), body.width(), body.height());
    painter.setClipRect(context.clip);
    doc.documentLayout()->draw(&painter, context);
    painter.restore();
}

void drawFooter(QPainter& painter, const QString& title, int page, const QRectF& body, qreal pageHeight)
{
    painter.save();
    painter.setFont(sansFont(8, false));
    painter.setPen(QColor(0x55, 0x55, 0x55));
    const qreal base = pageHeight - inches(kFooterInches);
    painter.drawLine(QPointF(body.left(), base - points(12)), QPointF(body.right(), base - points(12)));
    const QRectF line(body.left(), base - points(10), body.width(), points(12));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom, title);
    painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Page %1").arg(page));
    painter.restore();
}

void drawTitlePage(QPainter& painter, const Source& source, const QString& version, const QRectF& body)
{
    painter.save();
    painter.setPen(kHeadingColour);
    painter.fillRect(QRectF(body.left(), body.top() + inches(2.2), body.width(), points(4)), kHeadingColour);
    painter.setFont(sansFont(30, true));
    painter.drawText(QRectF(body.left(), body.top() + inches(2.5), body.width(), inches(1.0)),
        Qt::AlignLeft | Qt::AlignTop, source.title);
    painter.setFont(sansFont(16, false));
    painter.drawText(QRectF(body.left(), body.top() + inches(3.4), body.width(), inches(0.6)),
        Qt::AlignLeft | Qt::AlignTop, source.subtitle);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.setFont(sansFont(11, false));
    painter.drawText(QRectF(body.left(), body.bottom() - inches(0.8), body.width(), inches(0.8)),
        Qt::AlignLeft | Qt::AlignBottom,
        QStringLiteral("Braxholm Fendrix Professional %1\nPile design for layered soil").arg(version));
    painter.restore();
}

} // namespace

namespace docgen {

Body layOut(const QString& sourcePath, const QString& demoFolder, QPdfWriter& writer)
{
    const QMap<QString, QString> values = demoValues(demoFolder);
    Body b;
    b.source = readSource(sourcePath, values);

    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const QRectF page(0, 0, writer.width(), writer.height());
    b.rect = page.adjusted(
        inches(kMarginInches), inches(kMarginInches), -inches(kMarginInches), -inches(kMarginInches + 0.15));

    b.doc = std::make_unique<QTextDocument>();
    QTextDocument& doc = *b.doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(bodyFont());
    doc.setDocumentMargin(0);
    doc.setMarkdown(b.source.markdown, QTextDocument::MarkdownDialectGitHub);
    doc.setUndoRedoEnabled(false);
    // One edit block: the layout runs once for all the styling, not once per table cell.
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    b.headings = styleDocument(doc, QFileInfo(sourcePath).absolutePath(), b.rect.width());
    batch.endEditBlock();
    doc.setPageSize(b.rect.size());
    breakPages(doc, b.rect.height());
    findPages(doc, b.headings, b.rect.height());
    return b;
}

void render(
    const QString& sourcePath, const QString& output, const QString& demoFolder, const QString& version)
{
    QPdfWriter writer(output);
    Body b = layOut(sourcePath, demoFolder, writer);
    QTextDocument& doc = *b.doc;
    const Source& source = b.source;
    const QRectF& body = b.rect;
    const QRectF page(0, 0, writer.width(), writer.height());
    writer.setTitle(source.title + QStringLiteral(" - ") + source.subtitle);
    writer.setCreator(QStringLiteral("Braxholm Fendrix Professional %1").arg(version));

    // The contents' own length decides where the body starts; the numbers do not change it.
    QTextDocument toc;
    toc.documentLayout()->setPaintDevice(&writer);
    toc.setDocumentMargin(0);
    buildContents(toc, b.headings, 2);
    toc.setPageSize(body.size());
    const int tocPages = toc.pageCount();
    buildContents(toc, b.headings, 2 + tocPages);
    toc.setPageSize(body.size());

    QPainter painter(&writer);
    if (!painter.isActive())
        throw std::runtime_error("cannot write " + output.toStdString());
    drawTitlePage(painter, source, version, body);
    const QString footer = source.title + QStringLiteral(" - ") + source.subtitle;
    int pageNumber = 1;
    for (int i = 0; i < toc.pageCount(); ++i) {
        writer.newPage();
        drawPage(painter, toc, i, body);
        drawFooter(painter, footer, ++pageNumber, body, page.height());
    }
    for (int i = 0; i < doc.pageCount(); ++i) {
        writer.newPage();
        drawPage(painter, doc, i, body);
        drawFooter(painter, footer, ++pageNumber, body, page.height());
    }
    if (!painter.end())
        throw std::runtime_error("cannot write " + output.toStdString());
}

} // namespace docgen
