#include "ui/SheetAccessibles.hpp"

#include <QAccessibleWidget>
#include <cmath>

#include "ui/AccessibleViews.hpp"
#include "ui/FieldRowView.hpp"
#include "ui/LinkButton.hpp"
#include "ui/PanSlider.hpp"

namespace umbrascope {

namespace {

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

// The pan reads as its text ("5% Left", "Center"), never as a number. Qt 6.4 hands screen readers
// a slider's number only, so the control is a spin box, whose text they read as its value.
class PanSliderAccessible final : public QAccessibleWidget,
                                  public QAccessibleValueInterface,
                                  public ReadOnlyAccessibleText {
public:
    explicit PanSliderAccessible(PanSlider* slider)
        : QAccessibleWidget(slider, QAccessible::SpinBox) {}

    PanSlider* slider() const { return static_cast<PanSlider*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return shownText();
        return QAccessibleWidget::text(t);
    }
    QString shownText() const override { return slider()->valueText(); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return static_cast<double>(slider()->pan()); }
    void setCurrentValue(const QVariant& value) override {
        const double pan = value.toDouble();
        slider()->setValue(static_cast<int>(std::lround(pan * PanSlider::stepsPerUnit)));
    }
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return -1.0; }
    QVariant minimumStepSize() const override {
        return static_cast<double>(slider()->singleStep()) / PanSlider::stepsPerUnit;
    }
};

class LinkAccessible final : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkButton* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<LinkButton*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

} // namespace

QAccessibleInterface* makeFieldRowAccessible(QObject* row) {
    return new ChildlessAccessible(static_cast<FieldRowView*>(row), QAccessible::ListItem);
}

QAccessibleInterface* makeFieldListAccessible(QObject* list) {
    return new FieldListAccessible(static_cast<FieldList*>(list));
}

QAccessibleInterface* makePanSliderAccessible(QObject* slider) {
    return new PanSliderAccessible(static_cast<PanSlider*>(slider));
}

QAccessibleInterface* makeLinkAccessible(QObject* link) {
    return new LinkAccessible(static_cast<LinkButton*>(link));
}

} // namespace umbrascope
