// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <QHash>
#include <QString>
#include <QVariant>

namespace qv {

/// The property set that a container keeps for a control between sessions
/// (a form file, a designer's document). A value equal to its default may be
/// omitted by the container.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PropertyBag
class QV_EXPORT PropertyBag
{
public:
    virtual ~PropertyBag() = default;
    /// The stored value of \a name, or \a defaultValue when none is stored.
    virtual QVariant ReadProperty(const QString &name, const QVariant &defaultValue) const = 0;
    /// Stores \a value under \a name; \a defaultValue tells the container what it may omit.
    virtual void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) = 0;
};

/// A property bag in memory that omits values equal to their default.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PropertyBag
class QV_EXPORT MemoryPropertyBag : public PropertyBag
{
public:
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) const override
    {
        return m_values.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override
    {
        if (value == defaultValue)
            m_values.remove(name);
        else
            m_values.insert(name, value);
    }
    /// The stored values by name; a value equal to its default is not stored.
    const QHash<QString, QVariant> &values() const { return m_values; }

private:
    QHash<QString, QVariant> m_values;
};

} // namespace qv
