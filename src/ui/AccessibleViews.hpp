#pragma once

#include <QAccessibleInterface>
#include <QModelIndex>

namespace umbrascope {

class MessageListView;

// Our own accessible interfaces where Qt's defaults do not serve: the message list (Qt 6.4's
// item-view interface faults without a current item and hands out null cells), its rows (one
// item each, combining the row's texts, with a press action for "More"), text blocks read as one
// element, and the narration level group. Installs once; main thread only.
void installAccessibleViews();

// The accessible item of one row; the list view registers and owns it.
QAccessibleInterface* makeRowAccessible(MessageListView* view, const QModelIndex& index);

} // namespace umbrascope
