// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: windows and widgets: centring, keeping above, bringing forward
// by title, a gradient background, the folder picker, selecting a text.
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include "platform/Platform.h"
#include "platform/WindowSystem.h"
#include "util/BandeSfumate.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// The gradient's defaults.
constexpr int64_t ColorePredefinito = 0xFF0000; // pure blue
constexpr double BandePredefinite = 60;
constexpr int64_t PassoPredefinito = 4;

/// The offset, in pixels, that centres \a dimensione in \a contenitore:
/// (container - size) / 2 worked out in twips and put on the nearest pixel.
int centrato(int contenitore, int dimensione, double twipsPerPixel)
{
    const double twips = (contenitore * twipsPerPixel - dimensione * twipsPerPixel) / 2;
    return int(std::floor(twips / twipsPerPixel + 0.5));
}

/// The widget of this program whose native id is \a hWnd; null for none.
QWidget *finestraDelProgramma(int32_t hWnd)
{
    if (hWnd == 0 || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    return QWidget::find(WId(uint32_t(hWnd)));
}

/// A title as it is compared: up to its first NUL and at most 255 characters.
QString titoloConfrontato(const QString &titolo)
{
    const qsizetype nul = titolo.indexOf(QChar(0));
    return titolo.left(std::min<qsizetype>(nul < 0 ? titolo.size() : nul, 255));
}

/// A numeric argument, or \a predefinito when it was left out.
double numero(const QVariant &valore, double predefinito)
{
    if (!valore.isValid())
        return predefinito;
    bool ok = false;
    const double n = valore.toDouble(&ok);
    if (!ok || !std::isfinite(n))
        throw Error(ErrTypeMismatch, QStringLiteral("SfumaForm"));
    return n;
}

/// A whole numeric argument (to the nearest, halves to even), clamped to the
/// 32-bit range of the original numbers.
int64_t intero(const QVariant &valore, int64_t predefinito)
{
    const double n = numero(valore, double(predefinito));
    return int64_t(std::nearbyint(std::clamp(n, -2147483648.0, 2147483647.0)));
}

} // namespace

QString qvUtilita::Sfoglia_Cartella(int32_t hWnd, const QString &sTitle)
{
    try {
        QWidget *owner = finestraDelProgramma(hWnd);
        return platform::chooseFolder(owner ? owner->window() : nullptr, sTitle);
    } catch (...) {
        return QString();
    }
}

bool qvUtilita::ShowFinestraConTitolo(const QString &testo)
{
    try {
        if (testo.isEmpty())
            return false;
        const auto matches = [&](const QString &titolo) {
            return titoloConfrontato(titolo).contains(testo, Qt::CaseInsensitive);
        };
        if (const std::optional<QList<platform::DesktopWindow>> finestre = platform::desktopWindows()) {
            for (const platform::DesktopWindow &finestra : *finestre)
                if (matches(finestra.title)) {
                    (void)platform::bringWindowForward(finestra.id);
                    return true;
                }
            return false;
        }
        // Other programs' windows cannot be reached: this program's own.
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return false;
        const QWidgetList finestre = QApplication::topLevelWidgets();
        for (QWidget *finestra : finestre) {
            const QString titolo =
                finestra->windowHandle() ? finestra->windowHandle()->title() : finestra->windowTitle();
            if (finestra->isVisible() && matches(titolo)) {
                finestra->showNormal();
                finestra->raise();
                finestra->activateWindow();
                return true;
            }
        }
        return false;
    } catch (...) {
        return false;
    }
}

void qvUtilita::CentraFormFiglio(QWidget *padre, QWidget *obj)
{
    if (!padre || !obj)
        return;
    const QSize dimensione = obj->isWindow() ? obj->frameGeometry().size() : obj->size();
    QPoint posizione(centrato(padre->width(), dimensione.width(), platform::twipsPerPixelX()),
                     centrato(padre->height(), dimensione.height(), platform::twipsPerPixelY()));
    // The offset is in padre's area; obj moves in its parent's (the screen's
    // for a window).
    if (obj->isWindow())
        posizione = padre->mapToGlobal(posizione);
    else if (obj->parentWidget() != padre)
        posizione = obj->parentWidget()->mapFromGlobal(padre->mapToGlobal(posizione));
    obj->move(posizione);
}

void qvUtilita::CentraForm(QWidget *obj)
{
    if (!obj)
        return;
    QWidget *finestra = obj->window();
    QScreen *schermo = finestra->screen();
    if (!schermo)
        return;
    const QRect area = schermo->geometry();
    const QSize dimensione = finestra->frameGeometry().size();
    finestra->move(area.x() + centrato(area.width(), dimensione.width(), platform::twipsPerPixelX()),
                   area.y() + centrato(area.height(), dimensione.height(), platform::twipsPerPixelY()));
}

void qvUtilita::Evidenzia(QWidget *xCtrl)
{
    if (auto *riga = qobject_cast<QLineEdit *>(xCtrl)) {
        riga->setSelection(0, int(riga->text().size()));
    } else if (auto *combo = qobject_cast<QComboBox *>(xCtrl)) {
        if (QLineEdit *riga = combo->lineEdit())
            riga->setSelection(0, int(riga->text().size()));
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(xCtrl)) {
        spin->selectAll();
    } else if (auto *testo = qobject_cast<QTextEdit *>(xCtrl)) {
        QTextCursor cursore = testo->textCursor();
        cursore.movePosition(QTextCursor::Start);
        cursore.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        testo->setTextCursor(cursore);
    } else if (auto *semplice = qobject_cast<QPlainTextEdit *>(xCtrl)) {
        QTextCursor cursore = semplice->textCursor();
        cursore.movePosition(QTextCursor::Start);
        cursore.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        semplice->setTextCursor(cursore);
    }
}

void qvUtilita::FinetraTopMost(int32_t hWnd, bool SempreInPrimoPiano)
{
    try {
        if (QWidget *widget = finestraDelProgramma(hWnd)) {
            QWidget *finestra = widget->window();
            Qt::WindowFlags flags = finestra->windowFlags();
            flags.setFlag(Qt::WindowStaysOnTopHint, SempreInPrimoPiano);
            if (flags == finestra->windowFlags())
                return;
            // QWidget::setWindowFlags() would hide a shown window: tell the
            // widget and its native window apart, and the window stays.
            finestra->overrideWindowFlags(flags);
            if (QWindow *nativa = finestra->windowHandle())
                nativa->setFlags(flags);
            return;
        }
        (void)platform::setWindowAbove(uint32_t(hWnd), SempreInPrimoPiano);
    } catch (...) {
    }
}

void qvUtilita::SfumaForm(QWidget *InputForm, const QVariant &ColoreIniziale, const QVariant &PassoA,
                          const QVariant &PassoB)
{
    const double bande = numero(PassoA, BandePredefinite);
    const int64_t passo = intero(PassoB, PassoPredefinito);
    const int64_t colore = intero(ColoreIniziale, ColorePredefinito);
    if (!InputForm)
        return;
    SfondoSfumato::installa(InputForm, bandeSfumate(InputForm->width(), InputForm->height(), bande, passo, colore));
}

} // namespace qv
