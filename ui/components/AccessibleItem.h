#pragma once

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// A leaf of the accessibility tree whose interface is our own: buttons and
// progress bars drawn from shapes. Qt Quick's own interface never reports a
// disabled item or the value of a progress bar; this one reports both, takes
// its role, name, description and checked state from the `Accessible`
// attached properties, and presses only while enabled.
//
// `value`, a percentage, is read by assistive technology when the role is a
// progress bar.
// ----------------------------------------------------------------------------
class AccessibleItem : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY valueChanged)

public:
    explicit AccessibleItem(QQuickItem* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);

signals:
    void valueChanged();

private:
    void announceEnabledChange();

    double m_value = 0;
};

} // namespace zurbo
