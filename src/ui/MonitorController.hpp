#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/ContentView.hpp"
#include "ui/RowSource.hpp"

class QDialog;
class QWidget;

namespace umbrascope {

class MonitorWindow;

// Opens one sheet over the window; the dialog calls the view's close operation when it closes
// and is deleted then. Sheets.hpp gives the real ones.
using SheetOpener = std::function<QDialog*(ContentView& view, QWidget* window)>;

struct SheetOpeners {
    SheetOpener breakdown;
    SheetOpener deviceSettings;
    SheetOpener userGuide;

    static SheetOpeners standard();
};

// Joins one ContentView to one MonitorWindow in both directions: the view's visible messages are
// the list's rows and every property reaches its setter; every user action in the window reaches
// the view's operations or its services' setters, so the view announces it. Shows the sheet the
// view has in front and closes it when the view closes or replaces it, and tells the view when the
// user closes it; the keyboard focus then returns to the list.
//
// Main thread only. The view and the window must outlive the controller; sheets hold the view and
// are children of the window, so the window goes before the view.
class MonitorController final : public QObject {
    Q_OBJECT
public:
    MonitorController(ContentView& view, MonitorWindow& window,
                      SheetOpeners sheets = SheetOpeners::standard());
    ~MonitorController() override;

    // The sheet in front, if any.
    QDialog* sheet() const { return sheet_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class VisibleRows;

    void bindWindowToView();
    void showEverything();
    void viewChanged(ContentViewProperty property);
    void managerChanged(MIDIManagerProperty property);
    void speechChanged(SpeechAnnouncerProperty property);
    void visibleChanged(const VisibleChange& change);
    void showMessageCount();
    void showPause();
    std::optional<Identifier> inspectedID() const;
    void showHiddenTypes();
    void showSwitches();
    void showAddressChoices();
    void copy(CopyKind kind);
    void showConnectedSources();

    void syncSheet();
    void openSheet(Sheet sheet);
    void closeSheet();
    void forgetSheet();
    void sheetGone(const QObject* dialog);
    void returnFocus();

    ContentView& view_;
    MonitorWindow& window_;
    SheetOpeners openers_;
    std::unique_ptr<VisibleRows> rows_;
    bool appeared_ = false;

    QPointer<QDialog> sheet_;
    const QObject* front_ = nullptr; // the sheet in front, by identity: outlives its deletion
    Sheet sheetKind_ = Sheet::none;
    // The breakdown's message, by identity: the pause moves it to a copy of the buffer and back.
    std::optional<Identifier> sheetMessage_;
    bool syncing_ = false;

    ObserverList<ContentViewProperty>::Subscription viewSubscription_;
    ObserverList<const VisibleChange&>::Subscription visibleSubscription_;
    ObserverList<ScrollRequest>::Subscription scrollSubscription_;
    ObserverList<MIDIManagerProperty>::Subscription managerSubscription_;
    ObserverList<SpeechAnnouncerProperty>::Subscription speechSubscription_;
};

} // namespace umbrascope
