#include "platform/ui/events.h"
#include "tests/support/guitest.h"
#include "tests/support/scripteddialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using kv::test::guiApp;

class Form : public QWidget {
public:
    Form()
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w :
             std::initializer_list<QWidget*>{zub, stich, komgrid, katgrid, rezgrid, bem, titel})
            layout->addWidget(w);
        zub->setObjectName(QStringLiteral("zub"));
        stich->setObjectName(QStringLiteral("stich"));
        komgrid->setObjectName(QStringLiteral("komgrid"));
        komgrid->setEditable(true);
        komgrid->addItems({QStringLiteral("eins"), QStringLiteral("zwei")});
        katgrid->addItems({QStringLiteral("Suppen"), QStringLiteral("Salate")});
        rezgrid->addItems({QStringLiteral("Gulasch"), QStringLiteral("Rouladen")});
        titel->setText(QStringLiteral("T i t e l"));
        resize(300, 400);
    }

    QLineEdit* zub = new QLineEdit;
    QLineEdit* stich = new QLineEdit;
    QComboBox* komgrid = new QComboBox;
    QComboBox* katgrid = new QComboBox;
    QListWidget* rezgrid = new QListWidget;
    QTextEdit* bem = new QTextEdit;
    QLabel* titel = new QLabel;
};

class Events : public ::testing::Test {
protected:
    static void SetUpTestSuite() { guiApp(); }
    void SetUp() override
    {
        form = new Form;
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        // Away from the boxes the tests watch; activation gave it to the first one.
        focus(form->bem);
    }
    void TearDown() override { delete form; }

    void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    Form* form = nullptr;
    QStringList log;
};

TEST_F(Events, FocusMovingWithinTheWindowIsOneLostThenOneGot)
{
    kv::ui::onGotFocus(form->zub, [this] { log << QStringLiteral("zub got"); });
    kv::ui::onLostFocus(form->zub, [this] { log << QStringLiteral("zub lost"); });
    kv::ui::onGotFocus(form->stich, [this] { log << QStringLiteral("stich got"); });
    kv::ui::onLostFocus(form->stich, [this] { log << QStringLiteral("stich lost"); });

    focus(form->zub);
    focus(form->stich);
    focus(form->zub);
    EXPECT_EQ(log, QStringList({QStringLiteral("zub got"), QStringLiteral("zub lost"),
                                QStringLiteral("stich got"), QStringLiteral("stich lost"),
                                QStringLiteral("zub got")}));
}

TEST_F(Events, AnotherWindowOrAPopupTakingTheFocusIsNoFocusChange)
{
    int got = 0;
    int lost = 0;
    kv::ui::onGotFocus(form->zub, [&got] { ++got; });
    kv::ui::onLostFocus(form->zub, [&lost] { ++lost; });
    focus(form->zub);
    ASSERT_EQ(got, 1);

    QWidget other;
    auto* otherEdit = new QLineEdit(&other);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    otherEdit->setFocus();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_TRUE(form->zub->hasFocus());
    EXPECT_EQ(got, 1);
    EXPECT_EQ(lost, 0);

    focus(form->stich);
    EXPECT_EQ(lost, 1);
}

