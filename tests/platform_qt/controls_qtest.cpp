// Control roles of the platform layer: Tags, handlers that fire for the user only and can be
// detached and copied, copying a control's properties, the toggle glyph, anchors, top alignment
// and the settings store.
#include "platform/qt/alignment.h"
#include "platform/qt/controls.h"
#include "platform/qt/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Settings written here go to Qt's test folders, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        platform::deleteSettingsKey(QStringLiteral("Software"));
    }

    void handlersFireForTheUserOnly()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* combo = new QComboBox(&window);
        combo->addItems({ QStringLiteral("a"), QStringLiteral("b") });
        auto* check = new QCheckBox(&window);
        combo->move(0, 30);
        check->move(0, 60);
        QStringList log;
        platform::controlEvents(edit).onChange
            = [&](QObject* s) { log << QStringLiteral("change:") + s->metaObject()->className(); };
        platform::controlEvents(combo).onChange = [&](QObject*) { log << QStringLiteral("change:combo"); };
        platform::controlEvents(check).onClick = [&](QObject*) { log << QStringLiteral("click"); };
        platform::controlEvents(edit).onExit = [&](QObject*) { log << QStringLiteral("exit"); };
        platform::controlEvents(edit).onKeyPress = [&](QObject*, QChar& key) {
            if (key == QLatin1Char('x'))
                key = QChar(); // swallowed
        };

        edit->setText(QStringLiteral("code"));
        combo->setCurrentIndex(1);
        check->setChecked(true);
        QVERIFY(log.isEmpty());

        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1x2"));
        QCOMPARE(edit->text(), QStringLiteral("code12"));
        QCOMPARE(log.count(QStringLiteral("change:QLineEdit")), 2);
        check->setFocus(); // leaving the edit inside the window
        QVERIFY(log.contains(QStringLiteral("exit")));
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(log.contains(QStringLiteral("click")));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);
        QVERIFY(log.contains(QStringLiteral("change:combo")));
    }

    void tagsAndHandlersAreCopiedButNotTheName()
    {
        QWidget row;
        auto* source = new QLineEdit(&row);
        source->setObjectName(QStringLiteral("Cohesion1"));
        source->setText(QStringLiteral("0.10"));
        source->setReadOnly(true);
        platform::setControlTag(source, 25);
        platform::setControlColor(source, platform::colorFromBgr(platform::clSkyBlue));
        QObject* seen = nullptr;
        platform::controlEvents(source).onExit = [&](QObject* s) { seen = s; };
        QFont font = source->font();
        font.setPointSize(20);
        source->setFont(font);

        QWidget other;
        auto* copy = new QLineEdit(&other);
        copy->setObjectName(QStringLiteral("Cohesion2"));
        CopyPublishedProperties(source, copy);
        QCOMPARE(copy->objectName(), QStringLiteral("Cohesion2"));
        QCOMPARE(copy->text(), QStringLiteral("0.10"));
        QVERIFY(copy->isReadOnly());
        QCOMPARE(platform::controlTag(copy), 25);
        QCOMPARE(copy->palette().color(QPalette::Base), QColor(166, 202, 240));
        QVERIFY(copy->font().pointSize() != 20); // fonts stay
        platform::ControlEvents* events = platform::findControlEvents(copy);
        QVERIFY(events && events->onExit);
        events->onExit(copy);
        QCOMPARE(seen, copy);
        QVERIFY(!platform::findControlEvents(&other)); // nothing created where none was asked for

        // A second copy between the same classes, and one onto another class, copy the same way.
        auto* again = new QLineEdit(&other);
        CopyPublishedProperties(source, again);
        QCOMPARE(again->text(), QStringLiteral("0.10"));
        QVERIFY(again->isReadOnly());
        QCOMPARE(platform::controlTag(again), 25);
        auto* label = new QLabel(&other);
        CopyPublishedProperties(source, label);
        QCOMPARE(label->text(), QStringLiteral("0.10"));
        QCOMPARE(label->geometry(), source->geometry());
        QCOMPARE(platform::controlTag(label), 25);
    }

    void toggleGlyphKeepsItsStateInTheTag()
    {
        QPixmap pass(16, 16), fail(16, 16);
        pass.fill(Qt::green);
        fail.fill(Qt::red);
        const platform::ImageList images = { QIcon(pass), QIcon(fail) };
        QToolButton button;
        SetToggleGlyph(false, &button, images);
        QCOMPARE(platform::controlTag(&button), 1);
        QCOMPARE(button.icon().pixmap(16).toImage().pixelColor(4, 4), QColor(Qt::red));
        SetToggleGlyph(true, &button, images);
        QCOMPARE(platform::controlTag(&button), 0);
        QCOMPARE(button.icon().pixmap(16).toImage().pixelColor(4, 4), QColor(Qt::green));
    }

    void anchorsFollowTheParent()
    {
        QWidget parent;
        parent.resize(400, 100);
        parent.show(); // a hidden widget gets its resize events when it is shown
        auto* right = new QWidget(&parent);
        right->setGeometry(350, 10, 40, 20); // 10 pixels from the right edge
        auto* stretch = new QWidget(&parent);
        stretch->setGeometry(10, 40, 380, 50);
        platform::setAnchors(right, platform::akTop | platform::akRight);
        platform::setAnchors(
            stretch, platform::akLeft | platform::akTop | platform::akRight | platform::akBottom);
        parent.resize(600, 150);
        QCOMPARE(right->geometry(), QRect(550, 10, 40, 20));
        QCOMPARE(stretch->geometry(), QRect(10, 40, 580, 100));
    }

    void topAlignedChildrenStackInTheOrderOfTheirTops()
    {
        platform::TopAlignContainer box;
        box.resize(500, 50);
        QList<QWidget*> rows;
        for (int i = 0; i < 3; ++i) {
            auto* row = new QWidget(&box);
            row->setObjectName(QStringLiteral("row%1").arg(i + 1));
            row->setGeometry(0, i * 1000, 100, 30);
            box.setTopAligned(row);
            rows << row;
        }
        auto* marker = new QWidget(&box);
        marker->setGeometry(0, 151, 1, 1);
        box.realign();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rows[i]->geometry(), QRect(0, i * 30, 500, 30));
        QCOMPARE(box.minimumHeight(), 152); // the marker below the rows counts

        rows[0]->move(0, 1 << 20); // a very large top sends a row to the end
        box.realign();
        QCOMPARE(rows[1]->y(), 0);
        QCOMPARE(rows[2]->y(), 30);
        QCOMPARE(rows[0]->y(), 60);
        rows[2]->hide();
        box.realign();
        QCOMPARE(rows[0]->y(), 30);
        delete rows[1];
        QCOMPARE(rows[0]->y(), 0);
    }

    void settingsKeysAndValues()
    {
        const QString key = QStringLiteral("Software\\Braxholm\\Fendrix\\WinPos");
        {
            platform::SettingsKey reader;
            QVERIFY(!reader.openKey(key, false)); // absent and not created
            QVERIFY(!reader.valueExists(QStringLiteral("Left")));
            QCOMPARE(reader.readInteger(QStringLiteral("Left")), 0);
        }
        {
            platform::SettingsKey writer;
            QVERIFY(writer.openKey(key, true));
            writer.writeInteger(QStringLiteral("Left"), -35);
            writer.writeBool(QStringLiteral("Flag"), true);
        }
        platform::SettingsKey reader;
        QVERIFY(reader.openKey(key, false));
        QCOMPARE(reader.readInteger(QStringLiteral("Left")), -35);
        QVERIFY(reader.readBool(QStringLiteral("Flag")));
        QVERIFY(!reader.valueExists(QStringLiteral("Top")));
        // The key with a trailing separator and the one without name the same place.
        platform::SettingsKey parent;
        QVERIFY(parent.openKey(QStringLiteral("Software\\Braxholm\\Fendrix\\"), false));
        QVERIFY(parent.valueExists(QStringLiteral("WinPos\\Left"))
            || parent.valueExists(QStringLiteral("WinPos/Left")));
        platform::deleteSettingsKey(key);
        platform::SettingsKey gone;
        QVERIFY(!gone.openKey(key, false));
    }
};

QTEST_MAIN(ControlsTest)

#include "controls_qtest.moc"
