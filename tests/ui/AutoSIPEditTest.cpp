#include "ui/AutoSIPEdit.h"
#include "platform/shell/SoftKeyboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class SipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSoftKeyboard(&keyboard);
        sipSuppressed = 0;
        nextEditWantsSip = 0;
        auto* layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QPlainTextEdit(&window);
        plain = new QLineEdit(&window);
        button = new QPushButton(QStringLiteral("OK"), &window);
        for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second),
                 static_cast<QWidget*>(plain), static_cast<QWidget*>(button)})
            layout->addWidget(w);
        new CAutoSIPEdit(first);
        new CAutoSIPEdit(second);
        button->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        button->setFocus();
        QApplication::processEvents();
        keyboard = SimulatedSoftKeyboard();
    }
    void TearDown() override
    {
        SetSoftKeyboard(nullptr);
        sipSuppressed = 1;
        nextEditWantsSip = 0;
    }
    void Focus(QWidget* widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }

    SimulatedSoftKeyboard keyboard;
    QWidget window;
    QLineEdit* first = nullptr;
    QPlainTextEdit* second = nullptr;
    QLineEdit* plain = nullptr;
    QPushButton* button = nullptr;
};

} // namespace

TEST_F(SipTest, PanelStaysUpBetweenFieldsAndGoesDownElsewhere)
{
    Focus(first);
    EXPECT_TRUE(keyboard.up);
    Focus(second);
    EXPECT_TRUE(keyboard.up) << "from one such field to another";
    EXPECT_EQ(nextEditWantsSip, 1);
    Focus(button);
    EXPECT_FALSE(keyboard.up);
    EXPECT_EQ(nextEditWantsSip, 0);
    Focus(first);
    EXPECT_TRUE(keyboard.up);
    Focus(plain);
    EXPECT_FALSE(keyboard.up) << "a plain edit is not such a field";
}

TEST_F(SipTest, PanelTheUserHadUpIsLeftAlone)
{
    Focus(button);
    keyboard.up = true; // the user raised it
    Focus(first);
    Focus(button);
    EXPECT_TRUE(keyboard.up);
    EXPECT_EQ(CAutoSIPEdit::Of(first)->leaveSipAlone, 1);
}

TEST_F(SipTest, SuppressedUntilTheMainWindowIsReady)
{
    sipSuppressed = 1;
    Focus(first);
    Focus(button);
    EXPECT_FALSE(keyboard.up);
    EXPECT_EQ(keyboard.requests, 0);
}

TEST_F(SipTest, DestroyingAFieldThatRaisedThePanelLowersIt)
{
    // A field that never had the focus leaves the panel alone when it goes.
    Focus(first);
    ASSERT_TRUE(keyboard.up);
    delete second;
    second = nullptr;
    EXPECT_TRUE(keyboard.up);
    EXPECT_EQ(QApplication::focusWidget(), first);

    // The field that raised it takes it down with it.
    EXPECT_EQ(CAutoSIPEdit::Of(first)->leaveSipAlone, 0);
    delete first;
    first = nullptr;
    EXPECT_FALSE(keyboard.up);
}

TEST_F(SipTest, HelperGoingAwayFromTheFocusedFieldLowersThePanel)
{
    Focus(first);
    ASSERT_TRUE(keyboard.up);
    delete CAutoSIPEdit::Of(first);
    EXPECT_FALSE(keyboard.up);
    EXPECT_EQ(QApplication::focusWidget(), first) << "no focus change did it";

    // A helper whose field lost the focus long ago leaves the panel alone.
    Focus(second);
    ASSERT_TRUE(keyboard.up);
    Focus(plain);
    keyboard.up = true; // the user raised it again
    delete CAutoSIPEdit::Of(second);
    EXPECT_TRUE(keyboard.up);
}
