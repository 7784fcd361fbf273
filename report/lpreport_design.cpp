// The structural design section of the report: the inputs of the steel, concrete or timber tab,
// the steel check table, the section drawing and the interaction diagram.
#include "report/lpreport.h"

#include "model/lpclasses.h"
#include "platform/qt/report.h"
#include "results/graphs.h"
#include "results/tables.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace {

const QString kFont = QStringLiteral("Arial");

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The four tab stops of two label/value pairs per line.
void twoPairTabs(platform::TBaseReport& r)
{
    r.ClearTabStops();
    r.AddTabStop(1.0, platform::pjLeft, 1.5, 0, 0, 0);
    r.AddTabStop(2.5, platform::pjRight, 1.2, 0, 0, 0);
    r.AddTabStop(4.0, platform::pjLeft, 1.6, 0, 0, 0);
    r.AddTabStop(5.6, platform::pjRight, 1.2, 0, 0, 0);
}

} // namespace

void TLPReport::PrintStructuralDesign()
{
    platform::TBaseReport& r = *m_report;
    const bool timber = m_texts.Visible("TabSheet7");
    if (timber)
        r.MoveCursorTo(r.MarginLeft(), m_pictureBottom + 0.5);
    else
        r.StartNewPage();

    r.SelectFont(kFont, 12);
    r.AdvanceLine();
    QString kind;
    if (m_texts.Visible("TabSheet4"))
        kind = QStringLiteral("Rectangular Steel");
    else if (m_texts.Visible("TabSheet5"))
        kind = QStringLiteral("Round Steel");
    else if (m_texts.Visible("TabSheet6"))
        kind = QStringLiteral("Concrete");
    else if (timber)
        kind = QStringLiteral("Timber");
    r.SetBold(true);
    r.PrintText(QStringLiteral("Structural Design - ") + kind);
    BodyFont();
    r.AdvanceLine();
    r.AdvanceLine();

    if (m_texts.Visible("TabSheet4"))
        PrintSteelInputs();
    else if (m_texts.Visible("TabSheet5"))
        PrintPipeInputs();
    else if (m_texts.Visible("TabSheet6"))
        PrintConcreteInputs();
    else if (timber)
        PrintTimberInputs();
}

void TLPReport::PrintSteelInputs()
{
    platform::TBaseReport& r = *m_report;
    twoPairTabs(r);
    PrintPair("Label89", "ComboBox6");
    PrintLabelValue("Label99", "Edit35");
    r.AdvanceLine();
    PrintPair("Label96", "ComboBox7");
    PrintLabelValue("Label102", "Edit36");
    r.AdvanceLine();
    PrintPair("Label101", "ComboBox8");
    PrintLabelValue("Label104", "Edit37", "Label105");
    r.AdvanceLine();
    PrintLabelValue("Label97", "Edit34", "Label98");
    PrintLabelValue("Label106", "Edit38", "Label107");
    r.AdvanceLine();
    PrintLabelValue("Label90", "Edit23", "Label91");
    PrintLabelValue("Label108", "Edit39", "Label109");
    r.AdvanceLine();
    PrintLabelValue("Label92", "Edit32", "Label93");
    PrintLabelValue("Label110", "Edit40");
    r.AdvanceLine();
    PrintLabelValue("Label94", "Edit33", "Label95");
    PrintLabelValue("Label112", "Edit41");
    r.AdvanceLine();
    r.AdvanceLine();
    PrintSteelCheckTable(false);
}

