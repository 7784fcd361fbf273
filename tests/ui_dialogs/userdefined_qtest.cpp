// The user-defined steel section editors: the record copied in whole, OK writes it back, Cancel
// nothing, the inside diameter, the unit labels of both unit systems, and the values kept when
// "User Defined" is the section.
#include "model/lpclasses.h"
#include "ui/dialogs/userdefined.h"

#include "dialogtesting.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using namespace dialogtesting;

namespace {

bool sameShape(const TIShape& a, const TIShape& b)
{
    return a.Name == b.Name && a.W == b.W && a.A == b.A && a.d == b.d && a.bf == b.bf && a.tw == b.tw
        && a.tf == b.tf && a.Ix == b.Ix && a.Zx == b.Zx && a.Sx == b.Sx && a.rx == b.rx && a.Iy == b.Iy
        && a.Zy == b.Zy && a.Sy == b.Sy && a.ry == b.ry && a.J == b.J && a.Cw == b.Cw && a.rts == b.rts
        && a.ho == b.ho;
}

bool sameShape(const TPipeShape& a, const TPipeShape& b)
{
    return a.Name == b.Name && a.W == b.W && a.A == b.A && a.OD == b.OD && a.tnom == b.tnom
        && a.tdes == b.tdes && a.Dt == b.Dt && a.I == b.I && a.Z == b.Z && a.S == b.S && a.r == b.r
        && a.J == b.J;
}

QString unitOf(const TSectionDialog& dialog, const char* editName)
{
    return dialog.UnitLabel(dialog.findChild<QLineEdit*>(QString::fromLatin1(editName)))->text();
}

} // namespace

class UserDefinedTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        m_data = std::make_unique<TLPData>();
        m_data->Reset(true);
        m_data->SetUnits(kUnitsUS);
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        TLPData reset;
        reset.SetUnits(kUnitsUS);
    }

    void iShapeShowsTheWholeRecord()
    {
        TIShape shape;
        shape.Name = "W14X90";
        shape.W = 90;
        shape.A = 26.5;
        shape.d = 14;
        shape.tw = 0.44;
        shape.bf = 14.5;
        shape.tf = 0.71;
        shape.rts = 4.02;
        shape.Zx = 157;
        shape.Ix = 999;
        shape.Sx = 143;
        shape.rx = 6.14;
        shape.Iy = 362;
        shape.Sy = 49.9;
        shape.ry = 3.7;
        shape.Zy = 75.6;
        shape.J = 4.06;
        shape.Cw = 16000;
        shape.ho = 13.3;
        TfrmUserDefinedI dialog(shape);
        dialog.WriteSection();
        const std::pair<const char*, const char*> shown[] = { { "Edit18", "90.00" }, { "Edit1", "26.50" },
            { "Edit2", "14.00" }, { "Edit3", "0.44" }, { "Edit4", "14.50" }, { "Edit5", "0.71" },
            { "Edit6", "4.02" }, { "Edit7", "157.00" }, { "Edit8", "999.00" }, { "Edit9", "143.00" },
            { "Edit10", "6.14" }, { "Edit11", "362.00" }, { "Edit12", "49.90" }, { "Edit13", "3.70" },
            { "Edit14", "75.60" }, { "Edit15", "4.06" }, { "Edit16", "16000.00" }, { "Edit17", "13.30" } };
        for (const auto& [name, text] : shown)
            QCOMPARE(
                dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->text(), QString::fromLatin1(text));
    }

    void siUnitLabelsNameTheTablesUnits()
    {
        // The SI section tables hold mm, mm^2, 10^3 mm^3, 10^6 mm^4 (J 10^3 mm^4, Cw 10^9 mm^6)
        // and kg/m; the labels must say so, since nothing is converted.
        TfrmUserDefinedI shapeI { TIShape {} };
        shapeI.SetSIUnitLabels();
        QCOMPARE(unitOf(shapeI, "Edit18"), QStringLiteral("kg/m"));
        QCOMPARE(unitOf(shapeI, "Edit1"), QStringLiteral("mm^2"));
        QCOMPARE(unitOf(shapeI, "Edit2"), QStringLiteral("mm"));
        QCOMPARE(unitOf(shapeI, "Edit7"), QStringLiteral("10^3 mm^3"));
        QCOMPARE(unitOf(shapeI, "Edit8"), QStringLiteral("10^6 mm^4"));
        QCOMPARE(unitOf(shapeI, "Edit11"), QStringLiteral("10^6 mm^4"));
        QCOMPARE(unitOf(shapeI, "Edit15"), QStringLiteral("10^3 mm^4"));
        QCOMPARE(unitOf(shapeI, "Edit16"), QStringLiteral("10^9 mm^6"));
        QCOMPARE(unitOf(shapeI, "Edit17"), QStringLiteral("mm"));

        TfrmUserDefinedO shapeO { TPipeShape {} };
        shapeO.SetSIUnitLabels();
        QCOMPARE(unitOf(shapeO, "Edit18"), QStringLiteral("kg/m"));
        QCOMPARE(unitOf(shapeO, "Edit3"), QStringLiteral("mm"));
        QCOMPARE(unitOf(shapeO, "Edit5"), QStringLiteral("10^6 mm^4"));
        QCOMPARE(unitOf(shapeO, "Edit6"), QStringLiteral("10^3 mm^3"));
        QCOMPARE(unitOf(shapeO, "Edit9"), QStringLiteral("10^3 mm^4"));
        QCOMPARE(unitOf(shapeO, "Edit10"), QString());

        // The same through the entry point of an SI project.
        m_data->SetUnits(kUnitsSI);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedO*>(modal);
            QVERIFY(dialog);
            QCOMPARE(unitOf(*dialog, "Edit1"), QStringLiteral("mm^2"));
            dialog->Button2->click();
        });
        QVERIFY(!ShowUserDefinedO(*m_data));
    }

    void okWritesTheRecordAndUserDefinedKeepsIt()
    {
        // Start from a table section of a steel H-pile, as a user does.
        m_data->Interface = piRoughSteel;
        m_data->Shape = psSquare;
        m_data->SelectSection(3);
        TIShape before = m_data->IShape;
        QVERIFY(before.Name.size() > 0);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            typeAndLeave(dialog->Edit8, QStringLiteral("20000"), dialog->Edit9);
            QCOMPARE(dialog->Edit8->text(), QStringLiteral("20000.00"));
            // Typed without leaving: OK commits it.
            dialog->Edit18->setFocus(Qt::TabFocusReason);
            dialog->Edit18->selectAll();
            QTest::keyClicks(dialog->Edit18, QStringLiteral("250.125"));
            dialog->Button1->click();
        });
        QVERIFY(ShowUserDefinedI(*m_data));
        TIShape expected = before;
        expected.Ix = 20000;
        expected.W = 250.125;
        QVERIFY(sameShape(m_data->IShape, expected));

        // "User Defined" selects no table row: the record stays; a table row replaces it.
        m_data->SelectSection(-1);
        QCOMPARE(m_data->SectionIndex, -1);
        QVERIFY(sameShape(m_data->IShape, expected));
        m_data->SetUnits(kUnitsUS);
        QVERIFY(sameShape(m_data->IShape, expected));
        m_data->SelectSection(3);
        QVERIFY(sameShape(m_data->IShape, before));
    }

    void cancelWritesNothing()
    {
        m_data->Interface = piRoughSteel;
        m_data->SelectSection(10);
        const TIShape before = m_data->IShape;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            typeAndLeave(dialog->Edit1, QStringLiteral("1"), dialog->Edit2);
            typeAndLeave(dialog->Edit2, QStringLiteral("2"), dialog->Edit3);
            dialog->Button2->click();
        });
        QVERIFY(!ShowUserDefinedI(*m_data));
        QVERIFY(sameShape(m_data->IShape, before));

        const TPipeShape pipeBefore = m_data->PipeShape;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedO*>(modal);
            QVERIFY(dialog);
            typeAndLeave(dialog->Edit2, QStringLiteral("30"), dialog->Edit4);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!ShowUserDefinedO(*m_data));
        QVERIFY(sameShape(m_data->PipeShape, pipeBefore));
    }

    void hollowShapeShowsTheInsideDiameter()
    {
        TPipeShape pipe;
        pipe.Name = "Test pipe";
        pipe.OD = 12.75;
        pipe.tdes = 0.349;
        pipe.tnom = 0.375;
        pipe.Dt = 36.5;
        TfrmUserDefinedO dialog(pipe);
        dialog.WriteSection();
        QCOMPARE(dialog.Edit3->text(), QStringLiteral("12.05")); // 12.75 - 2 x 0.349 = 12.052
        QVERIFY(dialog.Edit3->isReadOnly());
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblEdit5"))->text(), QStringLiteral("Ix=Iy"));

        QVERIFY(showActive(&dialog));
        typeAndLeave(dialog.Edit2, QStringLiteral("10"), dialog.Edit4);
        typeAndLeave(dialog.Edit4, QStringLiteral("0.5"), dialog.Edit5);
        QCOMPARE(dialog.Edit3->text(), QStringLiteral("9.00"));
        dialog.ReadSection();
        QCOMPARE(double(dialog.Section().OD), 10.0);
        QCOMPARE(double(dialog.Section().tdes), 0.5);
        // The nominal wall and the name are neither shown nor changed.
        QCOMPARE(double(dialog.Section().tnom), 0.375);
        QCOMPARE(dialog.Section().Name, std::string("Test pipe"));

        // On a German desktop a typed "." is the decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        typeAndLeave(dialog.Edit4, QStringLiteral("0.25"), dialog.Edit5);
        QCOMPARE(dialog.Edit4->text(), QStringLiteral("0,25"));
        QCOMPARE(dialog.Edit3->text(), QStringLiteral("9,50"));
        dialog.ReadSection();
        QCOMPARE(double(dialog.Section().tdes), 0.25);
    }

    void numbersKeepTheirPrecision()
    {
        // Small SI tubes hold values below the two decimals the edits show: opening the editor
        // and pressing OK must not round them away, and a typed value is kept as typed.
        m_data->SetUnits(kUnitsSI);
        TPipeShape small;
        small.Name = "CHS 21.3x2.3";
        small.W = 1.07771;
        small.A = 137.288;
        small.OD = 21.3;
        small.tnom = 2.3;
        small.tdes = 2.3;
        small.Dt = 9.26087;
        small.I = 0.00628588;
        small.S = 0.590224;
        small.Z = 0.834356;
        small.r = 6.76655;
        small.J = 12.5718;
        m_data->PipeShape = small;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedO*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->Edit5->text(), QStringLiteral("0.01"));
            typeAndLeave(dialog->Edit6, QStringLiteral("0.5937"), dialog->Edit7);
            QCOMPARE(dialog->Edit6->text(), QStringLiteral("0.59"));
            dialog->Button1->click();
        });
        QVERIFY(ShowUserDefinedO(*m_data));
        QCOMPARE(double(m_data->PipeShape.S), 0.5937);
        TPipeShape expected = small;
        expected.S = m_data->PipeShape.S;
        QVERIFY(sameShape(m_data->PipeShape, expected));
    }

    void enterMovesOnInsteadOfClosing()
    {
        TfrmUserDefinedI dialog { TIShape {} };
        dialog.WriteSection();
        QVERIFY(showActive(&dialog));
        dialog.Edit1->setFocus(Qt::TabFocusReason);
        dialog.Edit1->selectAll();
        QTest::keyClicks(dialog.Edit1, QStringLiteral("12.5"));
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(QApplication::focusWidget() != dialog.Edit1);
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("12.50"));
        dialog.ReadSection();
        QCOMPARE(double(dialog.Section().A), 12.5);
    }

private:
    std::unique_ptr<TLPData> m_data;
};

QTEST_MAIN(UserDefinedTest)
#include "userdefined_qtest.moc"
