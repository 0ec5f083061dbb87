#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "app/KeyCommands.hpp"

class QKeyEvent;
class QWidget;

namespace umbrascope {

// Returns true when the key was handled; an ignored key goes on to the focused widget.
using KeyHandler = std::function<bool(const WindowKey&)>;

// Routes the single-key commands to a window's handler, application-wide: while that window or a
// dialog of it is the active window, whichever widget has the focus, except a text field (where
// the keys are typing) or an open popup (menus and drop-down lists keep their arrows); the arrows
// also stay with a focused control that uses them. Only
// unmodified or shifted keys are commands; auto-repeat repeats. Main thread only.
class KeyRouter final : public QObject {
    Q_OBJECT
public:
    static KeyRouter& instance();

    // The window's handler replaces any earlier one for it; a null handler removes it.
    void setHandler(QWidget* window, KeyHandler handler);
    // Also safe once the application object is gone.
    static void removeHandler(QWidget* window);

    // The window key a key press stands for, if it is one of keyCommands.
    static std::optional<WindowKey> commandFor(const QKeyEvent& event);
    // A widget where keys are typed as text.
    static bool isTextField(const QWidget* widget);
    // A control that moves within itself with the arrows (lists, text, pickers, sliders, radio
    // buttons, or a widget that says so with this property); elsewhere they turn the volume.
    static constexpr const char* usesArrowsProperty = "usesArrows";
    static bool usesArrows(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyRouter();
    struct Route {
        QPointer<QWidget> window;
        KeyHandler handler;
    };
    const Route* routeFor(const QWidget* window) const;

    std::vector<Route> routes_;
};

} // namespace umbrascope
