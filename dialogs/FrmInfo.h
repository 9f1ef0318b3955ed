// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {

/// The about box "Informazioni sul PrintPreview...": the product name with
/// the control library's version, the banner, and two links, one to the
/// maker's web page and one that starts an e-mail to the maker. A clicked
/// link flashes red while the desktop is asked to open it. Modal; "&OK"
/// closes it. The controls carry their names as object names ("Label1",
/// "Label3", "Label4", "Command1", ...).
class FrmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit FrmInfo(QWidget *parent = nullptr);
    ~FrmInfo() override;

    /// The product name, " v" and major.minor.revision of the control
    /// library's own version record, such as "qvPreview v1.2.48".
    static QString TestoVersione();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ClickCollegamento(QLabel *label, void (FrmInfo::*routine)());
    void ApriSito();
    void ApriPostaElettronica();

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace qv
