// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "PropertySheet.h"

#include <qvpreview/PrintPreview.h>

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QExtensionManager>

#include <QScopedValueRollback>

namespace qv::designer {

ChoiceSheet::ChoiceSheet(QObject *object, QDesignerPropertySheetExtension *base, QDesignerFormEditorInterface *core,
                         QExtensionManager *manager, QObject *parent)
    : QObject(parent)
    , m_object(object)
    , m_core(core)
    , m_base(base)
    , m_carrier(new ChoiceCarrier(this))
{
    // Designer's own sheet of the carrier turns its enumerations into the
    // property editor's choice values, and a choice value back into a number.
    m_carrierSheet = qt_extension<QDesignerPropertySheetExtension *>(manager, m_carrier);
    if (!m_carrierSheet)
        return;
    for (const char *name : {"ScaleMode", "previewFit"}) {
        const int number = m_base->indexOf(QLatin1String(name));
        const int carried = m_carrierSheet->indexOf(QLatin1String(name));
        if (number >= 0 && carried >= 0)
            m_choices.append({QLatin1String(name), number, carried});
    }
}

const ChoiceSheet::Choice *ChoiceSheet::choice(int index) const
{
    const int i = index - m_base->count();
    return i >= 0 && i < m_choices.size() ? &m_choices[i] : nullptr;
}

int ChoiceSheet::baseIndex(int index) const
{
    const Choice *c = choice(index);
    return c ? c->number : index;
}

int ChoiceSheet::count() const
{
    return m_base->count() + int(m_choices.size());
}

QString ChoiceSheet::shownName(const QString &name)
{
    return name + QChar(0x200B);
}

int ChoiceSheet::indexOf(const QString &name) const
{
    // The property's name leads to the number (a form being loaded, a form
    // saved, a script); the shown name to the choice (the property editor
    // lists a property under the name that leads to it, and edits by it).
    for (int i = 0; i < m_choices.size(); ++i)
        if (name == shownName(m_choices[i].name))
            return m_base->count() + i;
    return m_base->indexOf(name);
}

QString ChoiceSheet::propertyName(int index) const
{
    const Choice *c = choice(index);
    return c ? shownName(c->name) : m_base->propertyName(index);
}

QString ChoiceSheet::propertyGroup(int index) const
{
    return m_base->propertyGroup(baseIndex(index));
}

void ChoiceSheet::setPropertyGroup(int index, const QString &group)
{
    m_base->setPropertyGroup(baseIndex(index), group);
}

bool ChoiceSheet::hasReset(int index) const
{
    return m_base->hasReset(baseIndex(index));
}

bool ChoiceSheet::reset(int index)
{
    return m_base->reset(baseIndex(index));
}

bool ChoiceSheet::isVisible(int index) const
{
    if (choice(index))
        return m_base->isVisible(choice(index)->number);
    for (const Choice &c : m_choices)
        if (c.number == index)
            return false; // shown as its choice
    return m_base->isVisible(index);
}

void ChoiceSheet::setVisible(int index, bool visible)
{
    m_base->setVisible(baseIndex(index), visible);
}

bool ChoiceSheet::isAttribute(int index) const
{
    // A form saves no attribute of this sheet as a property: the choice is
    // one (its number is saved).
    return choice(index) ? true : m_base->isAttribute(index);
}

void ChoiceSheet::setAttribute(int index, bool attribute)
{
    if (!choice(index))
        m_base->setAttribute(index, attribute);
}

QVariant ChoiceSheet::property(int index) const
{
    const Choice *c = choice(index);
    if (!c)
        return m_base->property(index);
    m_carrier->setProperty(c->name.toLatin1().constData(), m_base->property(c->number).toInt());
    return m_carrierSheet->property(c->carried);
}

void ChoiceSheet::setProperty(int index, const QVariant &value)
{
    const Choice *c = choice(index);
    if (!c) {
        m_base->setProperty(index, value);
        showChoice(index);
        return;
    }
    // A number as it stands (a form's <number>); a choice value (an undo
    // gives back what property() gave) through the carrier's sheet.
    bool isNumber = false;
    int number = value.toInt(&isNumber);
    if (!isNumber) {
        m_carrierSheet->setProperty(c->carried, value);
        number = m_carrier->property(c->name.toLatin1().constData()).toInt();
    }
    m_base->setProperty(c->number, number);
    showChoice(c->number);
}

bool ChoiceSheet::isChanged(int index) const
{
    return m_base->isChanged(baseIndex(index));
}

void ChoiceSheet::showChoice(int number)
{
    // The property editor was told the new number; its row is a choice,
    // which a number leaves blank: it is told the choice once the edit is done.
    for (int i = 0; i < m_choices.size(); ++i) {
        if (m_choices[i].number != number || !m_core)
            continue;
        QMetaObject::invokeMethod(
            this,
            [this, i] {
                QDesignerPropertyEditorInterface *editor = m_core ? m_core->propertyEditor() : nullptr;
                if (editor && editor->object() == m_object)
                    editor->setPropertyValue(m_choices[i].name, property(m_base->count() + i),
                                             m_base->isChanged(m_choices[i].number));
            },
            Qt::QueuedConnection);
    }
}

void ChoiceSheet::setChanged(int index, bool changed)
{
    m_base->setChanged(baseIndex(index), changed);
}

bool ChoiceSheet::isEnabled(int index) const
{
    return m_base->isEnabled(baseIndex(index));
}

ChoiceSheetFactory::ChoiceSheetFactory(QExtensionManager *parent, QDesignerFormEditorInterface *core)
    : QExtensionFactory(parent)
    , m_manager(parent)
    , m_core(core)
{}

QObject *ChoiceSheetFactory::createExtension(QObject *object, const QString &iid, QObject *parent) const
{
    if (m_asking || iid != Q_TYPEID(QDesignerPropertySheetExtension) || !qobject_cast<PrintPreview *>(object))
        return nullptr;
    // Designer's own sheet of the control: the manager asks the factories
    // after this one while it is asking.
    QDesignerPropertySheetExtension *base = nullptr;
    {
        const QScopedValueRollback<bool> asking(m_asking, true);
        base = qt_extension<QDesignerPropertySheetExtension *>(m_manager, object);
    }
    if (!base)
        return nullptr;
    return new ChoiceSheet(object, base, m_core, m_manager, parent);
}

} // namespace qv::designer
