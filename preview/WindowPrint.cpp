// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/WindowPrint.h"

#include "dialogs/PrintCommand.h"
#include "platform/Platform.h"
#include "preview/ViewerModel.h"

#include <QCoreApplication>
#include <QDir>

namespace qv::WindowPrint {

QString printedToPdf(const QString &file)
{
    return QCoreApplication::translate("qv::FrmAnteprima", "Il documento è stato stampato nel file PDF:\n%1")
        .arg(QDir::toNativeSeparators(file));
}

void print(QWidget *parent, const ViewerModel &model, const QString &title,
           const std::function<void(const PrintOutcome &)> &listener)
{
    PrintRequest request;
    request.parent = parent;
    request.pages = model.pageCount();
    // While the index is built the command waits for it: never a part printed.
    request.index = model.index();
    request.pagesFromIndex = model.countFromIndex();
    request.currentPage = model.currentPage() + 1;
    request.title = title;
    request.source = QStringLiteral("FrmAnteprima");
    request.showProgress = true;
    const PrintOutcome outcome = printDocument(model.document(), request);
    if (listener)
        listener(outcome);
    const QString caption = QCoreApplication::translate("qv::FrmAnteprima", "Stampa");
    switch (outcome.result) {
    case PrintOutcome::Result::Printed:
        // A PDF lands in a folder the user did not choose: say where.
        if (!outcome.pdfFile.isEmpty())
            platform::messageBox(parent, printedToPdf(outcome.pdfFile), caption, platform::MessageIcon::Information);
        break;
    case PrintOutcome::Result::NoPrinter:
        platform::messageBox(parent, outcome.error->description(), caption, platform::MessageIcon::Information);
        break;
    case PrintOutcome::Result::Failed:
        platform::messageBox(parent, outcome.error->description(), QString(), platform::MessageIcon::None);
        break;
    case PrintOutcome::Result::Empty:
        platform::messageBox(parent, QCoreApplication::translate("qv::MotoreStampa", "Nessun documento da stampare"),
                             QString(), platform::MessageIcon::None);
        break;
    case PrintOutcome::Result::Cancelled:
    case PrintOutcome::Result::NoCopies: break;
    }
}

} // namespace qv::WindowPrint