TEST_F(Events, ComboAndListGetOneFocusChangeEach)
{
    int comboGot = 0;
    int comboLost = 0;
    int listGot = 0;
    kv::ui::onGotFocus(form->komgrid, [&comboGot] { ++comboGot; });
    kv::ui::onLostFocus(form->komgrid, [&comboLost] { ++comboLost; });
    kv::ui::onGotFocus(form->rezgrid, [&listGot] { ++listGot; });

    focus(form->komgrid);
    focus(form->komgrid->lineEdit());
    QTest::mouseClick(form->komgrid->lineEdit(), Qt::LeftButton);
    form->komgrid->showPopup();
    QCoreApplication::processEvents();
    form->komgrid->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(comboGot, 1);
    EXPECT_EQ(comboLost, 0);
    QTest::mouseClick(form->rezgrid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(comboLost, 1);
    EXPECT_EQ(listGot, 1);
}

TEST_F(Events, ChangeFiresAlsoForTextTheProgramWrites)
{
    int zub = 0;
    int komgrid = 0;
    int katgrid = 0;
    int bem = 0;
    kv::ui::onChange(form->zub, [&zub] { ++zub; });
    kv::ui::onChange(form->komgrid, [&komgrid] { ++komgrid; });
    kv::ui::onChange(form->katgrid, [&katgrid] { ++katgrid; });
    kv::ui::onChange(form->bem, [&bem] { ++bem; });

    form->zub->setText(QStringLiteral("vom Programm"));
    form->komgrid->setCurrentIndex(1);
    form->katgrid->setCurrentIndex(1);
    form->bem->setPlainText(QStringLiteral("Text"));
    EXPECT_EQ(zub, 1);
    EXPECT_EQ(komgrid, 1);
    EXPECT_EQ(katgrid, 1);
    EXPECT_EQ(bem, 1);

    focus(form->zub);
    QTest::keyClicks(form->zub, QStringLiteral("ab"));
    EXPECT_EQ(zub, 3);
    focus(form->komgrid);
    QTest::keyClicks(form->komgrid, QStringLiteral("x"));
    EXPECT_EQ(komgrid, 2);

    EXPECT_THROW(kv::ui::onChange(form->titel, [] {}), std::logic_error);
}

TEST_F(Events, KeyDownGivesTheSystemsCodesAndZeroSwallowsTheKey)
{
    QList<std::pair<int, int>> keys;
    kv::ui::onKeyDown(form->zub, [&keys](int& code, int shift) {
        keys.append({code, shift});
        if (code == kv::ui::KeyDelete)
            code = 0;
    });
    form->zub->setText(QStringLiteral("abc"));
    focus(form->zub);
    QTest::keyClick(form->zub, Qt::Key_Home);
    QTest::keyClick(form->zub, Qt::Key_Delete);
    EXPECT_EQ(form->zub->text(), QStringLiteral("abc"));
    QTest::keyClick(form->zub, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(form->zub, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(form->zub, Qt::Key_F2);
    // The modifier keys themselves come as keys too, as they did.
    EXPECT_EQ(keys, (QList<std::pair<int, int>>{
                        {36, 0}, {46, 0}, {16, 1}, {65, 1}, {17, 2}, {13, 2}, {113, 0}}));
    EXPECT_EQ(kv::ui::keyCodeOf(Qt::Key_End), kv::ui::KeyEnd);
    EXPECT_EQ(kv::ui::keyCodeOf(Qt::Key_Enter), 13) << "the keypad's Enter is Return";
    EXPECT_EQ(kv::ui::keyCodeOf(Qt::Key_Adiaeresis), 0) << "no key code of its own";
}

TEST_F(Events, KeyPressGivesCharacterCodesAndMayRefuseOrReplaceThem)
{
    QList<int> codes;
    kv::ui::onKeyPress(form->zub, [&codes](int& ascii) {
        codes << ascii;
        if (ascii >= '0' && ascii <= '9')
            ascii = 0;
        else if (ascii >= 'a' && ascii <= 'z')
            ascii -= 32;
    });
    focus(form->zub);
    QTest::keyClicks(form->zub, QStringLiteral("a1b"));
    QTest::keyClick(form->zub, Qt::Key_Return);
    QTest::keyClick(form->zub, Qt::Key_Left);
    EXPECT_EQ(form->zub->text(), QStringLiteral("AB"));
    EXPECT_EQ(codes, (QList<int>{'a', '1', 'b', 13}));
}

TEST_F(Events, MouseEventsOfAListArriveFromItsViewport)
{
    QList<std::pair<int, int>> downs;
    int moves = 0;
    int doubles = 0;
    int clicks = 0;
    kv::ui::onMouseDown(form->rezgrid, [&downs](int button, int shift) {
        downs.append({button, shift});
    });
    kv::ui::onMouseMove(form->rezgrid, [&moves] { ++moves; });
    kv::ui::onDblClick(form->rezgrid, [&doubles] { ++doubles; });
    kv::ui::onClick(form->titel, [&clicks] { ++clicks; });

    QWidget* viewport = form->rezgrid->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, Qt::ShiftModifier, QPoint(5, 5));
    QTest::mouseMove(viewport, QPoint(8, 8));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(downs.front(), std::make_pair(2, 1));
    EXPECT_GE(moves, 1);
    EXPECT_EQ(doubles, 1);

    QTest::mouseClick(form->titel, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Events, AFailingHandlerIsReportedAsAnErrorBoxNotACrash)
{
    kv::test::ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("zub_Change : kaputt"), kv::ui::Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(kv::ui::Critical);
    kv::ui::onChange(form->zub, [] { throw std::runtime_error("kaputt"); });
    form->zub->setText(QStringLiteral("x"));
}

}  // namespace
