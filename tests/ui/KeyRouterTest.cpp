#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <optional>
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
        window.setKeyHandler([this](const WindowKey& key) {
            received.push_back(key);
            return true;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override { window.setKeyHandler(nullptr); }

    static void press(Qt::Key key, const char* text,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, QString::fromUtf8(text), autoRepeat);
        QApplication::sendEvent(test::keyTarget(), &event);
    }
    QWidget* focusOn(QWidget* widget) {
        widget->show();
        widget->setFocus();
        EXPECT_TRUE(waitFor([&] { return widget->hasFocus(); }));
        return widget;
    }

    MonitorWindow window;
    std::vector<WindowKey> received;
};

TEST_F(Routed, OurKeysReachTheHandlerWithoutAClickAndOthersDoNot) {
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&window.messageList()));
    const struct {
        const char* name;
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        std::optional<WindowKey> command;
    } cases[] = {
        {"digit", Qt::Key_1, "1", Qt::NoModifier, false, WindowKey::typed('1')},
        {"shifted", Qt::Key_T, "T", Qt::ShiftModifier, false, WindowKey::typed('T')},
        {"repeated", Qt::Key_M, "m", Qt::NoModifier, true, WindowKey::typed('m')},
        {"bracket", Qt::Key_BracketRight, "]", Qt::NoModifier, false, WindowKey::typed(']')},
        {"plus", Qt::Key_Plus, "+", Qt::ShiftModifier, false, WindowKey::typed('+')},
        {"upMovesInTheList", Qt::Key_Up, "", Qt::NoModifier, false, std::nullopt},
        {"minus", Qt::Key_Minus, "-", Qt::NoModifier, false, WindowKey::typed('-')},
        // The screen reader's desktop layout reads with the keypad's + and -.
        {"keypadMinus", Qt::Key_Minus, "-", Qt::KeypadModifier, false, std::nullopt},
        {"nine", Qt::Key_9, "9", Qt::NoModifier, false, std::nullopt},
        {"letterOutsideTheSet", Qt::Key_A, "a", Qt::NoModifier, false, std::nullopt},
        {"controlT", Qt::Key_T, "t", Qt::ControlModifier, false, std::nullopt},
        {"altM", Qt::Key_M, "m", Qt::AltModifier, false, std::nullopt},
        // C is a filter key; with Ctrl it copies, with Alt it reaches the Channel picker.
        {"c", Qt::Key_C, "c", Qt::NoModifier, false, WindowKey::typed('c')},
        {"controlC", Qt::Key_C, "\x03", Qt::ControlModifier, false, std::nullopt},
        {"controlShiftC", Qt::Key_C, "C", Qt::ControlModifier | Qt::ShiftModifier, false,
         std::nullopt},
        {"altC", Qt::Key_C, "c", Qt::AltModifier, false, std::nullopt},
        {"controlUp", Qt::Key_Up, "", Qt::ControlModifier, false, std::nullopt},
        {"left", Qt::Key_Left, "", Qt::NoModifier, false, std::nullopt},
    };
    for (const auto& c : cases) {
        received.clear();
        press(c.key, c.text, c.modifiers, c.autoRepeat);
        const auto got = received.empty() ? std::nullopt : std::optional(received.front());
        EXPECT_EQ(got, c.command) << c.name;
    }
}

// A screen reader's user reads with the arrows wherever the focused control uses them; there
// minus and equals still turn the volume.
TEST_F(Routed, TheArrowsStayWithAFocusedControlThatUsesThem) {
    QWidget* parent = window.centralWidget();
    auto* rowLike = new QWidget(parent);
    rowLike->setFocusPolicy(Qt::StrongFocus);
    rowLike->setProperty(KeyRouter::usesArrowsProperty, true);
    auto* readOnly = new QPlainTextEdit(parent);
    readOnly->setReadOnly(true);
    auto* slider = new QSlider(Qt::Horizontal, parent);
    const struct {
        const char* name;
        QWidget* widget;
        bool arrowsRouted;
    } rows[] = {
        {"messageList", &window.messageList(), false},
        {"readOnlyText", readOnly, false},
        {"picker", new QComboBox(parent), false},
        {"slider", slider, false},
        {"radioButton", new QRadioButton(QStringLiteral("TTS Off"), parent), false},
        {"fieldRow", rowLike, false},
        {"button", new QPushButton(QStringLiteral("Clear"), parent), true},
        {"checkBox", new QCheckBox(QStringLiteral("Tick on Message"), parent), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        focusOn(row.widget);
        received.clear();
        press(Qt::Key_Down, "");
        press(Qt::Key_Up, "");
        press(Qt::Key_Minus, "-");
        press(Qt::Key_Equal, "=");
        std::vector<WindowKey> expected{WindowKey::typed('-'), WindowKey::typed('=')};
        if (row.arrowsRouted)
            expected.insert(expected.begin(),
                            {WindowKey::of(ArrowKey::down), WindowKey::of(ArrowKey::up)});
        EXPECT_EQ(received, expected);
    }
}

TEST_F(Routed, ATextFieldKeepsItsKeysUnlessReadOnlyAndAnIgnoredKeyIsAskedOnce) {
    auto* field = static_cast<QLineEdit*>(focusOn(new QLineEdit(window.centralWidget())));
    press(Qt::Key_M, "m");
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(field->text(), QStringLiteral("m"));
    field->setReadOnly(true);
    press(Qt::Key_M, "m");
    EXPECT_EQ(received.size(), 1u);

    window.setKeyHandler([this](const WindowKey& key) {
        received.push_back(key);
        return false;
    });
    press(Qt::Key_T, "t");
    EXPECT_EQ(received.size(), 2u) << "not asked again on the way up to the window";
}

TEST_F(Routed, OurDialogsRouteButNotTheirFileNameFieldAndOtherWindowsGetNothing) {
    QDialog dialog(&window);
    auto* layout = new QVBoxLayout(&dialog);
    auto* other = new QWidget(&dialog);
    other->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(other);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    focusOn(other);
    press(Qt::Key_G, "g");
    press(Qt::Key_R, "r");
    EXPECT_EQ(received.size(), 2u);
    dialog.close();

    QFileDialog save(&window, QStringLiteral("Export Messages to CSV"));
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&save));
    ASSERT_TRUE(waitFor([&] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }));
    press(Qt::Key_E, "e");
    EXPECT_EQ(received.size(), 2u);
    save.close();

    QWidget foreign;
    foreign.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&foreign));
    press(Qt::Key_T, "t");
    EXPECT_EQ(received.size(), 2u);
}

} // namespace
} // namespace umbrascope
