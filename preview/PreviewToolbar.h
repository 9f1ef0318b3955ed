// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The preview window's toolbar and pop-up menu: the buttons and menu items,
// each bound to a command, the page indicator, the quality box over the
// toolbar's right end and the maker's address.
#pragma once

#include "preview/PreviewCommand.h"

#include <QObject>
#include <QString>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QWidget;

namespace qv {

class ViewerModel;

class PreviewToolbar : public QObject
{
    Q_OBJECT
public:
    /// Builds the controls as children of \a finestra, which lays them out
    /// with disponi() and connects to comando() and to the page indicator.
    explicit PreviewToolbar(QWidget *finestra);

    /// The toolbar: "riduci", "ingrandisci", "reale", "stampa", "prima",
    /// "precedente", the page indicator, "successiva", "ultima", "esci",
    /// then "continua" (the continuous view, a toggle with the views' menu).
    QToolBar *toolbar() const { return m_toolbar; }
    /// The page indicator " 3/5", which also takes a typed page number.
    QLineEdit *indicatore() const { return m_indicatore; }
    /// "Massima qualità": full colour instead of 256 colours.
    QCheckBox *qualita() const { return m_qualita; }
    /// The maker's web address; a click, or Enter once Tab reached it, opens it.
    QLabel *sito() const { return m_sito; }
    /// The pop-up menu of the page.
    QMenu *menu() const { return m_menu; }
    /// The menu of the views ("mnviste"), under the continuous view's toggle.
    QMenu *menuViste() const { return m_menuViste; }

    /// The toolbar button with \a key ("riduci", ..., "esci"), or null.
    QAction *pulsante(const QString &key) const;

    /// Shows the page on show of \a model in the indicator (unless
    /// \a keepText: a number being typed stays), as wide as the document's
    /// largest page number needs, and greys out the page buttons whose
    /// command would only beep: the first two on the first page, the last
    /// two on the last, while the count is final. (The keys that give the
    /// same commands still beep there.)
    void mostraPagina(const ViewerModel &model, bool keepText = false);
    /// The indicator follows \a model: its page on show, its count (a
    /// number being typed stays), and the page on show again when the user
    /// leaves the field without Enter; Enter asks for the number (pageTyped).
    void follow(const ViewerModel &model);

    /// Lays the toolbar across the top of a window \a larghezza pixels wide,
    /// at most \a altoPagina pixels high (where the page begins), the
    /// quality box over it and the maker's address at the right, just above
    /// the page.
    void disponi(int larghezza, int altoPagina);

    /// "Massima qualità" as the user left it (QVPREVIEW.ini [OPZIONE]
    /// QUALITA, "Max" or "Min"; by default "Min" on the NT family), and
    /// stored again; a setting that cannot be read or written leaves the box
    /// as it is.
    void readQuality();
    void saveQuality() const;

    /// Checks the toggles of the continuous view ("continua", "mncontinua")
    /// and of the thumbnail pane ("mnminiature") as the window shows them.
    void mostraViste(bool continua, bool miniature);

Q_SIGNALS:
    /// A toolbar button or a menu item was chosen.
    void comando(PreviewCommand comando);
    /// Enter in the page indicator, which holds \a text.
    void pageTyped(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void creaBarraStrumenti();
    void creaMenu();
    void creaViste();
    void describe();

    QWidget *m_finestra;
    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_indicatore = nullptr;
    QCheckBox *m_qualita = nullptr;
    QLabel *m_sito = nullptr;
    QMenu *m_menu = nullptr;
    QMenu *m_menuViste = nullptr;
};

} // namespace qv
