#include "results/tables.h"

#include "model/fieldlimits.h"
#include "platform/qt/controls.h"
#include "platform/qt/numberformat.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 903;
constexpr int kClientHeight = 437;
constexpr int kSteelClientWidth = 300;

QString fixed(Extended value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals, LocaleNumberFormat()));
}

QString byTag(Extended value, int tag)
{
    return fixed(value, FieldLimitOf(tag).Decimals);
}

QString number(int n)
{
    return QString::number(n);
}

} // namespace

TfrmTable::TfrmTable(QWidget* owner, int UnitSelection)
    : QDialog(owner)
    , m_unitSelection(UnitSelection)
{
    setObjectName(QStringLiteral("frmTable"));
    setWindowTitle(QStringLiteral("Table of Test Results"));
    setFont(platform::formFont(8));
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    // The columns keep their designed widths, the narrow first one too: the style's minimum
    // would widen it and push the last column past the window's edge.
    ListView1->header()->setMinimumSectionSize(0);
    // Grid lines between the cells, as a report-style list shows them. Styling the items takes
    // their selection out of the style's hands, so the selected row is given the highlight and
    // its text colour here; without them it shows a pale band with the text drawn white on it.
    ListView1->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid #d8d8d8; border-bottom: 1px solid #d8d8d8; }"
        "QTreeView::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(ListView1);
    setFixedSize(kClientWidth, kClientHeight);
    FormCreate();
}

void TfrmTable::resetColumns(int count)
{
    ListView1->clear();
    ListView1->setColumnCount(count);
    m_centred.fill(false);
}

void TfrmTable::addColumn(int index, const QString& caption, int width, bool centred)
{
    QTreeWidgetItem* header = ListView1->headerItem();
    header->setText(index, caption);
    header->setTextAlignment(index, centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    ListView1->setColumnWidth(index, width);
    if (index < static_cast<int>(m_centred.size()))
        m_centred[static_cast<std::size_t>(index)] = centred;
}

void TfrmTable::addRow(const QStringList& cells)
{
    auto* item = new QTreeWidgetItem(ListView1, cells);
    const int row = ListView1->topLevelItemCount() - 1;
    for (int c = 0; c < cells.size(); ++c) {
        const bool centred = c < static_cast<int>(m_centred.size()) && m_centred[static_cast<std::size_t>(c)];
        item->setTextAlignment(c, centred ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        if (c > 0)
            item->setForeground(c, ListView1CustomDrawSubItem(row, c));
    }
}

void TfrmTable::FormCreate()
{
    m_content = TContent::Lateral;
    const bool english = m_unitSelection == 0;
    resetColumns(9);
    addColumn(0, QString(), 1, false);
    addColumn(1, QStringLiteral("Node #"), 60, true);
    addColumn(2, english ? QStringLiteral("Depth, ft") : QStringLiteral("Depth, m"), 80, true);
    addColumn(
        3, english ? QStringLiteral("Soil Modulus, ksf") : QStringLiteral("Soil Modulus, KPa"), 120, true);
    addColumn(4, english ? QStringLiteral("Shear, kips") : QStringLiteral("Shear, KN"), 100, true);
    addColumn(5, english ? QStringLiteral("Moment, kip-ft") : QStringLiteral("Moment, KN.m"), 100, true);
    addColumn(6, english ? QStringLiteral("Deflection, in") : QStringLiteral("Deflection, mm"), 100, true);
    addColumn(
        7, english ? QStringLiteral("Lat. Soil Pr, k/ft^2") : QStringLiteral("Lat. Soil Pr, KPa"), 150, true);
    addColumn(8, english ? QStringLiteral("Allow. Soil Pr, k/ft^2") : QStringLiteral("Allow. Soil Pr, KPa"),
        150, true);
}

void TfrmTable::FillLateralTable(const std::array<TNodeResult, kNodeCount>& Nodes)
{
    m_content = TContent::Lateral;
    m_nodes = Nodes;
    ListView1->clear();
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = m_nodes[static_cast<std::size_t>(k - 1)];
        addRow({ QString(), number(k), byTag(n.Depth, 21), byTag(n.KB, 19), byTag(n.Shear, 22),
            byTag(n.Moment, 23), byTag(n.Deflection, 24), byTag(n.SoilPressure, 37),
            byTag(n.AllowSoilPressure, 37) });
    }
}

void TfrmTable::FillVerticalTable(const TLPData& Data)
{
    m_content = TContent::Vertical;
    const auto unit
        = [&Data](const char* si, const char* us) { return QString::fromStdString(Data.UnitText(si, us)); };
    const QString force = unit("KN", "kips");
    resetColumns(12);
    addColumn(0, QString(), 0, false);
    addColumn(1, QStringLiteral("Node #"), 60, true);
    addColumn(2, QStringLiteral("Depth, ") + unit("m", "ft"), 80, true);
    addColumn(3, QStringLiteral("Sigma' V, ") + unit("KN/m^2", "psf"), 100, true);
    addColumn(4, QStringLiteral("Phi, deg"), 60, true);
    addColumn(5, QStringLiteral("NSF, ") + force, 100, true);
    addColumn(6, QStringLiteral("Ult. Side Fric, ") + force, 100, true);
    addColumn(7, QStringLiteral("All. Side Fric, ") + force, 100, true);
    addColumn(8, QStringLiteral("Ult. End Bear, ") + force, 100, true);
    addColumn(9, QStringLiteral("All. End Bear, ") + force, 100, true);
    addColumn(10, QStringLiteral("Vert. Cap, ") + force, 100, true);
    addColumn(11, QStringLiteral("Pile Settl, ") + unit("mm", "in"), 100, true);
    m_nodes = Data.Nodes;
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = m_nodes[static_cast<std::size_t>(k - 1)];
        addRow({ QString(), number(k), byTag(n.Depth, 21), fixed(n.SigmaVEff, 2), fixed(n.Phi, 2),
            fixed(n.NSF, 2), fixed(n.QSideUlt, 2), fixed(n.QSideAllow, 2), fixed(n.QEndUlt, 2),
            fixed(n.QEndAllow, 2), fixed(n.Capacity, 2), fixed(n.Settlement, 2) });
    }
}

