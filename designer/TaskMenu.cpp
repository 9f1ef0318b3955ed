// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "TaskMenu.h"

#include "DialogoProprieta.h"

#include <qvpreview/PrintPreview.h>

#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>

#include <QAction>

namespace qv::designer {

PrintPreviewTaskMenu::PrintPreviewTaskMenu(QWidget *control, QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_azione(new QAction(tr("Proprietà dell'Anteprima..."), this))
{
    m_azione->setObjectName(QStringLiteral("proprietaAnteprima"));
    connect(m_azione, &QAction::triggered, this, &PrintPreviewTaskMenu::apriPagina);
}

QAction *PrintPreviewTaskMenu::preferredEditAction() const
{
    return m_azione;
}

QList<QAction *> PrintPreviewTaskMenu::taskActions() const
{
    return {m_azione};
}

void PrintPreviewTaskMenu::apriPagina()
{
    QWidget *control = m_control;
    if (!control)
        return;
    QPointer<QDesignerFormWindowInterface> form = QDesignerFormWindowInterface::findFormWindow(control);
    auto scrivi = [form, control](const QString &name, const QVariant &value) {
        if (form && form->cursor())
            form->cursor()->setWidgetProperty(control, name, value);
        else
            control->setProperty(name.toLatin1().constData(), value);
    };
    DialogoProprieta dialogo(control, scrivi, form ? static_cast<QWidget *>(form) : control->window());
    dialogo.exec();
}

PrintPreviewTaskMenuFactory::PrintPreviewTaskMenuFactory(QExtensionManager *parent) : QExtensionFactory(parent) {}

QObject *PrintPreviewTaskMenuFactory::createExtension(QObject *object, const QString &iid, QObject *parent) const
{
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension)))
        return nullptr;
    if (auto *control = qobject_cast<PrintPreview *>(object))
        return new PrintPreviewTaskMenu(control, parent);
    return nullptr;
}

} // namespace qv::designer
