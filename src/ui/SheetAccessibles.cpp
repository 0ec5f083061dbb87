#include "ui/SheetAccessibles.hpp"

#include <QAccessibleWidget>

#include "ui/FieldRowView.hpp"

namespace umbrascope {

namespace {

// One element without children: its widget paints all of its texts.
class FieldRowAccessible final : public QAccessibleWidget {
public:
    explicit FieldRowAccessible(FieldRowView* row)
        : QAccessibleWidget(row, QAccessible::ListItem) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

// The rows only: the dividers between them are drawing, not content.
class FieldListAccessible final : public QAccessibleWidget {
public:
    explicit FieldListAccessible(FieldList* list) : QAccessibleWidget(list, QAccessible::List) {}

    QList<FieldRowView*> rows() const {
        return widget()->findChildren<FieldRowView*>(Qt::FindDirectChildrenOnly);
    }
    int childCount() const override { return static_cast<int>(rows().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto all = rows();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index])
                                                : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child
                   ? static_cast<int>(rows().indexOf(qobject_cast<FieldRowView*>(child->object())))
                   : -1;
    }
};

template <typename Widget>
Widget* as(const QString& className, QObject* object) {
    if (className != QLatin1String(Widget::staticMetaObject.className())) return nullptr;
    return qobject_cast<Widget*>(object);
}

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (auto* row = as<FieldRowView>(className, object)) return new FieldRowAccessible(row);
    if (auto* list = as<FieldList>(className, object)) return new FieldListAccessible(list);
    return nullptr;
}

} // namespace

void installSheetAccessibles() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace umbrascope
