// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "PrintPreviewPlugin.h"

#include "PropertySheet.h"
#include "TaskMenu.h"

#include <qvpreview/PrintPreview.h>
#include <qvpreview/Translation.h>

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>

#include <QCoreApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace qv::designer {

namespace {

/// Designer in the user's language: the component's catalogue (the plugin's
/// texts, the property page's, the control's messages) for the locale that
/// Designer runs under. Only where the plugin serves Designer itself (its
/// application, or a form editor that initializes the plugin): a host that
/// loads forms with QUiLoader has chosen its own language and keeps it.
void speakTheUsersLanguage()
{
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return;
    installed = true;
    installTranslator(QLocale::system());
}

} // namespace

PrintPreviewPlugin::PrintPreviewPlugin(QObject *parent) : QObject(parent)
{
    // Designer reads the widget box's texts (toolTip(), whatsThis()) before
    // it initializes the plugins.
    if (QCoreApplication::instance() && QCoreApplication::instance()->inherits("QDesigner"))
        speakTheUsersLanguage();
}

QString PrintPreviewPlugin::name() const
{
    return QStringLiteral("qv::PrintPreview");
}

QString PrintPreviewPlugin::group() const
{
    return QStringLiteral("qvPreview");
}

QString PrintPreviewPlugin::toolTip() const
{
    return tr("Anteprima di Stampa");
}

QString PrintPreviewPlugin::whatsThis() const
{
    return tr("Registra un documento pagina per pagina e ne apre l'anteprima di stampa.");
}

QString PrintPreviewPlugin::includeFile() const
{
    // In angle brackets: Designer then stores the header as a global one, and
    // uic writes #include <qvpreview/PrintPreview.h>.
    return QStringLiteral("<qvpreview/PrintPreview.h>");
}

QIcon PrintPreviewPlugin::icon() const
{
    // The control as it shows itself on a form: a framed box marked "QV".
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 19, 19);
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(1, 1, 20, 20), Qt::AlignCenter, QStringLiteral("QV"));
    painter.end();
    return QIcon(pixmap);
}

QWidget *PrintPreviewPlugin::createWidget(QWidget *parent)
{
    auto *control = new PrintPreview(parent);
    control->InitProperties();
    return control;
}

void PrintPreviewPlugin::initialize(QDesignerFormEditorInterface *core)
{
    if (m_initialized)
        return;
    m_initialized = true;
    if (!core)
        return;
    speakTheUsersLanguage();
    if (QExtensionManager *manager = core->extensionManager()) {
        manager->registerExtensions(new PrintPreviewTaskMenuFactory(manager), Q_TYPEID(QDesignerTaskMenuExtension));
        // ScaleMode and previewFit as named choices in the property editor.
        manager->registerExtensions(new ChoiceSheetFactory(manager, core), Q_TYPEID(QDesignerPropertySheetExtension));
    }
}

QString PrintPreviewPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++" displayname="PrintPreview">
 <widget class="qv::PrintPreview" name="printPreview"/>
 <customwidgets>
  <customwidget>
   <class>qv::PrintPreview</class>
   <header location="global">qvpreview/PrintPreview.h</header>
  </customwidget>
 </customwidgets>
</ui>
)");
}

} // namespace qv::designer
