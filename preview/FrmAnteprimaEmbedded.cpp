// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The window as a part of a host's window (qv::PrintPreviewWidget): a child
// widget showing the page area, which the host drives from its own controls.
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QToolBar>

#include <algorithm>

namespace qv {

namespace {

/// Esc on an embedded window: it closes the find bar when that is open,
/// and otherwise goes on to the host's widgets, as a key the window does not
/// use does.
class EmbeddedEscape : public QObject
{
public:
    EmbeddedEscape(FindBar &find, QObject *parent) : QObject(parent), m_find(find) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
            return false;
        if (!m_find.isHidden()) {
            m_find.close();
            event->accept();
        } else {
            event->ignore(); // on to the parent widget
        }
        return true; // never to the dialog, which would close
    }

private:
    FindBar &m_find;
};

} // namespace

void FrmAnteprima::embed()
{
    setWindowFlags(Qt::Widget);
    setSizeGripEnabled(false);
    Toolbar1->hide();
    chkMassima->hide();
    lblsito->hide();
    // The host closes what it embeds: the menu keeps no "Chiudi" (nor the
    // separator before it), Esc does not close.
    const QList<QAction *> items = mnfile->actions();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i]->objectName() == QLatin1String("mnchiudi")) {
            items[i]->setVisible(false);
            if (i > 0 && items[i - 1]->isSeparator())
                items[i - 1]->setVisible(false);
        }
    }
    for (QShortcut *shortcut : findChildren<QShortcut *>(Qt::FindDirectChildrenOnly))
        if (shortcut->key() == QKeySequence(Qt::Key_Escape))
            shortcut->setEnabled(false);
    installEventFilter(new EmbeddedEscape(*m_find, this));
}

int FrmAnteprima::embeddedTop() const
{
    // The find bar, when open, and the views start where the toolbar's band ends.
    return m_find->isHidden() ? Picture1->y() : m_find->y();
}

void FrmAnteprima::fitZoom(bool width)
{
    ensureLoaded();
    m_zoomControl->command(width ? PageView::Zoom::AdattaLarghezza : PageView::Zoom::AdattaPagina, false);
}

void FrmAnteprima::zoomTo(double factor)
{
    ensureLoaded();
    const GeometriaPagina &geometry = m_zoom.geometria();
    m_zoomControl->setFactor(std::clamp(factor, geometry.zoomMinimo(), GeometriaPagina::ZoomMassimo), false);
}

} // namespace qv
