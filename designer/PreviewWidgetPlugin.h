// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QObject>

namespace qv::designer {

/// Qt Designer's entry for qv::PrintPreviewWidget, the drop-in for
/// QPrintPreviewWidget: a widget that a form lays out like any other (group
/// "qvPreview"); the host connects its paintRequested() in code. Qt's own
/// preview dialog has no entry in Designer, a dialog being no part of a
/// form, and neither has qv::PrintPreviewDialog.
class PreviewWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface
{
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    explicit PreviewWidgetPlugin(QObject *parent = nullptr) : QObject(parent) {}

    /// "qv::PrintPreviewWidget", the class that a .ui file and uic's code name.
    QString name() const override { return QStringLiteral("qv::PrintPreviewWidget"); }
    QString group() const override { return QStringLiteral("qvPreview"); }
    QString toolTip() const override;
    QString whatsThis() const override;
    /// <qvpreview/PrintPreviewWidget.h>, as uic includes it.
    QString includeFile() const override { return QStringLiteral("<qvpreview/PrintPreviewWidget.h>"); }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget *createWidget(QWidget *parent) override;
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface *) override { m_initialized = true; }
    /// The widget as the widget box places it (400 x 300 pixels), and its
    /// custom-widget entry with the header that uic includes.
    QString domXml() const override;

private:
    bool m_initialized = false;
};

} // namespace qv::designer