void TLPReport::PrintPipeInputs()
{
    platform::TBaseReport& r = *m_report;
    twoPairTabs(r);
    PrintPair("Label100", "ComboBox9");
    PrintLabelValue("Label115", "Edit44", "Label116");
    r.AdvanceLine();
    PrintPair("Label117", "ComboBox10");
    PrintLabelValue("Label119", "Edit46");
    r.AdvanceLine();
    PrintPair("Label120", "ComboBox11");
    PrintLabelValue("Label122", "Edit48", "Label123");
    r.AdvanceLine();
    PrintLine(m_texts.Text("CheckBox3"), m_texts["CheckBox3"].Checked ? "Yes" : "No", {}, {}, false);
    PrintLabelValue("Label129", "Edit52");
    r.AdvanceLine();
    PrintLabelValue("Label130", "Edit45", "Label118");
    PrintLabelValue("Label128", "Edit51", "Label218");
    r.AdvanceLine();
    PrintLabelValue("Label103", "Edit42", "Label111");
    r.AdvanceLine();
    r.AdvanceLine();
    PrintSteelCheckTable(true);
}

void TLPReport::PrintSteelCheckTable(bool round)
{
    platform::TBaseReport& r = *m_report;
    auto table = std::make_unique<TfrmTable>(nullptr, UnitSelection());
    table->FillSteelCheckTable(m_data);
    const auto caption
        = [&](int row) { return row < table->RowCount() ? table->ItemCaption(row) : QString(); };
    const auto value = [&](int row) { return row < table->RowCount() ? table->SubItem(row, 1) : QString(); };
    const auto item = [&](int row) {
        r.PrintInNextTab(caption(row));
        r.SetBold(true);
        r.PrintInNextTab(value(row));
        r.SetBold(false);
    };
    const auto bold = [&](int row) {
        r.SetBold(true);
        r.PrintInNextTab(caption(row));
        r.SetBold(false);
    };

    // Each block is a caption column and a right-aligned value column, as wide as designed or
    // as its texts need; a block that grew moves the ones right of it along.
    struct Block {
        double position, caption, value;
        std::vector<int> rows;
    };
    const auto layout = [&](std::vector<Block> blocks) {
        double end = 0;
        for (Block& b : blocks) {
            QStringList captions, values;
            for (int row : b.rows) {
                captions << caption(row);
                values << value(row);
            }
            b.position = std::max(b.position, end);
            b.caption = ColumnWidth(b.caption, captions, false);
            b.value = ColumnWidth(b.value, values, true);
            end = b.position + b.caption + b.value + 0.1;
        }
        return blocks;
    };
    const auto setTabs = [&](const std::vector<Block>& blocks) {
        r.ClearTabStops();
        for (const Block& b : blocks) {
            r.AddTabStop(b.position, platform::pjLeft, b.caption, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight, b.value, 0, 0, 0);
        }
    };

    if (!round) {
        const std::vector<Block> blocks = layout({ { 1.0, 1.2, 0.7, { 1, 2, 3, 4, 5 } },
            { 3.0, 1.2, 0.7, { 8, 9, 10, 11, 12, 13 } }, { 5.0, 1.1, 0.7, { 16, 17, 18 } } });
        // The headings span their blocks.
        r.ClearTabStops();
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            const double next = b + 1 < blocks.size() ? blocks[b + 1].position : blocks[b].position + 2.1;
            r.AddTabStop(blocks[b].position, platform::pjLeft,
                ColumnWidth(next - blocks[b].position,
                    { caption(b == 0 ? 0
                            : b == 1 ? 7
                                     : 15) },
                    true),
                0, 0, 0);
        }
        bold(0);
        bold(7);
        bold(15);
        r.AdvanceLine();
        setTabs(blocks);
        const int rows[][3] = { { 1, 8, 16 }, { 2, 9, 17 }, { 3, 10, 18 }, { 4, 11, -1 }, { 5, 12, -1 } };
        for (const auto& row : rows) {
            for (int i : row)
                if (i >= 0)
                    item(i);
            r.AdvanceLine();
        }
        r.PrintInNextTab({});
        r.PrintInNextTab({});
        item(13);
        r.AdvanceLine();
        r.AdvanceLine();
        setTabs(layout({ { 1.0, 2.0, 0.7, { 20 } } }));
        item(20);
        r.AdvanceLine();
    } else {
        const std::vector<Block> blocks
            = layout({ { 1.0, 2.0, 0.7, { 0, 1, 2, 3, 4, 11 } }, { 4.0, 2.1, 0.7, { 6, 7, 8, 9 } } });
        setTabs(blocks);
        bold(0);
        r.PrintInNextTab({});
        bold(6);
        r.PrintInNextTab({});
        r.AdvanceLine();
        const int rows[][2] = { { 1, 7 }, { 2, 8 }, { 3, 9 }, { 4, -1 } };
        for (const auto& row : rows) {
            for (int i : row)
                if (i >= 0)
                    item(i);
            r.AdvanceLine();
        }
        r.AdvanceLine();
        item(11);
        r.AdvanceLine();
    }
    table.reset();

    const double ppi = ScreenPixelsPerInch;
    const int height = static_cast<int>(RoundHalfEven((r.GetPageHeight() / 2 - r.MarginBottom()) * 2 * ppi));
    const int width = static_cast<int>(RoundHalfEven((r.GetPageWidth() - 2 * r.MarginLeft()) * 2 * ppi));
    PlacePicture(
        round ? 2 : 1, width, height, r.MarginLeft(), r.GetPageWidth() - r.MarginRight(), r.GetCursorY());
}

