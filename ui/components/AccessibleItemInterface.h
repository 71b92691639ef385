#pragma once

#include <QAccessibleObject>

namespace zurbo {

class AccessibleItem;

// ----------------------------------------------------------------------------
// What assistive technology reads and does with an AccessibleItem: a leaf
// whose role, name, description and checked state come from the item's
// `Accessible` attached properties, which is disabled while the item is, and
// which offers a value as a progress bar.
// ----------------------------------------------------------------------------
class AccessibleItemInterface : public QAccessibleObject,
                                public QAccessibleActionInterface,
                                public QAccessibleValueInterface {
public:
    explicit AccessibleItemInterface(AccessibleItem* item);

    // Makes every AccessibleItem use this interface; needed once per process.
    static void install();

    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QRect rect() const override;
    QString text(QAccessible::Text type) const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    AccessibleItem* item() const;
    // The item's `Accessible` attached object, or null before QML made one.
    QObject* attached() const;
    QVariant attachedProperty(const char* name) const;
};

} // namespace zurbo
