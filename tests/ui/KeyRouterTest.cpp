#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorWindow.hpp"

namespace umbrascope {
namespace {

using test::waitFor;

// The window with a handler that records what reaches it.
class Routed : public ::testing::Test {
protected:
    void SetUp() override {
        window.setKeyHandler([this](const KeyCommand& command) {
            received.push_back(command);
            return true;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override { window.setKeyHandler(nullptr); }

    // Presses a key where the system would deliver it: the active window's focused widget.
    static void press(Qt::Key key, const QString& text,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        QWidget* active = QApplication::activeWindow();
        QWidget* target = active && active->focusWidget() ? active->focusWidget() : active;
        ASSERT_NE(target, nullptr);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text, autoRepeat);
        QApplication::sendEvent(target, &event);
    }

    MonitorWindow window;
    std::vector<KeyCommand> received;
};

TEST_F(Routed, TheAcceptedCharactersAndArrowsReachTheHandlerWithoutAClick) {
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&window.messageList()))
        << "the list has the focus";
    const std::string accepted = "12345678uUsScCtTgGmMkKrRdDeEiIlL[]";
    for (const char c : accepted)
        press(Qt::Key_unknown, QString(QChar(c)));
    press(Qt::Key_Up, {});
    press(Qt::Key_Down, {});
    ASSERT_EQ(received.size(), accepted.size() + 2);
    for (std::size_t i = 0; i < accepted.size(); ++i)
        EXPECT_EQ(received[i].character, accepted[i]) << i;
    EXPECT_EQ(received[accepted.size()].kind, KeyCommand::Kind::upArrow);
    EXPECT_EQ(received[accepted.size() + 1].kind, KeyCommand::Kind::downArrow);
}

TEST_F(Routed, OtherKeysAndModifiedKeysAreNotOurs) {
    struct Case {
        const char* name;
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {"nine", Qt::Key_9, "9", Qt::NoModifier},
        {"zero", Qt::Key_0, "0", Qt::NoModifier},
        {"letterOutsideTheSet", Qt::Key_A, "a", Qt::NoModifier},
        {"controlT", Qt::Key_T, "t", Qt::ControlModifier},
        {"altM", Qt::Key_M, "m", Qt::AltModifier},
        {"controlUp", Qt::Key_Up, "", Qt::ControlModifier},
        {"left", Qt::Key_Left, "", Qt::NoModifier},
    };
    for (const Case& c : cases)
        press(c.key, QString::fromUtf8(c.text), c.modifiers);
    EXPECT_TRUE(received.empty());
    press(Qt::Key_T, QStringLiteral("T"), Qt::ShiftModifier);
    press(Qt::Key_T, QStringLiteral("t"), Qt::NoModifier, true);
    ASSERT_EQ(received.size(), 2u) << "shift and auto-repeat are commands";
}

TEST_F(Routed, ATextFieldKeepsItsKeys) {
    auto* field = new QLineEdit(window.centralWidget());
    field->show();
    field->setFocus();
    ASSERT_TRUE(waitFor([&] { return field->hasFocus(); }));
    press(Qt::Key_M, QStringLiteral("m"));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(field->text(), QStringLiteral("m"));
    field->setReadOnly(true);
    press(Qt::Key_M, QStringLiteral("m"));
    EXPECT_EQ(received.size(), 1u) << "a read-only field types nothing";
}

TEST_F(Routed, ADialogOfOursInFrontStillRoutesButNotItsFileNameField) {
    QDialog dialog(&window);
    auto* layout = new QVBoxLayout(&dialog);
    auto* field = new QLineEdit(&dialog);
    auto* other = new QWidget(&dialog);
    other->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(other);
    layout->addWidget(field);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    other->setFocus();
    ASSERT_TRUE(waitFor([&] { return other->hasFocus(); }));
    press(Qt::Key_G, QStringLiteral("g"));
    press(Qt::Key_R, QStringLiteral("r"));
    ASSERT_EQ(received.size(), 2u);
    field->setFocus();
    ASSERT_TRUE(waitFor([&] { return field->hasFocus(); }));
    press(Qt::Key_M, QStringLiteral("m"));
    EXPECT_EQ(received.size(), 2u);
    dialog.close();

    QFileDialog save(&window, QStringLiteral("Export Messages to CSV"));
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&save));
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() != nullptr; }));
    ASSERT_TRUE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    press(Qt::Key_E, QStringLiteral("e"));
    EXPECT_EQ(received.size(), 2u);
    save.close();
}

TEST_F(Routed, AWindowThatIsNotOursGetsNothing) {
    QWidget foreign;
    foreign.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&foreign));
    press(Qt::Key_T, QStringLiteral("t"));
    EXPECT_TRUE(received.empty());
}

TEST_F(Routed, AnIgnoredKeyGoesOnToTheFocusedWidget) {
    window.setKeyHandler([this](const KeyCommand& command) {
        received.push_back(command);
        return false;
    });
    auto* field = new QLineEdit(window.centralWidget());
    field->setReadOnly(true);
    field->show();
    field->setFocus();
    ASSERT_TRUE(waitFor([&] { return field->hasFocus(); }));
    press(Qt::Key_T, QStringLiteral("t"));
    EXPECT_EQ(received.size(), 1u) << "asked once, not again on the way up to the window";
}

} // namespace
} // namespace umbrascope
