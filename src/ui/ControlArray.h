#pragma once

#include <QObject>
#include <QString>

#include <map>

namespace qcm {

// An indexed set of controls, as the windows address them: cmd(3), txt(12).
// Each control is named "name(index)" so that tests and assistive technology
// find it; indexes need not be contiguous (a window may have cmd(0), cmd(3)).
template <typename Control> class ControlArray {
public:
    explicit ControlArray(QString name) : m_name(std::move(name)) { }

    // Registers a control (owned by its parent widget) under an index.
    Control *add(int index, Control *control)
    {
        control->setObjectName(QStringLiteral("%1(%2)").arg(m_name).arg(index));
        m_controls[index] = control;
        return control;
    }
    // The control at an index; null when there is none.
    Control *operator()(int index) const
    {
        const auto it = m_controls.find(index);
        return it == m_controls.end() ? nullptr : it->second;
    }
    // The index of a control of this array, -1 when it is not one.
    int indexOf(const QObject *control) const
    {
        for (const auto &[index, c] : m_controls)
            if (c == control)
                return index;
        return -1;
    }
    bool contains(int index) const { return m_controls.count(index) != 0; }
    int size() const { return int(m_controls.size()); }
    const QString &name() const { return m_name; }

    auto begin() const { return m_controls.begin(); }
    auto end() const { return m_controls.end(); }

private:
    QString m_name;
    std::map<int, Control *> m_controls;
};

} // namespace qcm
