// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/FrmInfo.h"

#include "dialogs/DialogTwips.h"
#include "platform/DisegnoSvg.h"
#include "platform/Platform.h"

#include <qvpreview/VersionRecord.h>
#include <qvpreview/qvUtilita.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>

namespace qv {

namespace {

const QColor ColoreCollegamento(0, 0, 255);
const QColor ColoreClick(255, 0, 0);
constexpr unsigned long AttesaClickMs = 100;

QLabel *nuovaEtichetta(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

void coloraTesto(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

/// The banner picture, its motto in the user's language.
QByteArray banner()
{
    QFile file(QStringLiteral(":/qvpreview/info/info-banner.svg"));
    QByteArray svg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QString motto = QCoreApplication::translate("qv::FrmInfo", "anteprima di stampa");
    svg.replace(">anteprima di stampa<", ">" + motto.toHtmlEscaped().toUtf8() + "<");
    return svg;
}

} // namespace

FrmInfo::FrmInfo(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(tr("Informazioni sul PrintPreview..."));
    setModal(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(twips::size(6525, 3180));
    const qreal dpr = devicePixelRatioF();

    Image1 = nuovaEtichetta(this, "Image1", twips::rect(480, 240, 735, 705));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(platform::disegnaSvg(QStringLiteral(":/qvpreview/info/info-icon.svg"), QSize(32, 32), dpr));

    Label1 = nuovaEtichetta(this, "Label1", twips::rect(1440, 300, 4935, 315));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setText(TestoVersione());

    Image2 = nuovaEtichetta(this, "Image2", twips::rect(1440, 720, 3975, 1200));
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(platform::disegnaSvg(banner(), QSize(265, 80), dpr));

    Label3 = nuovaEtichetta(this, "Label3", twips::rect(480, 2160, 5775, 315));
    Label3->setText(QString::fromLatin1(qvUtilita::SitoWeb));
    Label3->setToolTip(tr("Il mio sito ufficiale"));
    Label4 = nuovaEtichetta(this, "Label4", twips::rect(480, 2520, 4335, 315));
    Label4->setText(tr("E-Mail: ") + QString::fromLatin1(qvUtilita::IndirizzoEMail));
    Label4->setToolTip(tr("Scrivimi..."));
    for (QLabel *link : {Label3, Label4}) {
        coloraTesto(link, ColoreCollegamento);
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }

    Command1 = new QPushButton(tr("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(5280, 2640, 1095, 375));
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    twips::centraSulloSchermo(this);
}

FrmInfo::~FrmInfo() = default;

QString FrmInfo::TestoVersione()
{
    // The control library's own version record; its fourth number is the
    // revision that shows after major and minor.
    const VersionRecord &versione = libraryVersion();
    return QStringLiteral("%1 v%2.%3.%4")
        .arg(QString::fromLatin1(versione.product, qsizetype(qstrnlen(versione.product, sizeof versione.product))))
        .arg(versione.major)
        .arg(versione.minor)
        .arg(versione.revision);
}

bool FrmInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && (watched == Label3 || watched == Label4)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QLabel *>(watched);
        // A click: the button went down on the label and comes up over it.
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            ClickCollegamento(label, label == Label3 ? &FrmInfo::ApriSito : &FrmInfo::ApriPostaElettronica);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmInfo::ClickCollegamento(QLabel *label, void (FrmInfo::*routine)())
{
    const QColor remembered = label->palette().color(QPalette::WindowText);
    coloraTesto(label, ColoreClick);
    label->repaint(); // the red shows at once, before the desktop starts its program
    (this->*routine)();
    QThread::msleep(AttesaClickMs);
    coloraTesto(label, remembered);
}

void FrmInfo::ApriSito()
{
    // Whether the desktop could open it is not reported: nothing to tell the user.
    (void)platform::openUrl(QString::fromLatin1(qvUtilita::SitoWeb));
}

void FrmInfo::ApriPostaElettronica()
{
    (void)platform::openUrl(QStringLiteral("mailto:") + QString::fromLatin1(qvUtilita::IndirizzoEMail));
}

} // namespace qv
