#include "ui/KeyRouter.hpp"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>
#include <string_view>

namespace umbrascope {

namespace {

// One per application object: a new application gets a new router.
QPointer<KeyRouter> currentRouter;

} // namespace

void KeyRouter::removeHandler(QWidget* window) {
    if (currentRouter) currentRouter->setHandler(window, nullptr);
}

KeyRouter& KeyRouter::instance() {
    if (!currentRouter) {
        currentRouter = new KeyRouter;
        currentRouter->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(currentRouter);
    }
    return *currentRouter;
}

KeyRouter::KeyRouter() = default;

void KeyRouter::setHandler(QWidget* window, KeyHandler handler) {
    std::erase_if(routes_, [window](const Route& route) {
        return route.window == nullptr || route.window == window;
    });
    if (window && handler) routes_.push_back(Route{window, std::move(handler)});
}

std::optional<WindowKey> KeyRouter::commandFor(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers != Qt::NoModifier) return std::nullopt;
    std::optional<WindowKey> key;
    if (event.key() == Qt::Key_Up) key = WindowKey::of(ArrowKey::up);
    if (event.key() == Qt::Key_Down) key = WindowKey::of(ArrowKey::down);
    const QString text = event.text();
    if (!key && text.size() == 1 && text[0].unicode() <= 0x7F) {
        key = WindowKey::typed(static_cast<char>(text[0].unicode()));
        // The screen reader's desktop layout owns the keypad's + and -.
        if ((event.modifiers() & Qt::KeypadModifier) && !text[0].isDigit()) return std::nullopt;
    }
    if (!key || !findKeyCommand(*key)) return std::nullopt;
    return key;
}

bool KeyRouter::isTextField(const QWidget* widget) {
    if (!widget) return false;
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(widget)) return !text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return !plain->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

bool KeyRouter::usesArrows(const QWidget* widget) {
    if (!widget) return false;
    if (widget->property(usesArrowsProperty).toBool()) return true;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->autoExclusive(); // radio buttons move between themselves
    return qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget);
}

const KeyRouter::Route* KeyRouter::routeFor(const QWidget* window) const {
    // A dialog of ours has one of our windows among its ancestors.
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        for (const Route& route : routes_)
            if (route.window == w) return &route;
    }
    return nullptr;
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // A key press travels from the focused widget up to its window; take it at its first stop.
    QWidget* window = widget->window();
    QWidget* firstReceiver = window->focusWidget() ? window->focusWidget() : window;
    if (widget != firstReceiver) return false;
    if (QApplication::activePopupWidget() || isTextField(window->focusWidget())) return false;
    if (!window->isActiveWindow()) return false;
    const Route* route = routeFor(window);
    if (!route) return false;
    const auto command = commandFor(*static_cast<QKeyEvent*>(event));
    if (!command) return false;
    // A screen reader's user reads lists, text and pickers with the arrows.
    if (command->arrow && usesArrows(window->focusWidget())) return false;
    // Copied: the handler may replace itself.
    const KeyHandler handler = route->handler;
    if (!handler(*command)) return false;
    event->accept();
    return true;
}

} // namespace umbrascope
