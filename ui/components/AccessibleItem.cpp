#include "AccessibleItem.h"

#include "AccessibleItemInterface.h"

#include <QAccessible>
#include <QCoreApplication>

namespace zurbo {

namespace {

void installInterface()
{
    AccessibleItemInterface::install();
}

} // namespace

// Before any window asks for an interface.
Q_COREAPP_STARTUP_FUNCTION(installInterface)

AccessibleItem::AccessibleItem(QQuickItem* parent) : QQuickItem(parent)
{
    connect(this, &QQuickItem::enabledChanged, this, &AccessibleItem::announceEnabledChange);
}

void AccessibleItem::setValue(double value)
{
    if (m_value == value) {
        return;
    }
    m_value = value;
    emit valueChanged();
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

void AccessibleItem::announceEnabledChange()
{
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace zurbo
