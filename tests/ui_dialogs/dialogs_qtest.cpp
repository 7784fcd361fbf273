// The About box and the splash window, and the helpers that bind numeric edits and the soil and
// bar lists to the model's rules.
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "platform/qt/shell.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/editvalue.h"
#include "ui/dialogs/splash.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <limits>

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void cleanup()
    {
        platform::setShellOpenHandler({});
        TLPData reset; // the field-limit table is process-wide: back to English
        reset.SetUnits(kUnitsUS);
        QLocale::setDefault(QLocale::c());
    }

    void aboutShowsTheVersionOfTheBuild()
    {
        TfrmSFAbout box;
        QCOMPARE(box.Label3->text(), QStringLiteral("Version " FENDRIX_EXPECTED_VERSION));
        QVERIFY(box.Button1->isDefault());

        QStringList opened;
        platform::setShellOpenHandler([&](const QString& what) {
            opened << what;
            return true;
        });
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.Label2, Qt::LeftButton);
        QCOMPARE(opened, QStringList({ HomePageAddress() }));
        QVERIFY(HomePageAddress().startsWith(QStringLiteral("https://")));

        // OK and Escape both close it.
        QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Escape); });
        QCOMPARE(box.exec(), int(QDialog::Rejected));
        QTimer::singleShot(0, &box, [&] { box.Button1->click(); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }

    void splashClosesItselfAfterTwoSeconds()
    {
        QPointer<TfrmSplash> splash = new TfrmSplash;
        QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(splash->size(), QSize(601, 423));
        QCOMPARE(splash->Timer1->interval(), 2000);
        QElapsedTimer clock;
        clock.start();
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000); // closed and freed
        QVERIFY(clock.elapsed() >= 1900);
    }

    void splashClosesAtOnceOnAClick_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("picture") << QStringLiteral("Image1");
        QTest::newRow("title") << QStringLiteral("Label1");
        QTest::newRow("maker") << QStringLiteral("Label2");
    }

    void splashClosesAtOnceOnAClick()
    {
        QFETCH(QString, target);
        QPointer<TfrmSplash> splash = new TfrmSplash;
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QLabel* label = splash->findChild<QLabel*>(target);
        QVERIFY(label);
        QTest::mouseClick(label, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 1000);
    }

    void numericEditsClampAndFormatByTheirTag()
    {
        TLPData model; // English limits
        QLineEdit edit;
        platform::setControlTag(&edit, 1); // pile length, 5..450 ft, 2 decimals
        edit.setText(QStringLiteral("500"));
        QCOMPARE(double(GetEditValue(&edit)), 450.0);
        QCOMPARE(edit.text(), QStringLiteral("450.00"));
        edit.setText(QStringLiteral("30"));
        QCOMPARE(double(GetEditValue(&edit)), 30.0);
        QCOMPARE(edit.text(), QStringLiteral("30")); // not rewritten when in range

        model.SetUnits(kUnitsSI); // 1.5..150 m, 3 decimals
        edit.setText(QStringLiteral("0.5"));
        QCOMPARE(double(GetEditValue(&edit)), 1.5);
        QCOMPARE(edit.text(), QStringLiteral("1.500"));
        model.SetUnits(kUnitsUS);

        platform::setControlTag(&edit, 63); // clear cover: no range
        edit.setText(QStringLiteral("-3.5"));
        QCOMPARE(double(GetEditValue(&edit)), -3.5);
        edit.setText(QStringLiteral("1,250.5"));
        QCOMPARE(double(GetEditValue(&edit)), 1250.5);
        // Text that is not a number is refused: the edit shows the value it last showed again.
        edit.setText(QStringLiteral("1,5"));
        QCOMPARE(double(GetEditValue(&edit)), 1.5);
        QCOMPARE(edit.text(), QStringLiteral("1.500"));
        QLineEdit fresh; // never shown a value: reads 0
        fresh.setText(QStringLiteral("abc"));
        QCOMPARE(double(GetEditValue(&fresh)), 0.0);

        platform::setControlTag(&edit, 4); // lateral load 0..2500
        edit.setText(QStringLiteral("-7"));
        QCOMPARE(double(GetEditValue(&edit)), 0.0);
        QCOMPARE(edit.text(), QStringLiteral("0.00"));

        // Overrides replace the row: a non-zero minimum wins over the maximum.
        platform::setControlTag(&edit, 55);
        edit.setText(QStringLiteral("2"));
        QCOMPARE(double(GetEditValue(&edit, 6, 30)), 6.0);
        edit.setText(QStringLiteral("40"));
        QCOMPARE(double(GetEditValue(&edit, 6, 30)), 30.0);
        QCOMPARE(edit.text(), QStringLiteral("30.00"));

        // A German desktop: decimal comma, "." groups thousands. A pasted "1.5" is no number.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        platform::setControlTag(&edit, 63);
        SetEditValue(&edit, false, 12.5L);
        QCOMPARE(edit.text(), QStringLiteral("12,5")); // clear cover: one decimal
        edit.setText(QStringLiteral("1.5"));
        QCOMPARE(double(GetEditValue(&edit)), 12.5);
        QCOMPARE(edit.text(), QStringLiteral("12,5"));
        edit.setText(QStringLiteral("1.250,5"));
        QCOMPARE(double(GetEditValue(&edit)), 1250.5);
    }

    void writingAValueNeverFiresTheChangeHandler()
    {
        TLPData model;
        QLineEdit edit;
        platform::setControlTag(&edit, 1);
        int changes = 0;
        platform::controlEvents(&edit).onChange = [&](QObject*) { ++changes; };
        SetEditValue(&edit, false, 1000);
        QCOMPARE(edit.text(), QStringLiteral("450.00"));
        SetEditValue(&edit, true, 1000);
        QCOMPARE(edit.text(), QStringLiteral("1000.00"));
        QCOMPARE(changes, 0);
        QVERIFY(platform::findControlEvents(&edit)->onChange); // attached again

        edit.setReadOnly(true); // read-only edits are never clamped when written
        SetEditValue(&edit, false, 1000);
        QCOMPARE(edit.text(), QStringLiteral("1000.00"));
        SetEditValue(&edit, false, std::numeric_limits<Extended>::quiet_NaN());
        QCOMPARE(edit.text(), QStringLiteral("N.A."));
        // What could not be computed reads back as such, also after a refused text, not as 0.
        QVERIFY(std::isnan(GetEditValue(&edit)));
        edit.setText(QStringLiteral("abc"));
        QVERIFY(std::isnan(GetEditValue(&edit)));
        QCOMPARE(edit.text(), QStringLiteral("N.A."));
        // ...but reading clamps them.
        edit.setText(QStringLiteral("1000"));
        QCOMPARE(double(GetEditValue(&edit)), 450.0);

        platform::setControlTag(&edit, 0); // no row: 2 decimals, no clamping
        edit.setReadOnly(false);
        SetEditValue(&edit, false, -12.3456);
        QCOMPARE(edit.text(), QStringLiteral("-12.35"));

        edit.show();
        edit.setFocus();
        QTest::keyClicks(&edit, QStringLiteral("7"));
        QCOMPARE(changes, 1); // the user's typing does
    }

    void soilListsOfALayer()
    {
        TLPData model;
        TLayer* layer = model.Layers.GetLayer(0);
        layer->MatType = lpmtGranularSoil;
        QComboBox combo;
        int changes = 0;
        platform::controlEvents(&combo).onChange = [&](QObject*) { ++changes; };
        FillMaterialTypeCombo(&combo, *layer);
        QCOMPARE(combo.count(), 7);
        QCOMPARE(combo.currentData().toInt(), int(lpmtGranularSoil));
        QCOMPARE(changes, 1);

        layer->MatType = lpmtNone;
        FillMaterialTypeCombo(&combo, *layer);
        QCOMPARE(combo.currentIndex(), -1);

        // Only what the material allows; a single choice leaves the list disabled on it.
        layer->MatType = lpmtCohesiveSoil;
        layer->Consistency = lpconStiff;
        QComboBox consistency;
        FillConsistencyCombo(&consistency, *layer);
        TOrdinalSet allowed = layer->AllowedConsistencies();
        allowed.reset(0); // "none" is never offered
        QCOMPARE(consistency.count(), int(allowed.count()));
        for (int i = 0; i < consistency.count(); ++i)
            QVERIFY(allowed.test(std::size_t(consistency.itemData(i).toInt())));
        QCOMPARE(consistency.isEnabled(), consistency.count() > 1);
        if (consistency.isEnabled())
            QCOMPARE(consistency.currentText(), QStringLiteral("Stiff"));

        QComboBox uscs;
        FillUSCSCombo(&uscs, *layer);
        TOrdinalSet allowedUscs = layer->AllowedUSCS();
        allowedUscs.reset(0);
        QCOMPARE(uscs.count(), int(allowedUscs.count()));
        if (!uscs.isEnabled() && uscs.count() > 0)
            QCOMPARE(uscs.currentIndex(), 0);
        for (int i = 0; i < uscs.count(); ++i)
            QVERIFY(!uscs.itemText(i).contains(QLatin1Char(' '))); // classes are written without blanks
    }

    void barSizeLists()
    {
        TLPData model;
        QComboBox us;
        for (const char* bar : { "#3", "#4", "#5", "#6", "#7", "#8", "#9", "#10", "#11", "#14", "#18" })
            us.addItem(QLatin1String(bar));
        SelectBarSize(&us, 5);
        QCOMPARE(us.currentText(), QStringLiteral("#5"));
        QCOMPARE(GetSelectedBarSize(&us), 5);
        SelectBarSize(&us, 18);
        QCOMPARE(GetSelectedBarSize(&us), 18);

        QComboBox canadian;
        for (const char* bar : { "10M", "15M", "20M", "25M", "30M", "35M", "45M", "55M" })
            canadian.addItem(QLatin1String(bar));
        SelectBarSize(&canadian, 15);
        QCOMPARE(canadian.currentText(), QStringLiteral("15M"));
        QCOMPARE(GetSelectedBarSize(&canadian), 15);
        SelectBarSize(&canadian, 5);
        QCOMPARE(canadian.currentIndex(), 0);

        QComboBox empty;
        SelectBarSize(&empty, 5);
        QCOMPARE(empty.currentIndex(), -1);
        // Nothing selected reads as the first bar of the current table.
        QCOMPARE(GetSelectedBarSize(&empty), BarSizeFromText(""));
    }
};

QTEST_MAIN(DialogsTest)

#include "dialogs_qtest.moc"
