#include "AccessibleItemInterface.h"

#include "AccessibleItem.h"

#include <QQuickWindow>

namespace zurbo {

namespace {

QAccessibleInterface* makeInterface(const QString&, QObject* object)
{
    auto* item = qobject_cast<AccessibleItem*>(object);
    return item ? new AccessibleItemInterface(item) : nullptr;
}

} // namespace

AccessibleItemInterface::AccessibleItemInterface(AccessibleItem* item) : QAccessibleObject(item) {}

void AccessibleItemInterface::install()
{
    QAccessible::installFactory(makeInterface);
}

AccessibleItem* AccessibleItemInterface::item() const
{
    return static_cast<AccessibleItem*>(object());
}

QObject* AccessibleItemInterface::attached() const
{
    for (QObject* child : item()->children()) {
        if (child->inherits("QQuickAccessibleAttached")) {
            return child;
        }
    }
    return nullptr;
}

QVariant AccessibleItemInterface::attachedProperty(const char* name) const
{
    const QObject* properties = attached();
    return properties ? properties->property(name) : QVariant();
}

QWindow* AccessibleItemInterface::window() const
{
    return item()->window();
}

// The nearest ancestor that assistive technology sees, as Qt Quick's own items find theirs.
QAccessibleInterface* AccessibleItemInterface::parent() const
{
    const QQuickWindow* window = item()->window();
    for (QQuickItem* above = item()->parentItem(); above; above = above->parentItem()) {
        if (window && above == window->contentItem()) {
            return QAccessible::queryAccessibleInterface(item()->window());
        }
        if (QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(above)) {
            return shown;
        }
    }
    return nullptr;
}

// Where the item is drawn on the screen, scaled as its canvas is.
QRect AccessibleItemInterface::rect() const
{
    const QQuickWindow* window = item()->window();
    if (!window || !item()->isVisible()) {
        return {};
    }
    const QRectF inScene = item()->mapRectToScene(item()->boundingRect());
    return QRectF(window->mapToGlobal(inScene.topLeft()), inScene.size()).toAlignedRect();
}

QString AccessibleItemInterface::text(QAccessible::Text type) const
{
    switch (type) {
    case QAccessible::Name:
        return attachedProperty("name").toString();
    case QAccessible::Description:
        return attachedProperty("description").toString();
    default:
        return {};
    }
}

QAccessible::Role AccessibleItemInterface::role() const
{
    const QVariant role = attachedProperty("role");
    return role.isValid() ? static_cast<QAccessible::Role>(role.toInt()) : QAccessible::Client;
}

QAccessible::State AccessibleItemInterface::state() const
{
    const QQuickWindow* window = item()->window();
    QAccessible::State state;
    state.invisible =
        !window || !window->isVisible() || !item()->isVisible() || qFuzzyIsNull(item()->opacity());
    state.disabled = !item()->isEnabled();
    state.focusable = item()->activeFocusOnTab();
    state.focused = item()->hasActiveFocus();
    state.checkable = attachedProperty("checkable").toBool();
    state.checked = attachedProperty("checked").toBool();
    return state;
}

void* AccessibleItemInterface::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface) {
        return static_cast<QAccessibleActionInterface*>(this);
    }
    if (type == QAccessible::ValueInterface && role() == QAccessible::ProgressBar) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return nullptr;
}

QStringList AccessibleItemInterface::actionNames() const
{
    QStringList names;
    if (!item()->isEnabled()) {
        return names;
    }
    switch (role()) {
    case QAccessible::Button:
    case QAccessible::MenuItem:
        names << pressAction();
        break;
    case QAccessible::RadioButton:
    case QAccessible::CheckBox:
        names << toggleAction() << pressAction();
        break;
    default:
        break;
    }
    if (item()->activeFocusOnTab()) {
        names << setFocusAction();
    }
    return names;
}

// A disabled item does nothing, as a click on it does nothing.
void AccessibleItemInterface::doAction(const QString& name)
{
    if (!actionNames().contains(name)) {
        return;
    }
    if (name == setFocusAction()) {
        item()->forceActiveFocus(Qt::OtherFocusReason);
    } else if (QObject* properties = attached()) {
        QMetaObject::invokeMethod(properties,
                                  name == toggleAction() ? "toggleAction" : "pressAction");
    }
}

QVariant AccessibleItemInterface::currentValue() const
{
    return item()->value();
}

} // namespace zurbo
