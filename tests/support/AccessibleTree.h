#pragma once

#include <QAccessible>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

#include <gtest/gtest.h>

namespace qcm::test {

// One entry of the accessibility tree as a screen reader gets it.
struct AccessibleNode {
    QObject *object = nullptr;
    QAccessible::Role role = QAccessible::NoRole;
    QString name, description, value, help;
    bool visible = false;
    QAccessibleInterface *iface = nullptr;

    // Whatever a reader could learn from the node.
    QString everything() const { return name + description + value + help; }
};

// The whole tree under root, hidden nodes included, in reading order.
inline QList<AccessibleNode> readTree(QObject *root)
{
    QList<AccessibleNode> nodes;
    std::function<void(QAccessibleInterface *)> visit = [&](QAccessibleInterface *node) {
        nodes.append({node->object(), node->role(), node->text(QAccessible::Name), node->text(QAccessible::Description),
            node->text(QAccessible::Value), node->text(QAccessible::Help), !node->state().invisible, node});
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface *child = node->child(i))
                visit(child);
    };
    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(root);
    EXPECT_NE(top, nullptr);
    if (top)
        visit(top);
    return nodes;
}

// The node of that object, shown or not; an empty node when it is not in the tree.
inline AccessibleNode anyNodeOf(const QList<AccessibleNode> &tree, const QObject *object)
{
    for (const AccessibleNode &n : tree)
        if (n.object == object)
            return n;
    return {};
}

// The node of that object while it is shown; an empty node otherwise.
inline AccessibleNode nodeOf(const QList<AccessibleNode> &tree, const QObject *object)
{
    const AccessibleNode n = anyNodeOf(tree, object);
    return n.visible ? n : AccessibleNode{};
}

// The objects the node is in that relation with (Label: what labels it).
inline QList<QObject *> related(const QObject *object, QAccessible::Relation relation)
{
    QList<QObject *> objects;
    if (QAccessibleInterface *node = QAccessible::queryAccessibleInterface(const_cast<QObject *>(object)))
        for (const auto &[other, kind] : node->relations(relation))
            objects.append(other->object());
    return objects;
}

} // namespace qcm::test
