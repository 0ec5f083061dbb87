#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "support/MessageFactory.hpp"
#include "ui/RowSource.hpp"

namespace umbrascope::test {

// Runs the event loop until the condition holds or a generous deadline passes.
template <typename Condition>
bool waitFor(Condition condition, int milliseconds = 10000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(1);
    }
    return true;
}

// The button showing `text` under `root`.
inline QAbstractButton* button(const QWidget& root, const char* text) {
    for (QAbstractButton* b : root.findChildren<QAbstractButton*>())
        if (b->text() == QString::fromUtf8(text)) return b;
    return nullptr;
}

// The widget of type W under `root` with that accessible name.
template <typename W>
W* named(const QWidget& root, const char* accessibleName) {
    for (W* w : root.findChildren<W*>())
        if (w->accessibleName() == QString::fromUtf8(accessibleName)) return w;
    return nullptr;
}

// Keys pressed where the system delivers them: the active window's focused widget.
inline QWidget* keyTarget() {
    QWidget* active = QApplication::activeWindow();
    return active && active->focusWidget() ? active->focusWidget() : active;
}
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(keyTarget(), key, modifiers);
}
inline void type(char character) {
    QTest::keyClick(keyTarget(), character);
}

// Waits until the sheet is the active window, the one that gets the keys.
inline bool activate(QDialog* sheet) {
    return sheet && waitFor([&] { return QApplication::activeWindow() == sheet; });
}
// True once the sheet is closed and deleted.
inline bool gone(const QPointer<QDialog>& sheet) {
    return waitFor([&] { return sheet.isNull(); });
}

inline QString accessibleText(QObject* object, QAccessible::Text text) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(text) : QString();
}

// The widgets that Tab visits from `start`, until it comes back (or a bound is reached).
inline std::vector<QWidget*> tabCycle(QWidget* start) {
    std::vector<QWidget*> visited;
    start->setFocus();
    QWidget* window = start->window();
    for (int i = 0; i < 100; ++i) {
        visited.push_back(window->focusWidget());
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        if (window->focusWidget() == start) break;
    }
    return visited;
}

// The WCAG 2 contrast ratio of two colours (1 to 21).
inline double contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& color) {
        const auto channel = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
               0.0722 * channel(color.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A record as received, with an identity of its own.
inline MIDIMessage makeMessage(std::int64_t sequence, PacketWords words,
                               const char* source = "Test Source") {
    MIDIMessage message = testing_support::makeMessage(words, source, sequence);
    message.id = Identifier::make();
    return message;
}

class VectorRows final : public RowSource {
public:
    std::size_t rowCount() const override { return messages.size(); }
    const MIDIMessage& message(std::size_t row) const override { return messages[row]; }

    // Appends notes with the next sequence numbers.
    void add(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            messages.push_back(makeMessage(next++, {0x20903C40}));
    }
    void dropFront(std::size_t count) {
        for (std::size_t i = 0; i < count && !messages.empty(); ++i)
            messages.pop_front();
    }

    std::deque<MIDIMessage> messages;
    std::int64_t next = 0;
};

} // namespace umbrascope::test