void TfrmTable::FillEffVerticalTable(const TLPData& Data)
{
    m_content = TContent::EffVertical;
    const auto unit
        = [&Data](const char* si, const char* us) { return QString::fromStdString(Data.UnitText(si, us)); };
    const QString force = unit("KN", "kips");
    const QString stress = unit("KN/m^2", "psf");
    resetColumns(16);
    addColumn(0, QString(), 0, false);
    addColumn(1, QStringLiteral("Node #"), 60, true);
    addColumn(2, QStringLiteral("Depth, ") + unit("m", "ft"), 80, true);
    addColumn(3, QStringLiteral("Sigma V, ") + stress, 100, true);
    addColumn(4, QStringLiteral("Water Un. Wt, ") + unit("KN/m^3", "pcf"), 100, true);
    addColumn(5, QStringLiteral("Pore Press, ") + stress, 100, true);
    addColumn(6, QStringLiteral("Sigma' V, ") + stress, 100, true);
    addColumn(7, QStringLiteral("Phi, deg"), 60, true);
    addColumn(8, QStringLiteral("NSF, ") + force, 100, true);
    addColumn(9, QStringLiteral("Eff. Ult. Q side, ") + force, 100, true);
    addColumn(10, QStringLiteral("Eff. Ult. Q end, ") + force, 100, true);
    addColumn(11, QStringLiteral("Eff. Ult. Q total, ") + force, 100, true);
    addColumn(12, QStringLiteral("Eff. All. Q side, ") + force, 100, true);
    addColumn(13, QStringLiteral("Eff. All. Q end, ") + force, 100, true);
    addColumn(14, QStringLiteral("Eff. All. Q total, ") + force, 100, true);
    addColumn(15, QStringLiteral("Total Pile Mov, ") + unit("mm", "in"), 100, true);
    m_nodes = Data.Nodes;
    // The effective-stress capacities are pound-based in English projects: shown as kips. NSF is
    // held in kips already (it is the displayed side friction), so it is shown as stored, as in
    // the vertical table; dividing it too would print kips / 1000 under a "kips" caption.
    const Extended d = Data.UnitValue(1, 1000);
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = m_nodes[static_cast<std::size_t>(k - 1)];
        addRow({ QString(), number(k), byTag(n.Depth, 21), fixed(n.SigmaV, 2), fixed(n.GammaW, 2),
            fixed(n.PorePressure, 2), fixed(n.SigmaVEff, 2), fixed(n.Phi, 2), fixed(n.NSF, 2),
            fixed(n.EffSideUlt / d, 2), fixed(n.EffEndUlt / d, 2), fixed(n.EffTotalUlt / d, 2),
            fixed(n.EffSideAllow / d, 2), fixed(n.EffEndAllow / d, 2), fixed(n.EffTotalAllow / d, 2),
            fixed(n.EffMovement, 2) });
    }
}

