// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "setup/Form1.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include "platform/DisegnoSvg.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "setup/Modulo2.h"
#include "setup/SetupToolkit.h"
#include "setup/VerificaLibreria.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <optional>

namespace qv {

namespace {

constexpr double TwipsPerInch = 1440.0;

QFont fontEtichetta()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(24);
    font.setBold(true);
    return font;
}

} // namespace

Form1::Form1(const QString &cartellaProgramma, QWidget *parent)
    : QWidget(parent)
    , m_cartellaProgramma(cartellaProgramma)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QCoreApplication::translate("qv::Form1", Titolo));
    QIcon icona;
    for (const int side : {16, 32, 64})
        icona.addPixmap(platform::disegnaSvg(QStringLiteral(":/setup/icona.svg"), QSize(side, side), 1));
    setWindowIcon(icona);
    setFixedSize(pixel(4650, true), pixel(2610, false));

    const char *etichette[] = {QT_TRANSLATE_NOOP("qv::Form1", "Old"), QT_TRANSLATE_NOOP("qv::Form1", "New")};
    const int sinistra[] = {420, 3120};
    for (int i = 0; i < 2; ++i) {
        Label1[i] = new QLabel(QCoreApplication::translate("qv::Form1", etichette[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setFont(fontEtichetta());
        posiziona(Label1[i], sinistra[i], 360, 1215, 615);
    }

    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    posiziona(Command1, 1800, 480, 975, 495);
    const QSize faccia(Command1->width() - 8, Command1->height() - 6);
    Command1->setIcon(QIcon(platform::disegnaSvg(QStringLiteral(":/setup/pulsante.svg"), faccia, devicePixelRatioF())));
    Command1->setIconSize(faccia);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Label2 = new QLabel(QCoreApplication::translate("qv::Form1", "Directory di SYSTEM:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    posiziona(Label2, 240, 1440, 2175, 315);

    Text1 = new QLineEdit(QStringLiteral("Text1"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    posiziona(Text1, 180, 1740, 4335, 285);

    Form_Load();
}

int Form1::pixel(int twips, bool horizontal) const
{
    return qRound(twips * (horizontal ? logicalDpiX() : logicalDpiY()) / TwipsPerInch);
}

void Form1::posiziona(QWidget *widget, int left, int top, int width, int height) const
{
    widget->setGeometry(pixel(left, true), pixel(top, false), pixel(width, true), pixel(height, false));
}

QString Form1::percorsoSorgente() const
{
    QString cartella = m_cartellaProgramma;
    Modulo2::AggiungiBackslash(cartella);
    return cartella + QLatin1String(NomeLibreria);
}

QString Form1::percorsoDestinazione() const
{
    return DirSystem + QLatin1String(NomeLibreria);
}

void Form1::Form_Load()
{
    DirSystem = Modulo2::DirectorySystem();
    if (DirSystem.isEmpty())
        Command1->setEnabled(false);
    Text1->setText(DirSystem);
}

bool Form1::intera(const QString &libreria)
{
    try {
        VerificaLibreria::verifica(libreria, QString::fromLatin1(VersioneServicePack));
        return true;
    } catch (const Error &) {
        return false;
    }
}

bool Form1::registrataQui(qvUtilita &utilita, const QString &destinazione)
{
    for (const char *classe : ClassiControllo) {
        const QString server = utilita.PathServerOcx(QString::fromLatin1(classe));
        if (server.isEmpty() || !platform::sameFile(server, destinazione))
            return false;
    }
    return true;
}

void Form1::registra(const QString &destinazione)
{
    if ((SetupToolkit::DLLSelfRegister(destinazione) & 0xFFFF) != 0) {
        platform::messageBox(this,
                             QCoreApplication::translate(
                                 "qv::Form1", "registrazione %1 fallita. Riavviare Windows e ripetere l'installazione!")
                                 .arg(destinazione.toUpper()),
                             QCoreApplication::translate("qv::Form1", "Errore"), platform::MessageIcon::Critical);
        return;
    }
    platform::messageBox(
        this,
        QCoreApplication::translate("qv::Form1", "Installazione Service Pack avvenuta correttamente. Si consiglia di "
                                                 "riavviare il personal computer."),
        QCoreApplication::translate("qv::Form1", "Upgrade"), platform::MessageIcon::Information);
    close();
}

void Form1::Command1_Click()
{
    const QString errore = QCoreApplication::translate("qv::Form1", "Errore");
    try {
        const QString destinazione = percorsoDestinazione();
        const QString sorgente = percorsoSorgente();
        std::optional<qvUtilita> utilita;
        // An installed library (a regular file, or a link to one) that is as
        // new as this one, or newer, is not replaced.
        if (QFileInfo(destinazione).isFile()) {
            utilita.emplace();
            const QString installata = utilita->GetVersione(destinazione);
            const int32_t confronto = utilita->ConfrontaVersione(QString::fromLatin1(VersioneServicePack), installata);
            // This very version, but not a whole library (as a broken copy
            // leaves it), is replaced like an older one: loading it would
            // bring down the installer and every host.
            const bool danneggiata = confronto == 0 && !intera(destinazione);
            if (confronto != 1 && !danneggiata) {
                // This very version, left unregistered by a failed
                // registration (or registered in another file's name), is
                // registered now: repeating the installation is what the
                // failure message asks for.
                if (confronto == 0 && !registrataQui(*utilita, destinazione)) {
                    registra(destinazione);
                    return;
                }
                platform::messageBox(this, QCoreApplication::translate("qv::Form1", "Tessavo è già aggiornato."),
                                     QCoreApplication::translate("qv::Form1", "Upgrade"),
                                     platform::MessageIcon::Information);
                return;
            }
        }
        // A library that a Debian package installed is dpkg's to replace:
        // replaced behind its back, the next upgrade or removal of the
        // package would overwrite or delete it, and dpkg's checksums would
        // no longer match. Nothing is touched; the user may name another
        // folder (QVPREVIEW_SYSTEM_DIR).
        if (const QString pacchetto = platform::debianPackageOwning(destinazione); !pacchetto.isEmpty()) {
            platform::messageBox(
                this,
                QCoreApplication::translate("qv::Form1", "%1 appartiene al pacchetto %2: lo aggiorna il gestore dei "
                                                         "pacchetti (apt), non Setup. Per installare la libreria in "
                                                         "un'altra cartella indicarla in QVPREVIEW_SYSTEM_DIR.")
                    .arg(destinazione, pacchetto),
                QCoreApplication::translate("qv::Form1", "Upgrade"), platform::MessageIcon::Warning);
            return;
        }
        // A library that hosts could not load whole would take every host
        // down: the new file must be this version and whole before the old
        // one goes.
        VerificaLibreria::verifica(sorgente, QString::fromLatin1(VersioneServicePack));
        // The new library takes the old one's place in one rename: the
        // folder never lacks the library, a failed copy leaves the old one,
        // and running hosts keep the copy they have mapped.
        if (const int failure = platform::replaceFile(sorgente, destinazione))
            throw Error(ErrPathFileAccess, QStringLiteral("Command1_Click"),
                        QString::fromLocal8Bit(std::strerror(failure)))
                .at(destinazione);
        registra(destinazione);
    } catch (...) {
        platform::messageBox(
            this,
            QCoreApplication::translate("qv::Form1", "Installazione Service Pack fallita. Riavviare Windows e ripetere "
                                                     "l'installazione!"),
            errore, platform::MessageIcon::Critical);
    }
}

} // namespace qv