void TLPReport::PrintConcreteInputs()
{
    platform::TBaseReport& r = *m_report;
    twoPairTabs(r);
    PrintPair("Label127", "ComboBox12");
    r.PrintInNextTab(q(m_texts.Text("Label147")));
    r.AdvanceLine();
    PrintLabelValue("Label131", "Edit53", "Label132");
    PrintLabelValue("Label134", "Edit55", "Label135");
    r.AdvanceLine();
    PrintLabelValue("Label133", "Edit54", "Label138");
    PrintLabelValue("Label136", "Edit56", "Label137");
    r.AdvanceLine();
    PrintPair("Label142", "ComboBox14");
    r.MoveCursorTo(r.TabTextStart(3), r.GetCursorY());
    r.PrintText(q(m_texts.Text("Label159")));
    r.AdvanceLine();
    PrintLabelValue("Label143", "Edit59");
    r.AdvanceLine();
    PrintPair("Label139", "ComboBox13");
    PrintLabelValue("Label140", "Edit57", "Label141");
    r.AdvanceLine();
    PrintPair("Label146", "ComboBox15");
    r.MoveCursorTo(r.TabTextStart(3), r.GetCursorY());
    r.PrintText(q(m_texts.Text("Label158")));
    r.AdvanceLine();
    PrintLabelValue("Label144", "Edit58", "Label145");
    r.AdvanceLine();

    const double ppi = ScreenPixelsPerInch;
    const double y1 = r.GetCursorY();
    const int height = static_cast<int>(RoundHalfEven((r.GetPageHeight() / 2 - r.MarginBottom()) * 2 * ppi));
    const int width = static_cast<int>(RoundHalfEven((r.GetPageWidth() / 2 - r.MarginLeft()) * 2 * ppi));
    PlacePicture(3, width, height, r.MarginLeft(), r.GetPageWidth() / 2, y1);

    // The interaction diagram beside the section.
    auto graphs = std::make_unique<TfrmGraphs>();
    graphs->PrepareForPrint();
    graphs->ShowGraphs(m_data, gkInteraction);
    QImage diagram = graphs->GraphPicture(1);
    graphs.reset();
    if (diagram.isNull() || diagram.height() == 0)
        return;
    ClearLeftStrip(diagram);
    const double w = (r.GetPageHeight() - 1.0) * (double(diagram.width()) / diagram.height()) / 2;
    r.DrawBitmapInRect(r.GetPageWidth() - w - 0.5, y1, r.GetPageWidth() - 0.5,
        r.GetPageHeight() / 2 + y1 - r.MarginTop(), diagram);
}

