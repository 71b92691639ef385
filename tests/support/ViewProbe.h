#pragma once

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>

#include <string>

namespace zurbo::testing {

// What a user meets in a view: texts that leave their card, and the controls
// that Tab reaches, as assistive technology reads them.
class ViewProbe {
public:
    // The shown texts under `box` whose drawn lines reach beyond it.
    static QStringList textsOutside(QQuickItem* box, QQuickItem* under = nullptr)
    {
        QStringList outside;
        for (QQuickItem* item : (under ? under : box)->childItems()) {
            const QRectF drawn = item->mapRectToItem(box, item->boundingRect());
            const QString text = item->property("text").toString();
            if (item->isVisible() && item->inherits("QQuickText") && !text.isEmpty() &&
                !box->boundingRect().contains(drawn)) {
                outside.append(text);
            }
            outside += textsOutside(box, item);
        }
        return outside;
    }

    // "role name" of an interface: button, radio, check, field, text, heading, image or bar (with
    // its value), then " disabled" when it is.
    static QString described(QAccessibleInterface* control)
    {
        const QHash<QAccessible::Role, QString> roles{
            {QAccessible::Button, "button"},   {QAccessible::RadioButton, "radio"},
            {QAccessible::CheckBox, "check"},  {QAccessible::EditableText, "field"},
            {QAccessible::StaticText, "text"}, {QAccessible::Heading, "heading"},
            {QAccessible::Graphic, "image"},   {QAccessible::ProgressBar, "bar"}};
        const QAccessibleValueInterface* value = control->valueInterface();
        return roles.value(control->role(), QString::number(control->role())) + ' ' +
               control->text(QAccessible::Name) +
               (value ? ' ' + value->currentValue().toString() : QString()) +
               (control->state().disabled ? " disabled" : "");
    }

    // What has the keyboard's focus, described.
    static QString focused(QQuickWindow* window)
    {
        QAccessibleInterface* control =
            QAccessible::queryAccessibleInterface(window->activeFocusItem());
        return control ? described(control) : QStringLiteral("(nothing)");
    }

    // What assistive technology finds of `item` and inside it, described in the window's
    // order: "text a.pdf|button Quitar a.pdf de la cola".
    static QString spoken(QQuickItem* item)
    {
        QStringList found;
        collect(QAccessible::queryAccessibleInterface(item->window()), item, found);
        return found.join('|');
    }

    // What Tab reaches in turn, from the top of the window or from the focus,
    // until it comes round again: "role name|role name|...".
    static std::string tabWalk(QQuickWindow* window, bool fromTop = true)
    {
        fromTop ? focusFirst(window) : QTest::keyClick(window, Qt::Key_Tab);
        QList<QQuickItem*> items;
        QStringList reached;
        while (!items.contains(window->activeFocusItem()) && items.size() < 40) {
            items.append(window->activeFocusItem());
            reached.append(focused(window));
            QTest::keyClick(window, Qt::Key_Tab);
        }
        return reached.join('|').toStdString();
    }

    // Tabs from the top to the control named `name` and presses `key` there.
    static void press(QQuickWindow* window, const QString& name, Qt::Key key)
    {
        focusFirst(window);
        for (int step = 0; step < 40 && !focused(window).endsWith(' ' + name); ++step) {
            QTest::keyClick(window, Qt::Key_Tab);
        }
        QTest::keyClick(window, key);
    }

private:
    static void collect(QAccessibleInterface* node, QQuickItem* under, QStringList& found)
    {
        for (int index = 0; node && index < node->childCount(); ++index) {
            QAccessibleInterface* child = node->child(index);
            auto* item = child ? qobject_cast<QQuickItem*>(child->object()) : nullptr;
            // News is heard as it comes (Announcer), not found among the rest.
            if (item && (item == under || under->isAncestorOf(item)) &&
                child->role() != QAccessible::Notification) {
                found.append(described(child));
            }
            collect(child, under, found);
        }
    }

    static void focusFirst(QQuickWindow* window)
    {
        window->contentItem()->nextItemInFocusChain()->forceActiveFocus(Qt::TabFocusReason);
    }
};

} // namespace zurbo::testing
