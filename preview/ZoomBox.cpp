// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ZoomBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <cmath>

namespace qv {

namespace {

// The item data of the fitted zooms (the steps carry their factor).
constexpr double DatoAdattaPagina = -1;
constexpr double DatoAdattaLarghezza = -2;

} // namespace

ZoomBox::ZoomBox(QWidget *parent) : QObject(parent)
{
    m_casella = new QComboBox(parent);
    m_casella->setObjectName(QStringLiteral("cmbZoom"));
    m_casella->setEditable(true);
    // A typed zoom is never added to the list, and nothing completes it: "5"
    // must not become "50%".
    m_casella->setInsertPolicy(QComboBox::NoInsert);
    m_casella->setCompleter(nullptr);
    m_casella->setMaxVisibleItems(12);
    m_casella->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_casella->setMinimumContentsLength(4);
    m_casella->setToolTip(
        QCoreApplication::translate("qv::ZoomBox", "Zoom: scrivere una percentuale (da 10 a 400) e premere Invio"));
    m_casella->setAccessibleName(QCoreApplication::translate("qv::ZoomBox", "Zoom"));
    m_casella->setAccessibleDescription(QCoreApplication::translate(
        "qv::ZoomBox", "Lo zoom in uso: scrivere una percentuale da 10 a 400 e premere Invio, o scegliere dall'elenco "
                       "(Alt+Giù) un passo, Adatta alla pagina o Adatta alla larghezza"));
    // On Linux a combo box is read by its value: its field carries the name.
    m_casella->lineEdit()->setAccessibleName(m_casella->accessibleName());
    m_casella->lineEdit()->setAccessibleDescription(QCoreApplication::translate(
        "qv::ZoomBox",
        "La percentuale di zoom: scriverne una da 10 a 400 e premere Invio (uscendo senza Invio resta quella in uso)"));
    // The keys reach the box first: with the focus on it, it hands them to
    // its line edit by a direct call that passes no event filter, so Enter
    // is taken on the box as well as on the line edit.
    m_casella->installEventFilter(this);
    m_casella->lineEdit()->installEventFilter(this);
    m_casella->lineEdit()->setAlignment(Qt::AlignRight);
    connect(m_casella, &QComboBox::activated, this, [this](int indice) { scelto(indice); });
}

std::optional<double> ZoomBox::leggi(const QString &testo)
{
    QString t = testo.trimmed();
    if (t.endsWith(QLatin1Char('%')))
        t.chop(1);
    t = t.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double percento = t.toDouble(&ok);
    if (!ok || !std::isfinite(percento) || percento < MinimoPercento || percento > MassimoPercento)
        return std::nullopt;
    return percento / 100.0;
}

QString ZoomBox::testo(double fattore)
{
    return QString::number(int(std::floor(fattore * 100.0 + 0.5))) + QLatin1Char('%');
}

void ZoomBox::mostra(double fattore, const std::vector<double> &passi)
{
    m_fattore = fattore;
    const QSignalBlocker blocco(m_casella);
    if (passi != m_passi || m_casella->count() == 0) {
        m_passi = passi;
        m_casella->clear();
        for (double passo : passi)
            m_casella->addItem(testo(passo), passo);
        m_casella->addItem(QCoreApplication::translate("qv::ZoomBox", "Adatta alla pagina"), DatoAdattaPagina);
        m_casella->addItem(QCoreApplication::translate("qv::ZoomBox", "Adatta alla larghezza"), DatoAdattaLarghezza);
        // The list is wider than the box: the fitted zooms are read whole.
        m_casella->view()->setMinimumWidth(m_casella->view()->sizeHintForColumn(0) + 16);
    }
    m_casella->setCurrentIndex(-1);
    ripristina();
}

void ZoomBox::ripristina()
{
    m_casella->setEditText(testo(m_fattore));
}

void ZoomBox::conferma()
{
    if (const std::optional<double> fattore = leggi(m_casella->currentText())) {
        Q_EMIT zoomScelto(*fattore);
    } else {
        ripristina();
        Q_EMIT rifiutato();
    }
    Q_EMIT finito();
}

void ZoomBox::scelto(int indice)
{
    const double dato = m_casella->itemData(indice).toDouble();
    if (dato == DatoAdattaPagina)
        Q_EMIT comando(PreviewCommand::AdattaPagina);
    else if (dato == DatoAdattaLarghezza)
        Q_EMIT comando(PreviewCommand::AdattaLarghezza);
    else if (dato > 0)
        Q_EMIT zoomScelto(dato);
    // Whatever was chosen, the box shows the zoom in use (the window has
    // called mostra() if it changed).
    ripristina();
    Q_EMIT finito();
}

bool ZoomBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_casella) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                conferma();
                return true;
            }
        } else if (e->type() == QEvent::FocusOut && static_cast<QFocusEvent *>(e)->reason() != Qt::PopupFocusReason) {
            ripristina(); // left without Enter: nothing changes
        }
    } else if (watched == m_casella->lineEdit()) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                conferma();
                return true;
            }
        } else if (e->type() == QEvent::FocusIn) {
            // Selected whole, so that a typed zoom replaces it.
            m_casella->lineEdit()->selectAll();
        } else if (e->type() == QEvent::FocusOut && static_cast<QFocusEvent *>(e)->reason() != Qt::PopupFocusReason) {
            // Left without Enter: nothing changes.
            ripristina();
        }
    }
    return QObject::eventFilter(watched, e);
}

} // namespace qv
