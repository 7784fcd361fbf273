// The factor-of-safety calculator: the suggestion follows design life and construction control,
// which go into the project at once; the two factors only on OK.
#include "model/lpclasses.h"
#include "model/tables.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/factorofsafety.h"

#include "dialogtesting.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cmath>

using namespace dialogtesting;

class FactorOfSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        m_data = std::make_unique<TLPData>();
        m_data->Reset(true);
        m_data->DesignLife = 75;
        m_data->ConstructionControl = 1;
        m_data->FSSide = 3;
        m_data->FSEnd = 3.5;
    }

    void opensOnTheProjectsValues()
    {
        TfrmFactorOfSafetyCalc dialog(*m_data);
        QCOMPARE(dialog.SpinEdit1->minimum(), 10);
        QCOMPARE(dialog.SpinEdit1->maximum(), 200);
        QCOMPARE(dialog.SpinEdit1->value(), 75);
        QCOMPARE(dialog.ComboBox1->currentText(), QStringLiteral("Normal Control"));
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("2.5"));
        QVERIFY(dialog.Edit1->isReadOnly());
    }

    void suggestionFollowsTheTable_data()
    {
        QTest::addColumn<int>("life");
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("shown");
        QTest::newRow("75 normal") << 75 << 1 << "2.5";
        QTest::newRow("100 very poor") << 100 << 3 << "4.0";
        QTest::newRow("24 good") << 24 << 0 << "1.4";
        QTest::newRow("25 good, the second row starts") << 25 << 0 << "2.0";
        QTest::newRow("99 poor") << 99 << 2 << "2.8";
        QTest::newRow("200 normal") << 200 << 1 << "3.0";
        QTest::newRow("10 very poor") << 10 << 3 << "2.8";
    }

    void suggestionFollowsTheTable()
    {
        QFETCH(int, life);
        QFETCH(int, control);
        QFETCH(QString, shown);
        TfrmFactorOfSafetyCalc dialog(*m_data);
        QVERIFY(showActive(&dialog));
        pickItem(dialog.ComboBox1, control);
        dialog.SpinEdit1->setValue(life);
        QCOMPARE(dialog.Edit1->text(), shown);
        // Written into the project as they change.
        QCOMPARE(m_data->DesignLife, life);
        QCOMPARE(m_data->ConstructionControl, control);
        // Outside 10..200 the spin edit holds the value at its ends (read-only suggestions are
        // never clamped to the F.S. input's limits: 1.4 stays 1.4).
        dialog.SpinEdit1->setValue(5);
        QCOMPARE(m_data->DesignLife, 10);
    }

    void okAppliesTheSuggestionToBothFactors()
    {
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmFactorOfSafetyCalc*>(modal);
            QVERIFY(dialog);
            dialog->SpinEdit1->setValue(24);
            pickItem(dialog->ComboBox1, 0);
            dialog->Button1->click();
        });
        QVERIFY(ShowFactorOfSafetyCalc(*m_data));
        QCOMPARE(double(m_data->FSSide), 1.4);
        QCOMPARE(double(m_data->FSEnd), 1.4);
        QCOMPARE(m_data->DesignLife, 24);
        QCOMPARE(m_data->ConstructionControl, 0);
    }

    void cancelKeepsTheFactorsButNotTheDesignLife()
    {
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmFactorOfSafetyCalc*>(modal);
            QVERIFY(dialog);
            dialog->SpinEdit1->setValue(120);
            pickItem(dialog->ComboBox1, 3);
            QCOMPARE(dialog->Edit1->text(), QStringLiteral("4.0"));
            dialog->Button2->click();
        });
        QVERIFY(!ShowFactorOfSafetyCalc(*m_data));
        QCOMPARE(m_data->DesignLife, 120);
        QCOMPARE(m_data->ConstructionControl, 3);
        QCOMPARE(double(m_data->FSSide), 3.0);
        QCOMPARE(double(m_data->FSEnd), 3.5);

        whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QVERIFY(!ShowFactorOfSafetyCalc(*m_data));
        QCOMPARE(double(m_data->FSSide), 3.0);
    }

    void unknownConstructionControlSuggestsNothing()
    {
        // A damaged project file may carry any number here.
        m_data->ConstructionControl = 7;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmFactorOfSafetyCalc*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->ComboBox1->currentIndex(), -1);
            QCOMPARE(dialog->Edit1->text(), QStringLiteral("N.A."));
            dialog->Button1->click();
        });
        QVERIFY(ShowFactorOfSafetyCalc(*m_data));
        QCOMPARE(double(m_data->FSSide), 3.0);
        QCOMPARE(double(m_data->FSEnd), 3.5);
        QVERIFY(!std::isnan(m_data->FSSide));
    }

private:
    std::unique_ptr<TLPData> m_data;
};

QTEST_MAIN(FactorOfSafetyTest)
#include "factorofsafety_qtest.moc"