void TLPReport::PrintTimberInputs()
{
    platform::TBaseReport& r = *m_report;
    // The columns as designed, or wider where their texts need it (the value columns hold the
    // values with their units, bold).
    const auto texts = [&](std::initializer_list<const char*> names) {
        QStringList out;
        for (const char* name : names)
            out << q(m_texts.Text(name));
        return out;
    };
    const double values = ColumnWidth(0.9,
        { ValueText("Edit61", nullptr), ValueText("Edit62", "Label172"), ValueText("Edit63", "Label174"),
            ValueText("Edit64", "Label176"), ValueText("Edit65", "Label178"), ValueText("Edit66", "Label180"),
            ValueText("Edit67", "Label182") },
        true);
    const double captions = ColumnWidth(2.2,
        texts({ "Label190", "Label184", "Label186", "Label188", "Label194", "Label185", "Label189",
            "Label192", "Label195" }),
        false);
    r.ClearTabStops();
    r.AddTabStop(0.5, platform::pjLeft, 1.5, 0, 0, 0);
    r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight, values, 0, 0, 0);
    r.AddTabStop(std::max(3.4, 2.0 + values + 0.1), platform::pjLeft, captions, 0, 0, 0);
    r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight,
        std::max(ColumnWidth(0.8,
                     texts({ "Edit68", "Edit69", "Edit70", "Edit71", "Edit72", "Edit73", "Edit74" }), true),
            ColumnWidth(0.8, texts({ "Label197" }), false)),
        0, 0, 0);
    r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight,
        std::max(ColumnWidth(0.8, texts({ "Edit75", "Edit76", "Edit77" }), true),
            ColumnWidth(0.8, texts({ "Label198" }), false)),
        0, 0, 0);
    r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight,
        ColumnWidth(0.3, texts({ "Label187", "Label191", "Label193" }), true), 0, 0, 0);

    // The analysis rows: a caption, then the adjusted and actual values and their unit in bold.
    const auto analysis
        = [&](const char* caption, const char* adjusted, const char* actual, const char* unit) {
              r.PrintInNextTab(q(m_texts.Text(caption)));
              r.SetBold(true);
              r.PrintInNextTab(q(m_texts.Text(adjusted)));
              r.PrintInNextTab(q(m_texts.Text(actual)));
              r.PrintInNextTab(q(m_texts.Text(unit)));
              r.SetBold(false);
          };

    PrintLabelValue("Label151", "Edit61");
    r.PrintInNextTab(q(m_texts.Text("Label190")));
    r.AdvanceLine();
    r.MoveCursorTo(r.TabTextStart(1), r.GetCursorY());
    r.PrintText(q(m_texts.Text("Label154")));
    PrintLabelValue("Label184", "Edit68");
    r.AdvanceLine();
    PrintLabelValue("Label171", "Edit62", "Label172");
    PrintLabelValue("Label186", "Edit69");
    r.AdvanceLine();
    PrintLabelValue("Label173", "Edit63", "Label174");
    PrintLabelValue("Label188", "Edit70");
    r.AdvanceLine();
    PrintLabelValue("Label175", "Edit64", "Label176");
    r.PrintInNextTab(q(m_texts.Text("Label194")));
    r.PrintInNextTab(q(m_texts.Text("Label197")));
    r.PrintInNextTab(q(m_texts.Text("Label198")));
    r.AdvanceLine();
    r.PrintInNextTab(q(m_texts.Text("Label183")));
    r.PrintInNextTab({});
    analysis("Label185", "Edit71", "Edit75", "Label187");
    r.AdvanceLine();
    PrintLabelValue("Label177", "Edit65", "Label178");
    analysis("Label189", "Edit72", "Edit76", "Label191");
    r.AdvanceLine();
    PrintLabelValue("Label179", "Edit66", "Label180");
    analysis("Label192", "Edit73", "Edit77", "Label193");
    r.AdvanceLine();
    PrintLabelValue("Label181", "Edit67", "Label182");
    PrintLabelValue("Label195", "Edit74", nullptr, nullptr, m_texts["Edit74"].Red);
    r.AdvanceLine();
}
