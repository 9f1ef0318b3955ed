// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QObject>

class QDesignerFormEditorInterface;

namespace qv::designer {

/// Qt Designer's entry for qv::PrintPreview: the control in the widget box
/// (group "qvPreview"), placed on a form at its fixed size, its persisted
/// properties (titolo, ScaleMode) in the property editor and in the .ui
/// file, and its title property page in the form's context menu
/// (PrintPreviewTaskMenu). QFormBuilder and QUiLoader create the control
/// through this entry too. One of the plugin's entries (WidgetCollection).
class PrintPreviewPlugin : public QObject, public QDesignerCustomWidgetInterface
{
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    explicit PrintPreviewPlugin(QObject *parent = nullptr);

    /// "qv::PrintPreview", the class that a .ui file and uic's code name.
    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    /// <qvpreview/PrintPreview.h>, as uic includes it.
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    /// A new control, placed for the first time (InitProperties()).
    QWidget *createWidget(QWidget *parent) override;
    bool isInitialized() const override { return m_initialized; }
    /// Registers the context menu of the control and its property sheet
    /// (ScaleMode and previewFit as named choices) with Designer's extension
    /// manager (once; a core without one gets none).
    void initialize(QDesignerFormEditorInterface *core) override;
    /// The control as the widget box places it, and its custom-widget entry
    /// with the header that uic includes (<qvpreview/PrintPreview.h>).
    QString domXml() const override;

private:
    bool m_initialized = false;
};

} // namespace qv::designer
