// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "DialogoProprieta.h"

#include <qvpreview/Error.h>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qv::designer {

ControlloInModifica::ControlloInModifica(QWidget *control, Scrittura scrivi, QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_scrivi(std::move(scrivi))
{}

QString ControlloInModifica::titolo() const
{
    return m_control ? m_control->property("titolo").toString() : QString();
}

void ControlloInModifica::setTitolo(const QString &value)
{
    if (m_control)
        m_scrivi(QStringLiteral("titolo"), value);
}

DialogoProprieta::DialogoProprieta(QWidget *control, Scrittura scrivi, QWidget *parent)
    : QDialog(parent)
    , m_modifica(new ControlloInModifica(control, std::move(scrivi), this))
{
    setObjectName(QStringLiteral("DialogoProprieta"));
    const QString nome = control ? control->objectName() : QString();
    setWindowTitle(nome.isEmpty() ? tr("Proprietà") : tr("Proprietà di %1").arg(nome));

    auto *pulsanti = new QDialogButtonBox(this);
    QPushButton *ok = pulsanti->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    pulsanti->addButton(tr("Annulla"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("annulla"));
    m_applica = pulsanti->addButton(tr("Applica"), QDialogButtonBox::ApplyRole);
    m_applica->setObjectName(QStringLiteral("applica"));
    m_applica->setEnabled(false);
    connect(pulsanti, &QDialogButtonBox::accepted, this, &DialogoProprieta::accept);
    connect(pulsanti, &QDialogButtonBox::rejected, this, &DialogoProprieta::reject);
    connect(m_applica, &QPushButton::clicked, this, &DialogoProprieta::applica);

    QWidget *pagina = CreaPaginaAnteprima(this);
    m_pagina = dynamic_cast<PropertyPage *>(pagina);
    auto *schede = new QTabWidget(this);
    schede->addTab(pagina, m_pagina ? m_pagina->Caption() : QString());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(schede);
    layout->addWidget(pulsanti);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (m_pagina) {
        try {
            m_pagina->SelectionChanged();
        } catch (const Error &e) {
            ok->setEnabled(false);
            pagina->setEnabled(false);
            mostraErrore(e.description());
        }
    }
    pagina->setFocus();
}

DialogoProprieta::~DialogoProprieta() = default;

QList<QObject *> DialogoProprieta::SelectedControls() const
{
    return {m_modifica};
}

void DialogoProprieta::setChanged(bool changed)
{
    m_changed = changed;
    if (m_applica)
        m_applica->setEnabled(changed);
}

bool DialogoProprieta::applica()
{
    if (!m_pagina || !m_changed)
        return true;
    try {
        m_pagina->ApplyChanges();
    } catch (const Error &e) {
        mostraErrore(e.description());
        return false;
    }
    // The page is in step with the control again: reload what the control
    // now holds (the title without its outer spaces).
    m_pagina->SelectionChanged();
    return true;
}

void DialogoProprieta::accept()
{
    if (applica())
        QDialog::accept();
}

void DialogoProprieta::mostraErrore(const QString &testo)
{
    QMessageBox::critical(this, windowTitle(), testo);
}

} // namespace qv::designer