void TfrmTable::FillSteelCheckTable(const TLPData& Data)
{
    m_content = TContent::SteelCheck;
    resetColumns(2);
    addColumn(0, QString(), 140, false);
    addColumn(1, QString(), 80, false);
    setFixedWidth(kSteelClientWidth);

    const TSteelResult& r = Data.SteelResult;
    const auto unit = [&Data](const char* si, const char* us) { return Data.UnitText(si, us); };
    const std::string stress = unit(" MPa", " ksi");
    const std::string force = unit(" KN", " kip");
    const std::string moment = unit(" KN-m", " kip-ft");
    const std::string length = unit(" m", " ft");
    const auto row = [this](const char* label, Extended value, int decimals, const std::string& u = {}) {
        addRow({ QString::fromLatin1(label), fixed(value, decimals) + QString::fromStdString(u) });
    };
    const auto heading = [this](const char* label) { addRow({ QString::fromLatin1(label) }); };

    if (Data.IsRoundShape()) {
        heading("For Axial Compression:");
        row("Kx*Lx/rx", r.KLrX, 2);
        row("Fcr", r.Fcr, 2, stress);
        row("Pa", r.PnOmega, 0, force);
        row("Putil", Data.SteelResult.PRatio, 2);
        heading("");
        heading("For X-axis Bending:");
        row("fbx", r.Fbx, 2, stress);
        row("Mn/omega", r.MnxOmega, 0, moment);
        row("Mxutil", r.MxRatio, 2);
        heading("");
        row("Combined Utilization Ratio", Data.CombinedRatio, 3);
        return;
    }
    heading("For Axial Compression:");
    row("Kx*Lx/rx", r.KLrX, 2);
    row("Kx*Lx/ry", r.KLrY, 2);
    row("Fcr", r.Fcr, 2, stress);
    row("Pa", r.PnOmega, 0, force);
    row("Putil", r.PRatio, 2);
    heading("");
    heading("For X-axis Bending:");
    row("Lc", r.Lp, 2, length);
    row("Lu", r.Lr, 2, length);
    row("Lb/rt", r.LbOverRts, 2);
    row("fbx", r.Fbx, 2, stress);
    row("Mxn/omega", r.MnxOmega, 0, moment);
    row("Mxutil", r.MxRatio, 2);
    heading("");
    heading("For Y-axis Bending:");
    row("fby", r.Fby, 2, stress);
    row("Myn/omega", r.MnyOmega, 0, moment);
    row("Myutil", r.MyRatio, 2);
    heading("");
    row("Combined Utilization Ratio", Data.CombinedRatio, 3);
}

