// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include <QObject>

namespace qv::designer {

/// The plugin as Designer, QFormBuilder and QUiLoader load it: its entries,
/// the recording control (PrintPreviewPlugin) and the preview widget
/// (PreviewWidgetPlugin), both in the widget box's group "qvPreview".
class WidgetCollection : public QObject, public QDesignerCustomWidgetCollectionInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit WidgetCollection(QObject *parent = nullptr);
    /// The control's entry first, then the widget's.
    QList<QDesignerCustomWidgetInterface *> customWidgets() const override { return m_entries; }

private:
    QList<QDesignerCustomWidgetInterface *> m_entries;
};

} // namespace qv::designer
