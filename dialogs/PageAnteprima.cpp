// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/PageAnteprima.h"

#include "dialogs/DialogTwips.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>

namespace qv {

namespace {

const char NomeProprieta[] = "titolo";

QString origine()
{
    return QStringLiteral("PageAnteprima");
}

QMetaProperty proprietaTitolo(QObject *control)
{
    const int index = control->metaObject()->indexOfProperty(NomeProprieta);
    if (index < 0)
        throw Error(ErrNotSupportedByObject, origine());
    return control->metaObject()->property(index);
}

/// \a text without leading and trailing spaces; other blanks stay.
QString senzaSpazi(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

PageAnteprima::PageAnteprima(PropertyPageSite *site, QWidget *parent) : QWidget(parent), m_site(site)
{
    setObjectName(QStringLiteral("PageAnteprima"));
    setWindowTitle(Caption());
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(twips::size(4800, 3600));

    Label1 = new QLabel(QCoreApplication::translate("qv::PageAnteprima", "Titolo:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPointSizeF(9.75);
    Label1->setFont(labelFont);
    Label1->setGeometry(twips::rect(120, 480, 855, 315));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips::rect(120, 900, 4455, 315));
    Label1->setBuddy(Text1);
    setFocusProxy(Text1);

    // Any change of the text marks the page changed, loading a title
    // included; SelectionChanged() clears the flag again afterwards.
    connect(Text1, &QLineEdit::textChanged, this, [this] {
        if (m_site)
            m_site->setChanged(true);
    });
}

PageAnteprima::~PageAnteprima() = default;

QString PageAnteprima::Caption() const
{
    return QCoreApplication::translate("qv::PageAnteprima", "Anteprima");
}

QObject *PageAnteprima::primoSelezionato() const
{
    if (!m_site)
        throw Error(ErrObjectNotSet, origine());
    const QList<QObject *> selected = m_site->SelectedControls();
    if (selected.isEmpty())
        throw Error(ErrSubscriptOutOfRange, origine());
    if (!selected.first())
        throw Error(ErrObjectNotSet, origine());
    return selected.first();
}

void PageAnteprima::SelectionChanged()
{
    QObject *control = primoSelezionato();
    Text1->setText(proprietaTitolo(control).read(control).toString());
    m_site->setChanged(false);
}

void PageAnteprima::ApplyChanges()
{
    QObject *control = primoSelezionato();
    const QMetaProperty property = proprietaTitolo(control);
    if (!property.isWritable())
        throw Error(ErrSetNotSupportedReadOnly, origine());
    if (!property.write(control, QVariant(senzaSpazi(Text1->text()))))
        throw Error(ErrTypeMismatch, origine());
}

QWidget *CreaPaginaAnteprima(PropertyPageSite *site, QWidget *parent)
{
    return new PageAnteprima(site, parent);
}

} // namespace qv
