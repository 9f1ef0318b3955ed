// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FindBar.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

namespace qv {

FindBar::FindBar(std::function<Document()> document, QWidget *parent)
    : QFrame(parent)
    , m_document(std::move(document))
    , m_results(new FindResults(this))
{
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("FindField"));
    m_field->setPlaceholderText(QCoreApplication::translate("qv::FindBar", "Trova nel documento"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_field->setMaximumWidth(fieldMaximumWidth());
    m_field->setMinimumWidth(fieldMaximumWidth() / 2);

    const auto button = [this](const QString &name, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_previous = button(QStringLiteral("FindPrevious"),
                        QCoreApplication::translate("qv::FindBar", "Corrispondenza precedente (Maiusc+F3)"));
    m_previous->setArrowType(Qt::UpArrow);
    m_next = button(QStringLiteral("FindNext"),
                    QCoreApplication::translate("qv::FindBar", "Corrispondenza successiva (F3)"));
    m_next->setArrowType(Qt::DownArrow);
    const auto option = [&](const QString &name, const QString &text, const QString &tip) {
        QToolButton *b = button(name, tip);
        b->setText(text);
        b->setCheckable(true);
        // Reached with Tab from the field, toggled with the space bar.
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::toggled, this, [this] {
            if (!m_field->text().isEmpty())
                start();
        });
        return b;
    };
    m_matchCase = option(QStringLiteral("FindMatchCase"), QCoreApplication::translate("qv::FindBar", "Aa"),
                         QCoreApplication::translate("qv::FindBar", "Maiuscole/minuscole: distingue le maiuscole"));
    m_wholeWords = option(QStringLiteral("FindWholeWords"), QCoreApplication::translate("qv::FindBar", "ab|"),
                          QCoreApplication::translate("qv::FindBar", "Parole intere: solo parole intere"));
    m_close = button(QStringLiteral("FindClose"), QCoreApplication::translate("qv::FindBar", "Chiudi (Esc)"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("FindStatus"));
    m_label->setMinimumWidth(m_label->fontMetrics().horizontalAdvance(QStringLiteral("Nessuna corrispondenza__")));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(4);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_wholeWords);
    layout->addWidget(m_label);
    layout->addStretch(1); // what the field leaves goes here, the close button at the right
    layout->addWidget(m_close);

    describe();

    connect(m_field, &QLineEdit::textChanged, this, [this] { start(); });
    connect(m_previous, &QToolButton::clicked, this, &FindBar::previous);
    connect(m_next, &QToolButton::clicked, this, &FindBar::next);
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
    connect(m_results, &FindResults::changed, this, [this] { refresh(); });
    connect(m_results, &FindResults::currentMoved, this, &FindBar::showPage);
    connect(m_results, &FindResults::highlightChanged, this, &FindBar::highlightChanged);
    refresh();
}

FindBar::~FindBar() = default;

/// The names and descriptions a screen reader gives the bar's parts. The
/// label's name is its text ("3 di 12"), read as it changes.
void FindBar::describe()
{
    const auto set = [](QWidget *w, const char *name, const char *description) {
        if (name)
            w->setAccessibleName(QCoreApplication::translate("qv::FindBar", name));
        w->setAccessibleDescription(QCoreApplication::translate("qv::FindBar", description));
    };
    set(this, QT_TRANSLATE_NOOP("qv::FindBar", "Barra di ricerca"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Trova un testo nel documento (Ctrl+F); Esc chiude la barra"));
    set(m_field, QT_TRANSLATE_NOOP("qv::FindBar", "Testo da cercare"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Cerca mentre si scrive: Invio o F3 va alla corrispondenza successiva, "
                                         "Maiusc+Invio o Maiusc+F3 alla precedente, Esc chiude la ricerca"));
    set(m_previous, QT_TRANSLATE_NOOP("qv::FindBar", "Corrispondenza precedente"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Va alla corrispondenza precedente (Maiusc+F3)"));
    set(m_next, QT_TRANSLATE_NOOP("qv::FindBar", "Corrispondenza successiva"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Va alla corrispondenza successiva (F3)"));
    set(m_matchCase, QT_TRANSLATE_NOOP("qv::FindBar", "Maiuscole/minuscole"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Attivo, distingue le maiuscole dalle minuscole (barra spaziatrice)"));
    set(m_wholeWords, QT_TRANSLATE_NOOP("qv::FindBar", "Parole intere"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Attivo, trova solo parole intere (barra spaziatrice)"));
    set(m_label, nullptr, QT_TRANSLATE_NOOP("qv::FindBar", "Corrispondenze trovate"));
    set(m_close, QT_TRANSLATE_NOOP("qv::FindBar", "Chiudi la ricerca"),
        QT_TRANSLATE_NOOP("qv::FindBar", "Chiude la barra di ricerca e le evidenziazioni (Esc)"));
}

int FindBar::fieldMaximumWidth() const
{
    // The characters, the frame's text margins and the clear button's room.
    const QFontMetrics metrics = m_field->fontMetrics();
    return metrics.averageCharWidth() * FieldChars + metrics.height() + 16;
}

void FindBar::open()
{
    const bool wasHidden = isHidden();
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (wasHidden) {
        emit visibilityChanged(true);
        if (!m_field->text().isEmpty())
            start(); // the document may have changed meanwhile
    }
}

void FindBar::close()
{
    if (isHidden())
        return;
    hide();
    emit visibilityChanged(false);
    m_results->clear(); // the highlights go with the search
}

void FindBar::next()
{
    step(+1);
}

void FindBar::previous()
{
    step(-1);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            step(key->modifiers() & Qt::ShiftModifier ? -1 : +1);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

/// Searches for the field's text from the page on show; the first match
/// found becomes the current one.
void FindBar::start()
{
    const QString query = m_field->text();
    m_results->search(query, query.isEmpty() ? Document() : m_document(), options());
}

spool::FindOptions FindBar::options() const
{
    spool::FindOptions o;
    o.matchCase = m_matchCase->isChecked();
    o.wholeWords = m_wholeWords->isChecked();
    return o;
}

void FindBar::setOptions(spool::FindOptions options)
{
    const QSignalBlocker caseBlocker(m_matchCase), wordsBlocker(m_wholeWords);
    m_matchCase->setChecked(options.matchCase);
    m_wholeWords->setChecked(options.wholeWords);
    if (!m_field->text().isEmpty())
        start();
}

void FindBar::step(int direction)
{
    if (isHidden())
        open();
    m_results->step(direction);
}

QString FindBar::status() const
{
    if (!m_results->error().isEmpty())
        return QCoreApplication::translate("qv::FindBar", "Errore: %1").arg(m_results->error());
    if (m_field->text().isEmpty())
        return QString();
    const qsizetype count = matchCount();
    if (count == 0)
        return searching() || !m_results->done() ? QCoreApplication::translate("qv::FindBar", "Ricerca in corso…")
                                                 : QCoreApplication::translate("qv::FindBar", "Nessuna corrispondenza");
    // Past the limit the search stops: the count is a lower bound.
    const QString where =
        m_results->limited()
            ? QCoreApplication::translate("qv::FindBar", "%1 di oltre %2").arg(currentNumber()).arg(count)
            : QCoreApplication::translate("qv::FindBar", "%1 di %2").arg(currentNumber()).arg(count);
    return m_results->done() ? where : where + QStringLiteral("…");
}

void FindBar::refresh()
{
    const QString text = status();
    m_label->setText(text);
    m_label->setToolTip(m_results->error());
    const bool any = matchCount() > 0;
    m_previous->setEnabled(any);
    m_next->setEnabled(any);
}

} // namespace qv