void TfrmTable::FillSectionTable(const TLPData& Data)
{
    m_content = TContent::Section;
    resetColumns(10);
    addColumn(0, QString(), 80, false);
    for (int c = 1; c <= kInteractionPointCount; ++c) {
        const QString caption = c == 1 ? QStringLiteral("no axial")
            : c == 4                   ? QStringLiteral("balanced")
            : c == 9                   ? QStringLiteral("above Pmax")
                                       : QString();
        addColumn(c, caption, 80, true);
    }
    const bool english = m_unitSelection == 0;
    struct Field {
        const char* us;
        const char* si;
        int decimals;
        Extended TInteractionPoint::*member;
    };
    std::vector<Field> fields = {
        { "c, in", "c, mm", 2, &TInteractionPoint::c },
        { "Eps1", "Eps1", 3, &TInteractionPoint::Eps1 },
        { "Fs1, ksi", "Fs1, MPa", 1, &TInteractionPoint::Fs1 },
        { "Eps2", "Eps2", 3, &TInteractionPoint::Eps2 },
        { "Fs2, ksi", "Fs2, MPa", 1, &TInteractionPoint::Fs2 },
        { "Eps3", "Eps3", 3, &TInteractionPoint::Eps3 },
        { "Fs3, ksi", "Fs3, MPa", 1, &TInteractionPoint::Fs3 },
    };
    // The compressed segment's angle exists only in a round section.
    if (Data.IsRoundShape())
        fields.push_back({ "Theta, rad", "Theta, rad", 2, &TInteractionPoint::Theta });
    const std::vector<Field> rest = {
        { "a, in", "a, mm", 1, &TInteractionPoint::a },
        { "Ac, in^2", "Ac, mm^2", 1, &TInteractionPoint::Ac },
        { "Fc, kip", "Fc, KN", 0, &TInteractionPoint::Fc },
        { "yc, in", "yc, mm", 1, &TInteractionPoint::yc },
        { "Ft, kip", "Ft, KN", 0, &TInteractionPoint::Ft },
        { "yt, in", "yt, mm", 1, &TInteractionPoint::yt },
        { "Phi", "Phi", 2, &TInteractionPoint::Phi },
        { "PhiPn, kip", "PhiPn, KN", 0, &TInteractionPoint::PhiPn },
        { "PhiMn, k-ft", "PhiMn, KN.m", 0, &TInteractionPoint::PhiMn },
    };
    fields.insert(fields.end(), rest.begin(), rest.end());
    for (const Field& f : fields) {
        QStringList cells { QString::fromLatin1(english ? f.us : f.si) };
        for (const TInteractionPoint& p : Data.InteractionPoints)
            cells << fixed(p.*f.member, f.decimals);
        addRow(cells);
    }
}

QColor TfrmTable::ListView1CustomDrawSubItem(int Row, int SubItem) const
{
    if (m_content == TContent::Lateral && (SubItem == 7 || SubItem == 8) && Row >= 0 && Row < kNodeCount) {
        const TNodeResult& n = m_nodes[static_cast<std::size_t>(Row)];
        if (!(n.AllowSoilPressure >= n.SoilPressure))
            return QColor(255, 0, 0);
    }
    return platform::windowTextColor();
}

int TfrmTable::ColumnCount() const
{
    return ListView1->columnCount();
}

QString TfrmTable::ColumnCaption(int Column) const
{
    return ListView1->headerItem()->text(Column);
}

int TfrmTable::ColumnWidth(int Column) const
{
    return ListView1->columnWidth(Column);
}

int TfrmTable::RowCount() const
{
    return ListView1->topLevelItemCount();
}

QString TfrmTable::ItemCaption(int Row) const
{
    const QTreeWidgetItem* item = ListView1->topLevelItem(Row);
    return item ? item->text(0) : QString();
}

QString TfrmTable::SubItem(int Row, int Sub) const
{
    const QTreeWidgetItem* item = ListView1->topLevelItem(Row);
    return item && Sub >= 1 ? item->text(Sub) : QString();
}

void ShowTableWindow(QWidget* owner, const TLPData& Data, TTableKind Kind, int UnitSelection)
{
    TfrmTable table(owner, UnitSelection);
    switch (Kind) {
    case TTableKind::Lateral:
        table.FillLateralTable(Data.Nodes);
        break;
    case TTableKind::Vertical:
        table.FillVerticalTable(Data);
        break;
    case TTableKind::EffVertical:
        table.FillEffVerticalTable(Data);
        break;
    case TTableKind::SteelCheck:
        table.FillSteelCheckTable(Data);
        break;
    case TTableKind::Section:
        table.FillSectionTable(Data);
        break;
    }
    table.exec();
}
